#include "removal/RegistryNames.h"

#include <cstring>

const char kUninstallKeyPath[] = "SoftWare\\MicroSoft\\Windows\\CurrentVersion\\Uninstall";
const char kMediaClassKeyPath[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}";
const char kImagingClassKeyPath[] =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";

const char* ChooseClassKey(const char* mediaClass) {
  const char* chosen = _strnicmp(mediaClass, "No", 2) == 0 ? kImagingClassKeyPath : kMediaClassKeyPath;
  std::strcpy(g_szClassKey, chosen);
  return g_szClassKey;
}

bool DescriptionEqualsAnyName(const char* description, const DRVENTRY* entries, int count) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    if (entries[i].szDrvName[0] == '\0') continue;
    if (lstrcmpiA(description, entries[i].szDrvName) == 0) return true;
  }
  return false;
}

void DeleteNamedSubkeys(HKEY parent, const std::vector<CString>& names) {
  for (const CString& name : names) {
    if (name.IsEmpty()) continue;
    SHDeleteKeyA(parent, name);
  }
}

void DeleteUninstallEntry(const char* subkeyName) {
  HKEY uninstallKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, KEY_ALL_ACCESS, &uninstallKey) != ERROR_SUCCESS) return;
  if (subkeyName[0] != '\0') SHDeleteKeyA(uninstallKey, subkeyName);
  RegFlushKey(uninstallKey);
  RegCloseKey(uninstallKey);
}
