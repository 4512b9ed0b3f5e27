// The simulated registry answers as the platform notes measured.
#include <cstring>
#include <string>
#include <vector>

#include "fresh_machine.h"

namespace {

class SimRegistry : public FreshMachine {
 protected:
  static HKEY Open(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS) << path;
    return key;
  }
};

TEST_F(SimRegistry, SubkeysEnumerateSortedWithoutRegardToCase) {
  for (const char* name : {"zeta", "Beta", "alpha", "Gamma", "beta2", "_under", "10", "9", "a b", "Alpha2"}) {
    sim::registry::Create(std::string("HKLM\\T\\") + name);
  }
  HKEY key = Open("T");
  std::vector<std::string> names;
  char name[64];
  DWORD index = 0;
  for (;; ++index) {
    DWORD size = sizeof(name);
    const LSTATUS status = RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
      EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
      break;
    }
    EXPECT_EQ(size, std::strlen(name));
    names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"10", "9", "_under", "a b", "alpha", "Alpha2", "Beta", "beta2",
                                             "Gamma", "zeta"}));
  RegCloseKey(key);
}

TEST_F(SimRegistry, ANameBufferTooSmallIsLeftUntouched) {
  sim::registry::Create("HKLM\\T\\abcd");
  HKEY key = Open("T");
  char name[8] = "XXXXXXX";
  DWORD size = 4;  // the name's length, no room for its NUL
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_STREQ(name, "XXXXXXX");
  RegCloseKey(key);
}

TEST_F(SimRegistry, OpenRulesForPathsAndEmptyNames) {
  sim::registry::Create("HKLM\\Software\\Sub");
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\sub\\", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\\\Sub", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software", 0, KEY_ALL_ACCESS, &key), ERROR_BAD_PATHNAME);
  key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Missing", 0, KEY_ALL_ACCESS, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  EXPECT_EQ(key, HKEY_LOCAL_MACHINE);

  HKEY software = Open("Software");
  HKEY same = nullptr;
  EXPECT_EQ(RegOpenKeyA(software, "", &same), ERROR_SUCCESS);
  EXPECT_EQ(same, software);
  EXPECT_EQ(RegOpenKeyExA(software, nullptr, 0, KEY_ALL_ACCESS, &same), ERROR_SUCCESS);
  EXPECT_NE(same, software);
  RegCloseKey(same);
  RegCloseKey(software);
  EXPECT_EQ(sim::registry::OpenHandleCount(), 0u);
}

TEST_F(SimRegistry, QueryValueSizesAndMissingValues) {
  sim::registry::SetString("HKLM\\T", "Desc", "hello");
  HKEY key = Open("T");
  char buffer[16];
  std::memset(buffer, 'X', sizeof(buffer));
  DWORD type = 99;
  DWORD size = 3;
  EXPECT_EQ(RegQueryValueExA(key, "Desc", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(buffer[0], 'X');

  size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Desc", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);

  size = 7;
  type = 99;
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(type, 0u);
  EXPECT_EQ(buffer[0], 'X');
  RegCloseKey(key);
}

TEST_F(SimRegistry, AStringStoredWithoutItsNulGetsOneWhenThereIsRoom) {
  const std::string text = "world";
  sim::registry::SetValue("HKLM\\T", "V", REG_SZ, std::vector<BYTE>(text.begin(), text.end()));
  HKEY key = Open("T");
  char buffer[8];
  std::memset(buffer, 'X', sizeof(buffer));
  DWORD size = 5;
  EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &size), ERROR_SUCCESS);
  EXPECT_EQ(buffer[5], 'X');
  size = 6;
  EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &size), ERROR_SUCCESS);
  EXPECT_STREQ(buffer, "world");
  EXPECT_EQ(size, 5u);
  RegCloseKey(key);
}

TEST_F(SimRegistry, DeleteKeyIsLeafOnlyOnNtAndWholeOn9x) {
  sim::registry::Create("HKLM\\T\\Parent\\Child");
  HKEY key = Open("T");
  EXPECT_EQ(RegDeleteKeyA(key, "Parent"), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(sim::registry::Exists("HKLM\\T\\Parent\\Child"));
  EXPECT_EQ(RegDeleteKeyA(key, "Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(key, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteKeyA(key, "Parent\\Child"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(key, "Parent"), ERROR_SUCCESS);

  sim::SetVersion("win98");
  sim::registry::Create("HKLM\\T\\Tree\\0000\\Deeper");
  sim::registry::Create("HKLM\\T\\Tree\\0001");
  EXPECT_EQ(RegDeleteKeyA(key, "Tree"), ERROR_SUCCESS);
  EXPECT_FALSE(sim::registry::Exists("HKLM\\T\\Tree"));
  RegCloseKey(key);
}

TEST_F(SimRegistry, ShDeleteKeyTakesTheSubtreeAndWithAnEmptyNameEmptiesTheKey) {
  sim::registry::Create("HKLM\\T\\A\\B\\C");
  sim::registry::SetString("HKLM\\T", "Keep", "no");
  HKEY key = Open("T");
  EXPECT_EQ(SHDeleteKeyA(key, "a"), ERROR_SUCCESS);
  EXPECT_FALSE(sim::registry::Exists("HKLM\\T\\A"));
  EXPECT_EQ(SHDeleteKeyA(key, "a"), ERROR_FILE_NOT_FOUND);

  sim::registry::Create("HKLM\\T\\D");
  EXPECT_EQ(SHDeleteKeyA(key, ""), ERROR_SUCCESS);
  EXPECT_TRUE(sim::registry::Exists("HKLM\\T"));
  EXPECT_TRUE(sim::registry::SubkeyNames("HKLM\\T").empty());
  EXPECT_FALSE(sim::registry::GetValue("HKLM\\T", "Keep").has_value());
  RegCloseKey(key);
}

TEST_F(SimRegistry, ALeadingBackslashNamesNoSubkeyToDelete) {
  sim::registry::Create("HKLM\\T\\A");
  HKEY key = Open("T");
  EXPECT_EQ(SHDeleteKeyA(key, "\\"), ERROR_BAD_PATHNAME);
  EXPECT_EQ(SHDeleteKeyA(key, "\\A"), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegDeleteKeyA(key, "\\A"), ERROR_BAD_PATHNAME);
  EXPECT_TRUE(sim::registry::Exists("HKLM\\T\\A"));
  RegCloseKey(key);
}

TEST_F(SimRegistry, HandlesToADeletedKeyFail) {
  sim::registry::Create("HKLM\\T\\Gone");
  HKEY gone = Open("T\\Gone");
  HKEY parent = Open("T");
  EXPECT_EQ(SHDeleteKeyA(parent, "Gone"), ERROR_SUCCESS);
  char name[16];
  DWORD size = sizeof(name);
  EXPECT_EQ(RegEnumKeyExA(gone, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(gone), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(gone), ERROR_INVALID_HANDLE);
  RegCloseKey(parent);
}

TEST_F(SimRegistry, DeletingWhileWalkingUpwardSkipsEveryOtherKey) {
  for (int i = 0; i < 10; ++i) sim::registry::Create("HKLM\\T\\k" + std::to_string(i));
  HKEY key = Open("T");
  int deleted = 0;
  char name[16];
  for (DWORD index = 0;; ++index) {
    DWORD size = sizeof(name);
    if (RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (SHDeleteKeyA(key, name) == ERROR_SUCCESS) ++deleted;
  }
  EXPECT_EQ(deleted, 5);
  RegCloseKey(key);
}

}  // namespace
