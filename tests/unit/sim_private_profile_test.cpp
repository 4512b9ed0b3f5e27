// The simulated profile reader parses as the platform notes measured.
#include <cstring>
#include <string>

#include "fresh_machine.h"

namespace {

class SimProfile : public FreshMachine {
 protected:
  static std::string Read(const char* section, const char* key, const char* fallback = "DEF",
                          DWORD size = 64, DWORD* returned = nullptr) {
    char buffer[128];
    std::memset(buffer, 'X', sizeof(buffer));
    const DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer, size, "ZIZURUDO.ini");
    if (returned != nullptr) *returned = n;
    return std::string(buffer, n);
  }
};

TEST_F(SimProfile, TrimsBlanksAndDropsMatchingQuotes) {
  WriteProfile(
      "  [ Spaced ]  \r\n"
      "  key3 \t=  value three  \r\n"
      "q=\"quoted value\"\r\ns='single quoted'\r\nin=\" inner spaces \"\r\n"
      "odd=\"abc'\r\nmid=a\"b\"c\r\nlone=\"\r\n"
      ";c=1\r\n#hash=1\r\nnote=abc ; note\r\neq=a=b\r\nempty=\r\nnoequals\r\n");
  EXPECT_EQ(Read("spaced", "  KEY3"), "value three");
  EXPECT_EQ(Read("Spaced", "q"), "quoted value");
  EXPECT_EQ(Read("Spaced", "s"), "single quoted");
  EXPECT_EQ(Read("Spaced", "in"), " inner spaces ");
  EXPECT_EQ(Read("Spaced", "odd"), "\"abc'");
  EXPECT_EQ(Read("Spaced", "mid"), "a\"b\"c");
  EXPECT_EQ(Read("Spaced", "lone"), "\"");
  EXPECT_EQ(Read("Spaced", ";c"), "DEF");
  EXPECT_EQ(Read("Spaced", "#hash"), "1");
  EXPECT_EQ(Read("Spaced", "note"), "abc ; note");
  EXPECT_EQ(Read("Spaced", "eq"), "a=b");
  EXPECT_EQ(Read("Spaced", "empty"), "");
  EXPECT_EQ(Read("Spaced", "noequals"), "DEF");
}

TEST_F(SimProfile, FirstSectionAndFirstKeyWin) {
  WriteProfile("top=before\n[Sec]\nk=1\nk=2\n[sec]\nother=3\n");
  EXPECT_EQ(Read("SEC", "k"), "1");
  EXPECT_EQ(Read("Sec", "other"), "DEF");
  EXPECT_EQ(Read("", "top"), "before");
  EXPECT_EQ(Read("Sec", "top"), "DEF");
}

TEST_F(SimProfile, DefaultsLoseTrailingBlanksAndNullGivesEmpty) {
  WriteProfile("[S]\n");
  EXPECT_EQ(Read("S", "missing", "  DEF   "), "  DEF");
  EXPECT_EQ(Read("S", "missing", nullptr), "");
}

TEST_F(SimProfile, CutsToSizeLessOne) {
  WriteProfile("[S]\nv=0123456789ABCDEFGHIJ\n");
  DWORD n = 0;
  EXPECT_EQ(Read("S", "v", "", 5, &n), "0123");
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(Read("S", "v", "", 1, &n), "");
  EXPECT_EQ(Read("S", "missing", "TOOLONGDEFAULT", 5, &n), "TOOL");
  char untouched[4] = {'X', 'X', 'X', 0};
  EXPECT_EQ(GetPrivateProfileStringA("S", "v", "", untouched, 0, "ZIZURUDO.ini"), 0u);
  EXPECT_EQ(untouched[0], 'X');
}

TEST_F(SimProfile, KeyAndSectionListsAreDoubleNulTerminated) {
  WriteProfile("[Sec]\nKey=1\nkey2=2\n[sec]\n[Spaced]\n[Last]\n");
  char buffer[32];
  std::memset(buffer, 'X', sizeof(buffer));
  EXPECT_EQ(GetPrivateProfileStringA("Sec", nullptr, "", buffer, 10, "ZIZURUDO.ini"), 8u);
  EXPECT_EQ(std::memcmp(buffer, "Key\0key2\0", 9), 0);
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 8, "ZIZURUDO.ini"), 6u);
  EXPECT_EQ(std::memcmp(buffer, "Sec\0se\0", 7), 0);
}

TEST_F(SimProfile, BareNamesLiveInTheWindowsDirectoryOnly) {
  sim::files::Write("C:\\elsewhere\\ZIZURUDO.ini", "[S]\nv=1\n");
  EXPECT_EQ(Read("S", "v"), "DEF");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  WriteProfile("[S]\nv=1\n");
  EXPECT_EQ(Read("S", "v"), "1");
  EXPECT_EQ(GetLastError(), 0u);
}

TEST_F(SimProfile, Utf8WithBomIsReadAsAnsi) {
  WriteProfile("\xEF\xBB\xBF[S]\nv=caf\xC3\xA9\n");
  EXPECT_EQ(Read("S", "v"), "caf\xE9");
}

TEST_F(SimProfile, IntegersParseLikeTheSystem) {
  sim::files::Write("win.ini",
                    "[intl]\na=123\nb=   42\nc=-7\nd=12abc\ne=abc\nf=\"15\"\ng=0x1F\nh=99999999999\ni=\nj=- 5\n");
  const char* ini = "C:\\WINDOWS\\WIN.INI";
  EXPECT_EQ(GetPrivateProfileIntA("intl", "a", 77, ini), 123u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "b", 77, ini), 42u);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("intl", "c", 77, ini)), -7);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "d", 77, ini), 12u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "e", 77, ini), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "f", 77, ini), 15u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "g", 77, ini), 31u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "h", 77, ini), 1215752191u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "i", 77, ini), 77u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "j", 77, ini), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("intl", "missing", 77, ini), 77u);
}

}  // namespace
