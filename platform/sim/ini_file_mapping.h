// The NT family's IniFileMapping: sections of some system INI files live in
// the registry, and the profile functions read them there first.
#pragma once

#include <string>

namespace sim {

// The value of a key of a mapped section, read from the registry. False when
// the section is not mapped on this machine or the registry lacks the key, in
// which case Windows goes on to the file itself.
bool ReadMappedProfileValue(const std::string& fileName, const std::string& section, const std::string& key,
                            std::string* value);

}  // namespace sim
