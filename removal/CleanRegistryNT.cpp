// NT family: the package's services, its device-class instances, its
// Uninstall entry and the maker's keys the profile names.
#include <cstring>
#include <vector>

#include "app/DrvUninstApp.h"
#include "removal/ClassFilters.h"
#include "removal/MakerKeys.h"
#include "removal/RegistryNames.h"
#include "removal/Removal.h"

namespace {

const char kServicesKeyPath[] = "SYSTEM\\CurrentControlSet\\Services";

// The names of the services that are gone now (deleted, or never there).
std::vector<CString> DeleteServices() {
  std::vector<CString> gone;
  const int count = UsableCount(theApp.m_nUnInstServiceNum, MAX_DRV_ENTRIES);
  HKEY services = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kServicesKeyPath, 0, KEY_ALL_ACCESS, &services) != ERROR_SUCCESS) {
    for (int i = 0; i < count; ++i) {
      if (theApp.m_szUnInstService[i][0] != '\0') NoteKeyIfThere(kServicesKeyPath, theApp.m_szUnInstService[i]);
    }
    return gone;
  }
  for (int i = 0; i < count; ++i) {
    // An empty name would empty the whole Services key.
    if (theApp.m_szUnInstService[i][0] == '\0') continue;
    if (DeleteKeyOrNoteIt(services, kServicesKeyPath, theApp.m_szUnInstService[i])) {
      gone.push_back(theApp.m_szUnInstService[i]);
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

}  // namespace

int CleanRegistryNT() {
  RemoveFromClassFilters(DeleteServices());
  ChooseClassKey(theApp.m_szMediaClass);
  DeleteClassInstances(g_szClassKey, IsPackageInstance);
  DeleteUninstallEntry(theApp.m_szDrvUninstRegKeyPath);
  DeleteMakerKeys();
  return 1;
}
