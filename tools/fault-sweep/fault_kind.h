// How a failed call bears on the run: does it only make the program do
// less, or does it show the program a different, possible machine?
#pragma once

#include <string>

#include "platform/win32.h"

namespace sweep {

// The error says the thing asked for is not there (a missing key, value or
// file, the end of a list, a device without hardware IDs, no such window):
// the program sees a different machine, not a broken one.
bool ReportsAbsence(const std::string& api, DWORD error);

// The call decides what the program loads: the profile's values, the
// country that picks its section, the Windows family. A failure there
// changes what it sets out to remove. Asked of the laid-out machine.
bool DecidesWhatIsNamed(const std::string& api, const std::string& subject);

// The call decides which family's sequence runs.
bool DecidesFamily(const std::string& api);

}  // namespace sweep
