// NT family: the package's services, its device-class instances, its
// Uninstall entry and the maker's keys the profile names.
#include <cstring>
#include <string>
#include <vector>

#include "devices/OtherDevices.h"
#include "log/Kept.h"
#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "profile/RunProfile.h"
#include "removal/ClassFilters.h"
#include "removal/DeviceFilters.h"
#include "removal/MakerKeys.h"
#include "removal/RegistryNames.h"
#include "removal/Removal.h"

namespace {

const char kServicesKeyPath[] = "SYSTEM\\CurrentControlSet\\Services";

// The names of the services that are gone now (deleted, or never there).
std::vector<CString> DeleteServices() {
  std::vector<CString> gone;
  const UninstProfile& profile = TheProfile();
  const int count = UsableCount(profile.m_nUnInstServiceNum, MAX_DRV_ENTRIES);
  HKEY services = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kServicesKeyPath, 0, KEY_ALL_ACCESS, &services) != ERROR_SUCCESS) {
    for (int i = 0; i < count; ++i) {
      if (profile.m_szUnInstService[i][0] != '\0') NoteKeyIfThere(kServicesKeyPath, profile.m_szUnInstService[i]);
    }
    return gone;
  }
  for (int i = 0; i < count; ++i) {
    // An empty name would empty the whole Services key.
    if (profile.m_szUnInstService[i][0] == '\0') continue;
    if (DeleteKeyOrNoteIt(services, kServicesKeyPath, profile.m_szUnInstService[i])) {
      gone.push_back(profile.m_szUnInstService[i]);
    }
  }
  RegFlushKey(services);
  RegCloseKey(services);
  return gone;
}

bool IsPackageInstance(HKEY instance) {
  char description[257];
  std::memset(description, 0, sizeof(description));
  DWORD size = 256;
  if (RegQueryValueExA(instance, "DriverDesc", nullptr, nullptr, reinterpret_cast<LPBYTE>(description), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  return DescriptionIsThePackages(description);
}

// A class instance another product's device is bound to (a model of the
// same INF, described alike) is that device's driver key: it stays, named as
// kept. Where not every device could be read, none is known to be free.
bool IsPackagesAlone(const char* instanceName, const OtherDevicesUse& others) {
  const std::string classKey = g_szClassKey;
  const CString driverKey = CString(classKey.substr(classKey.rfind('\\') + 1).c_str()) + "\\" + instanceName;
  const CString keyPath = CString("HKEY_LOCAL_MACHINE\\") + g_szClassKey + "\\" + instanceName;
  if (const DeviceUse* use = others.ByDriverKey(driverKey)) {
    NoteKept(keyPath, UsedByText(*use));
    LogEvent("key", keyPath, "kept, " + UsedByText(*use));
    return false;
  }
  if (!others.complete) NoteLeftover(keyPath);
  return others.complete;
}

}  // namespace

int CleanRegistryNT() {
  const std::vector<CString> servicesGone = DeleteServices();
  RemoveFromClassFilters(servicesGone);
  RemoveFromDeviceFilters(servicesGone);
  ChooseClassKey(TheProfile().m_szMediaClass);
  const OtherDevicesUse others = FindOtherDevicesUse();
  DeleteClassInstances(g_szClassKey, [&others](HKEY instance, const char* name) {
    return IsPackageInstance(instance) && IsPackagesAlone(name, others);
  });
  DeleteUninstallEntry(TheProfile().m_szDrvUninstRegKeyPath);
  DeleteMakerKeys();
  return 1;
}
