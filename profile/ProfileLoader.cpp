// The profile is read key by key as the table of keys lists them, from one
// section chosen by the user's country code with "1" as the fallback.
#include "profile/ProfileLoader.h"

#include <cstring>

#include "platform/system/WindowsVersion.h"
#include "profile/ProfileKeys.h"

namespace {

const char kProfileFile[] = "ZIZURUDO.ini";

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
  int Count(const ProfileKey& list) const {
    char text[COUNT_TEXT_SIZE];
    Text(list.name, list.defaultText, text, sizeof(text));
    const int count = HexTextToInt(text);
    return count > MAX_DRV_ENTRIES ? MAX_DRV_ENTRIES : count;
  }

  void List(UninstProfile& profile, const ProfileKey& list) const {
    const int count = Count(list);
    ListCount(profile, list) = count;
    for (int i = 0; i < count; ++i) {
      for (int f = 0; f < list.fieldCount; ++f) {
        const ProfileListField& field = list.fields[f];
        IndexedText(field.prefix, i, EntryText(profile, list, i, f), static_cast<DWORD>(field.width));
      }
    }
  }

 private:
  const char* m_section;
};

// The title picks the section: the country's when it has one, else "1".
void ReadTitle(UninstProfile& profile, const ProfileKey& title) {
  char* text = KeyText(profile, title);
  const DWORD width = static_cast<DWORD>(title.width);
  GetPrivateProfileStringA(profile.m_szSection, title.name, "", text, width, kProfileFile);
  if (text[0] != '\0') return;
  std::strcpy(profile.m_szSection, "1");
  GetPrivateProfileStringA(profile.m_szSection, title.name, title.defaultText, text, width, kProfileFile);
}

}  // namespace

void ReadUninstProfile(UninstProfile& profile, int countryCode) {
  wsprintfA(profile.m_szSection, "%d", countryCode);
  const ProfileReader read(profile.m_szSection);
  for (int k = 0; k < kProfileKeyCount; ++k) {
    const ProfileKey& key = kProfileKeys[k];
    switch (key.form) {
      case KEY_TITLE:
        ReadTitle(profile, key);
        break;
      case KEY_TEXT:
        read.Text(key.name, key.defaultText, KeyText(profile, key), static_cast<DWORD>(key.width));
        break;
      case KEY_LIST:
        read.List(profile, key);
        break;
    }
  }
}

// Hexadecimal text to a signed 32-bit number, wrapping as 32-bit arithmetic
// does. A character that is no hexadecimal digit counts as a 0 digit, so its
// place still weighs ("0x1F" reads as 1F).
int HexTextToInt(const char* text) {
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

int ReadCountryCode() {
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
