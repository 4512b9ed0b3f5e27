// NT family: the package's services, its device-class instances and its
// Uninstall entry.
#include <cstring>

#include "app/DrvUninstApp.h"
#include "removal/RegistryNames.h"
#include "removal/Removal.h"

namespace {

const char kServicesKeyPath[] = "SYSTEM\\CurrentControlSet\\Services";

void DeleteServices() {
  HKEY services = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kServicesKeyPath, 0, KEY_ALL_ACCESS, &services) != ERROR_SUCCESS) return;
  const int count = UsableCount(theApp.m_nUnInstServiceNum, MAX_DRV_ENTRIES);
  for (int i = 0; i < count; ++i) {
    // An empty name would empty the whole Services key.
    if (theApp.m_szUnInstService[i][0] == '\0') continue;
    SHDeleteKeyA(services, theApp.m_szUnInstService[i]);
  }
  RegFlushKey(services);
  RegCloseKey(services);
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

}  // namespace

int CleanRegistryNT() {
  DeleteServices();
  ChooseClassKey(theApp.m_szMediaClass);
  DeleteClassInstances(g_szClassKey, IsPackageInstance);
  DeleteUninstallEntry(theApp.m_szDrvUninstRegKeyPath);
  return 1;
}
