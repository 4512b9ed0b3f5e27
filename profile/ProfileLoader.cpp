// Fills the profile from ZIZURUDO.ini in the Windows directory: one section,
// chosen by the user's country code with "1" as the fallback.
#include <cstring>

#include "app/DrvUninstApp.h"

namespace {

const char kProfileFile[] = "ZIZURUDO.ini";
const DWORD kCountSize = 32;

class ProfileReader {
 public:
  explicit ProfileReader(const char* section) : m_section(section) {}

  void Text(const char* key, const char* defaultText, char* out, DWORD size) const {
    GetPrivateProfileStringA(m_section, key, defaultText, out, size, kProfileFile);
  }

  // "Prefix" + decimal index.
  void IndexedText(const char* prefix, int index, char* out, DWORD size) const {
    char key[64];
    char number[16];
    wsprintfA(number, "%d", index);
    std::memset(key, 0, sizeof(key));
    std::strncat(key, prefix, sizeof(key) - sizeof(number));
    std::strcat(key, number);
    Text(key, "", out, size);
  }

  // A hexadecimal count, held to what a list can take.
  int Count(CDrvUninstApp& app, const char* key) const {
    char text[kCountSize];
    Text(key, "0", text, kCountSize);
    const int count = app.HexToInt(text);
    return count > MAX_DRV_ENTRIES ? MAX_DRV_ENTRIES : count;
  }

  void Entries(const char* prefixes[4], int count, DRVENTRY* entries) const {
    for (int i = 0; i < count; ++i) {
      IndexedText(prefixes[0], i, entries[i].szDrvID, DRV_FIELD_SIZE);
      IndexedText(prefixes[1], i, entries[i].szDrvName, DRV_FIELD_SIZE);
      IndexedText(prefixes[2], i, entries[i].szDrvSYS, DRV_FIELD_SIZE);
      IndexedText(prefixes[3], i, entries[i].szDrvINF, DRV_FIELD_SIZE);
    }
  }

  void Texts(const char* prefix, int count, char (*texts)[TEXT_SIZE]) const {
    for (int i = 0; i < count; ++i) IndexedText(prefix, i, texts[i], TEXT_SIZE);
  }

 private:
  const char* m_section;
};

const char* kDevKeys[4] = {"DevDrvID", "DevDrvName", "DevDrvSYS", "DevDrvINF"};
const char* kExtDevKeys[4] = {"ExtDevDrvID", "ExtDevDrvName", "ExtDevDrvSYS", "ExtDevDrvINF"};
const char* kPossibleDevKeys[4] = {"PossibleDevID", "PossibleDevDrvName", "PossibleDevDrvSYS", "PossibleDevInf"};
const char* kPossibleExtDevKeys[4] = {"PossibleExtDevDrvID", "PossibleExtDevDrvName", "PossibleExtDevDrvSYS",
                                      "PossibleExtDevDrvINF"};

}  // namespace

