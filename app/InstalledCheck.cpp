// Whether the package is installed: one Uninstall subkey carries its
// "DisplayName". On 64-bit Windows a 32-bit installer wrote it into the
// 32-bit registry view, so that view is searched when the 64-bit one has none.
#include <cstring>

#include "app/DrvUninstApp.h"
#include "log/RunLog.h"
#include "platform/system/WindowsBitness.h"

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const DWORD kNameSize = 256;
const DWORD kValueSize = 256;

const char* ViewName(REGSAM view) {
  if (view == KEY_WOW64_32KEY) return "32-bit view";
  if (view == KEY_WOW64_64KEY) return "64-bit view";
  return "registry";
}

// The walk of one view's Uninstall key: the first subkey whose name matches
// decides.
bool ViewHasDisplayName(REGSAM view, const char* productName) {
  HKEY uninstallKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_ALL_ACCESS | view, &uninstallKey) != ERROR_SUCCESS) {
    return false;
  }

  bool found = false;
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
    if (RegOpenKeyExA(uninstallKey, subkeyName, 0, KEY_ALL_ACCESS | view, &subkey) != ERROR_SUCCESS) continue;

    std::memset(displayName, 0, sizeof(displayName));
    DWORD valueSize = kValueSize;
    DWORD type = 0;
    const LSTATUS read =
        RegQueryValueExA(subkey, "DisplayName", nullptr, &type, reinterpret_cast<LPBYTE>(displayName), &valueSize);
    RegCloseKey(subkey);

    // A name too long for the buffer is never the product's.
    if (read == ERROR_MORE_DATA) continue;
    if (lstrcmpiA(displayName, productName) == 0) {
      const CString entry = CString(ViewName(view)) + " HKEY_LOCAL_MACHINE\\" + kUninstallKey + "\\" + subkeyName;
      LogEvent("installed check", entry, "DisplayName matches");
      found = true;
      break;
    }
  }

  RegCloseKey(uninstallKey);
  return found;
}

}  // namespace

int CDrvUninstApp::IsDriverInstalled() {
  REGSAM views[MAX_REGISTRY_VIEWS];
  const int viewCount = SoftwareRegistryViews(views);
  for (int i = 0; i < viewCount; ++i) {
    if (ViewHasDisplayName(views[i], m_szDrvUninstRegKeyName)) return 1;
  }
  LogEvent("installed check", m_szDrvUninstRegKeyName, "no Uninstall entry has this DisplayName");
  return 0;
}
