#include "platform/sim/ini_file_mapping.h"

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"

namespace sim {
namespace {

struct MappedSection {
  const char* file;
  const char* section;
  const char* registryKey;
};

// As a fresh NT installation maps them (IniFileMapping\win.ini, "USR:" being
// HKEY_CURRENT_USER). Windows 9x has no mapping and reads the file.
const MappedSection kMappedSections[] = {
    {"win.ini", "intl", "HKCU\\Control Panel\\International"},
};

// The mapping is keyed by the file's name, wherever the caller says it is.
std::string FileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

bool ReadMappedProfileValue(const std::string& fileName, const std::string& section, const std::string& key,
                            std::string* value) {
  if (IsWin9xFamily()) return false;
  const std::string file = FileNamePart(fileName);
  for (const MappedSection& mapped : kMappedSections) {
    if (!EqualsNoCase(file, mapped.file) || !EqualsNoCase(section, mapped.section)) continue;
    const auto stored = registry::GetValue(mapped.registryKey, key);
    if (!stored || !IsStringType(stored->type)) return false;
    *value = *registry::GetString(mapped.registryKey, key);
    return true;
  }
  return false;
}

}  // namespace sim
