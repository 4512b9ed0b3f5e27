#include "removal/RegistryNames.h"

#include "app/DrvUninstApp.h"

#include <cstring>
#include <vector>

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

bool DescriptionIsThePackages(const char* description) {
  return DescriptionEqualsAnyName(description, theApp.m_DevDrv, theApp.m_nDevIDNum) ||
         DescriptionEqualsAnyName(description, theApp.m_ExtDevDrv, theApp.m_nExtDevIDNum);
}

void DeleteClassInstances(const char* classKeyPath, const std::function<bool(HKEY instance)>& isPackageInstance) {
  HKEY classKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, classKeyPath, 0, KEY_ALL_ACCESS, &classKey) != ERROR_SUCCESS) return;
  std::vector<CString> matches;
  char subkeyName[256];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof(subkeyName);
    FILETIME lastWrite;
    if (RegEnumKeyExA(classKey, index, subkeyName, &nameSize, nullptr, nullptr, nullptr, &lastWrite) !=
        ERROR_SUCCESS) {
      break;
    }
    HKEY instance = nullptr;
    if (RegOpenKeyExA(classKey, subkeyName, 0, KEY_ALL_ACCESS, &instance) != ERROR_SUCCESS) continue;
    const bool match = isPackageInstance(instance);
    RegCloseKey(instance);
    if (match) matches.push_back(subkeyName);
  }
  for (const CString& name : matches) SHDeleteKeyA(classKey, name);
  RegCloseKey(classKey);
}

void DeleteUninstallEntry(const char* subkeyName) {
  HKEY uninstallKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, KEY_ALL_ACCESS, &uninstallKey) != ERROR_SUCCESS) return;
  if (subkeyName[0] != '\0') SHDeleteKeyA(uninstallKey, subkeyName);
  RegFlushKey(uninstallKey);
  RegCloseKey(uninstallKey);
}