int CDrvUninstApp::LoadUninstProfile() {
  wsprintfA(m_szSection, "%d", GetCountryCode());
  GetPrivateProfileStringA(m_szSection, "UnInstDrvAppTitle", "", m_szUnInstDrvAppTitle, TEXT_SIZE, kProfileFile);
  if (m_szUnInstDrvAppTitle[0] == '\0') {
    std::strcpy(m_szSection, "1");
    GetPrivateProfileStringA(m_szSection, "UnInstDrvAppTitle", "Velmor Lumex WDM Drivers Uninstallation",
                             m_szUnInstDrvAppTitle, TEXT_SIZE, kProfileFile);
  }

  const ProfileReader read(m_szSection);
  m_nDevIDNum = read.Count(*this, "DevIDNum");
  read.Entries(kDevKeys, m_nDevIDNum, m_DevDrv);
  m_nExtDevIDNum = read.Count(*this, "ExtDevIDNum");
  read.Entries(kExtDevKeys, m_nExtDevIDNum, m_ExtDevDrv);
  m_nExtDllFileNum = read.Count(*this, "ExtDllFileNum");
  read.Texts("ExtCopyFileName", m_nExtDllFileNum, m_szExtCopyFileName);
  m_nPossibleDevIDNum = read.Count(*this, "PossibleDevIDNum");
  read.Entries(kPossibleDevKeys, m_nPossibleDevIDNum, m_PossibleDevDrv);
  m_nPossibleExtDevIDNum = read.Count(*this, "PossibleExtDevIDNum");
  read.Entries(kPossibleExtDevKeys, m_nPossibleExtDevIDNum, m_PossibleExtDevDrv);

  read.Text("DrvUninstRegKeyPath", "", m_szDrvUninstRegKeyPath, DRV_FIELD_SIZE);
  read.Text("DrvUninstRegKeyName", "Velmor Lumex WDM Drivers", m_szDrvUninstRegKeyName, DRV_FIELD_SIZE);
  read.Text("DrvUninstAppName", "q7nunist.exe", m_szDrvUninstAppName, DRV_FIELD_SIZE);
  read.Text("MediaClass", "Yes", m_szMediaClass, DRV_FIELD_SIZE);
  read.Text("UnInstNoRegKeyMsg", "You do not install Velmor Lumex WDM Drivers.", m_szUnInstNoRegKeyMsg, TEXT_SIZE);
  read.Text("UnInstDrvPassMsg", "Velmor Lumex WDM Drivers have been uninstalled completely.", m_szUnInstDrvPassMsg,
            TEXT_SIZE);
  read.Text("UnInstDrvPassMsg2", "If you want to re-install drivers, you MUST reboot your system.",
            m_szUnInstDrvPassMsg2, TEXT_SIZE);
  read.Text("UnInstDrvRunTipMsg", "Press 'OK' to start ...", m_szUnInstDrvRunTipMsg, TEXT_SIZE);
  read.Text("UnInstDrvLeftMsg", "The drivers could not be removed completely. These parts are still there:",
            m_szUnInstDrvLeftMsg, TEXT_SIZE);
  read.Text("UnInstDrvLeftMoreMsg", "", m_szUnInstDrvLeftMoreMsg, TEXT_SIZE);
  read.Text("UnInstDrv64FailMsg",
            "The 64-bit part of the uninstaller could not be started, so nothing was removed. "
            "Run the uninstaller again as an administrator.",
            m_szUnInstDrv64FailMsg, TEXT_SIZE);
  read.Text("UnInstDrvNoDevMsg",
            "The drivers were not removed because the device was not found as expected. "
            "Connect the device and run this program again.",
            m_szUnInstDrvNoDevMsg, TEXT_SIZE);
  m_nUnInstServiceNum = read.Count(*this, "UnInstServiceNum");
  read.Texts("UnInstService", m_nUnInstServiceNum, m_szUnInstService);
  read.Text("OKText", "OK", m_szOKText, sizeof(m_szOKText));
  read.Text("UnInstRemoteTitleName", "Remote Control", m_szUnInstRemoteTitleName, TEXT_SIZE);
  m_nUnInstRegKeyNum = read.Count(*this, "UnInstRegKeyNum");
  read.Texts("UnInstRegKey", m_nUnInstRegKeyNum, m_szUnInstRegKey);
  return 1;
}

// Hexadecimal text to a signed 32-bit number, wrapping as 32-bit arithmetic
// does. A character that is no hexadecimal digit counts as a 0 digit, so its
// place still weighs ("0x1F" reads as 1F).
int CDrvUninstApp::HexToInt(const char* text) {
  const size_t length = std::strlen(text);
  unsigned int result = 0;
  unsigned int weight = 1;
  for (size_t i = length; i > 0; --i) {
    const char c = text[i - 1];
    unsigned int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned int>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned int>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned int>(c - 'a' + 10);
    }
    result += digit * weight;
    weight <<= 4;
  }
  return static_cast<int>(result);
}

int CDrvUninstApp::GetCountryCode() {
  if (IsWinNT5OrLater() == 1) {
    HKEY international = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\International", &international) != ERROR_SUCCESS) {
      return 1;  // no setting to go by: the fallback section
    }
    unsigned char value[31];
    std::memset(value, 0, sizeof(value));
    DWORD size = 30;
    const LSTATUS read = RegQueryValueExA(international, "iCountry", nullptr, nullptr, value, &size);
    RegCloseKey(international);
    if (read != ERROR_SUCCESS) return 1;

    int code = 0;
    for (int i = 0; i < 5 && value[i] != '\0'; ++i) code = code * 10 + (value[i] - 48);
    return code;
  }

  const char kWinIni[] = "\\win.ini";
  char path[128];
  const UINT length = GetWindowsDirectoryA(path, sizeof(path));
  // A Windows directory too long for the buffer: the bare name is looked up
  // in the Windows directory all the same.
  if (length == 0 || length + sizeof(kWinIni) > sizeof(path)) return GetPrivateProfileIntA("intl", "iCountry", 1, "win.ini");
  lstrcatA(path, kWinIni);
  return static_cast<int>(GetPrivateProfileIntA("intl", "iCountry", 1, path));
}

int IsWinNT5OrLater() {
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof(version));
  version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  if (!GetVersionExA(&version)) return 0;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 4 ? 1 : 0;
}
