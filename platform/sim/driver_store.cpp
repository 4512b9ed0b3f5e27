// SetupUninstallOEMInfA as Microsoft documents it: the published INF goes with
// its PNF and catalog, and since Vista its package leaves the driver store;
// without SUOI_FORCEDELETE it refuses while a device was installed from it.
#include "platform/sim/driver_store.h"

#include <optional>
#include <vector>

#include "platform/sim/device_store.h"
#include "platform/sim/events.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/win32_api.h"

namespace sim {
namespace driverstore {
namespace {

std::string Absolute(const std::string& relative) { return files::Absolute(relative); }

// "oem3.inf" -> "oem3": the name without its last extension.
std::string BaseName(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool IsDirectChild(const std::string& path, const std::string& folder) {
  const std::string prefix = ToLower(folder) + "\\";
  const std::string lower = ToLower(path);
  return lower.compare(0, prefix.size(), prefix) == 0 && lower.find('\\', prefix.size()) == std::string::npos;
}

std::optional<std::string> StringValue(const RegKey& key, const char* name) {
  auto it = key.values().find(name);
  if (it == key.values().end() || (it->second.type != REG_SZ && it->second.type != REG_EXPAND_SZ)) return std::nullopt;
  std::string text(it->second.data.begin(), it->second.data.end());
  return text.substr(0, text.find('\0'));
}

// A device installed from the INF: its driver key names the INF as its
// InfPath. A device need not be present to count.
bool UsedByADevice(const std::string& infName) {
  RegKey* enumKey = registry::Find(devices::EnumRoot());
  if (enumKey == nullptr) return false;
  for (const auto& bus : enumKey->subkeys) {
    for (const auto& device : bus.second->subkeys) {
      for (const auto& instance : device.second->subkeys) {
        const std::optional<std::string> driver = StringValue(*instance.second, "Driver");
        if (!driver || driver->empty()) continue;
        RegKey* driverKey = registry::Find(std::string(devices::kClassPath) + "\\" + *driver);
        if (driverKey == nullptr) continue;
        const std::optional<std::string> inf = StringValue(*driverKey, "InfPath");
        if (inf && EqualsNoCase(*inf, infName)) return true;
      }
    }
  }
  return false;
}

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

}  // namespace

std::string PackageFolderOf(const std::string& publishedInf) {
  const std::optional<files::FileEntry> published = files::Get(publishedInf);
  if (!published || published->directory) return "";
  const std::string repository = Absolute(kRepository);
  const std::vector<files::FileEntry> all = files::All();
  for (const files::FileEntry& folder : all) {
    if (!folder.directory || !IsDirectChild(folder.path, repository)) continue;
    for (const files::FileEntry& file : all) {
      if (file.directory || !IsDirectChild(file.path, folder.path) || file.content != published->content) continue;
      if (file.path.size() > 4 && EqualsNoCase(file.path.substr(file.path.size() - 4), ".inf")) return folder.path;
    }
  }
  return "";
}

bool HasSetupUninstallOEMInf(const VersionInfo& version) {
  return version.platformId == VER_PLATFORM_WIN32_NT &&
         (version.major > 5 || (version.major == 5 && version.minor >= 1));
}

BOOL WINAPI SetupUninstallOEMInfA(PCSTR InfFileName, DWORD Flags, PVOID) {
  if (InfFileName == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::string name = InfFileName;
  events::Record(events::Kind::DriverPackageUninstall, name);
  if (DWORD fault = CheckFault("SetupUninstallOEMInfA", name)) return Fail(fault);
  // A file name without a path is all it takes; a path names nothing in inf\.
  if (name.find_first_of("\\/:") != std::string::npos) return Fail(ERROR_PATH_NOT_FOUND);
  const std::string inf = "inf\\" + name;
  const std::optional<files::FileEntry> entry = files::Get(inf);
  if (name.empty() || !entry) return Fail(ERROR_FILE_NOT_FOUND);
  if (entry->directory || (entry->attributes & FILE_ATTRIBUTE_READONLY) != 0) return Fail(ERROR_ACCESS_DENIED);
  if ((Flags & SUOI_FORCEDELETE) == 0 && UsedByADevice(name)) return Fail(ERROR_INF_IN_USE_BY_DEVICES);

  const bool hasStore = Version().major >= 6;
  const std::string package = hasStore ? PackageFolderOf(inf) : "";
  files::Remove(inf);
  files::Remove("inf\\" + BaseName(name) + ".pnf");
  files::Remove(std::string(kCatalogRoot) + "\\" + BaseName(name) + ".cat");
  if (!package.empty()) files::Remove(package);
  return TRUE;
}

}  // namespace driverstore
}  // namespace sim
