// Whether the package is installed: one Uninstall subkey carries its
// "DisplayName".
#include <cstring>

#include "app/DrvUninstApp.h"

namespace {
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const DWORD kNameSize = 256;
const DWORD kValueSize = 256;
}  // namespace

int CDrvUninstApp::IsDriverInstalled() {
  int found = 0;
  HKEY uninstallKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_ALL_ACCESS, &uninstallKey) != ERROR_SUCCESS) {
    return 0;
  }

  char subkeyName[kNameSize];
  // One byte more than the size passed, so a value stored without its NUL
  // still ends inside the buffer.
  char displayName[kValueSize + 1];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = kNameSize;
    FILETIME lastWrite;
    if (RegEnumKeyExA(uninstallKey, index, subkeyName, &nameSize, nullptr, nullptr, nullptr, &lastWrite) !=
        ERROR_SUCCESS) {
      break;
    }

    HKEY subkey = nullptr;
    if (RegOpenKeyExA(uninstallKey, subkeyName, 0, KEY_ALL_ACCESS, &subkey) != ERROR_SUCCESS) continue;

    std::memset(displayName, 0, sizeof(displayName));
    DWORD valueSize = kValueSize;
    DWORD type = 0;
    const LSTATUS read =
        RegQueryValueExA(subkey, "DisplayName", nullptr, &type, reinterpret_cast<LPBYTE>(displayName), &valueSize);
    RegCloseKey(subkey);

    // A name too long for the buffer is never the product's.
    if (read == ERROR_MORE_DATA) continue;
    if (lstrcmpiA(displayName, m_szDrvUninstRegKeyName) == 0) {
      found = 1;
      break;
    }
  }

  RegCloseKey(uninstallKey);
  return found;
}
