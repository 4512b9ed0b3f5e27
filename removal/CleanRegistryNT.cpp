// NT family: the package's services, its device-class instances and its
// Uninstall entry.
#include <cstring>
#include <vector>

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

bool IsPackageInstance(HKEY classKey, const char* subkeyName) {
  HKEY instance = nullptr;
  if (RegOpenKeyExA(classKey, subkeyName, 0, KEY_ALL_ACCESS, &instance) != ERROR_SUCCESS) return false;
  char description[257];
  std::memset(description, 0, sizeof(description));
  DWORD size = 256;
  const LSTATUS read =
      RegQueryValueExA(instance, "DriverDesc", nullptr, nullptr, reinterpret_cast<LPBYTE>(description), &size);
  RegCloseKey(instance);
  if (read != ERROR_SUCCESS) return false;
  return DescriptionEqualsAnyName(description, theApp.m_DevDrv, theApp.m_nDevIDNum) ||
         DescriptionEqualsAnyName(description, theApp.m_ExtDevDrv, theApp.m_nExtDevIDNum);
}

// Matching instances are collected during the walk and deleted after it, so
// deleting one never makes the walk pass over another.
void DeleteClassInstances() {
  HKEY classKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_szClassKey, 0, KEY_ALL_ACCESS, &classKey) != ERROR_SUCCESS) return;
  std::vector<CString> matches;
  char subkeyName[256];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof(subkeyName);
    FILETIME lastWrite;
    if (RegEnumKeyExA(classKey, index, subkeyName, &nameSize, nullptr, nullptr, nullptr, &lastWrite) !=
        ERROR_SUCCESS) {
      break;
    }
    if (IsPackageInstance(classKey, subkeyName)) matches.push_back(subkeyName);
  }
  DeleteNamedSubkeys(classKey, matches);
  RegCloseKey(classKey);
}

}  // namespace

int CleanRegistryNT() {
  DeleteServices();
  ChooseClassKey(theApp.m_szMediaClass);
  DeleteClassInstances();
  DeleteUninstallEntry(theApp.m_szDrvUninstRegKeyPath);
  return 1;
}
