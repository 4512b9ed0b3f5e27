// The errors each system call the program makes can really return, as the
// fault sweep injects them.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace sweep {

// Empty for a call that cannot fail where the program makes it (a message
// to its own live dialog, Sleep, the module handle of the running program).
const std::vector<DWORD>& ErrorsOf(const std::string& api);

}  // namespace sweep
