// The simulated machine's files in use, paths, short names, the restart
// lists and the restart itself, as Windows (and Wine, where measured) has them.
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/restart.h"
#include "tests/unit/fresh_machine.h"

namespace {

using SimRestart = FreshMachine;

std::string PendingBytes() {
  const auto value = sim::registry::GetValue(sim::kSessionManagerKey, sim::kPendingRenamesValue);
  if (!value) return "<none>";
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_MULTI_SZ));
  return std::string(value->data.begin(), value->data.end());
}

TEST_F(SimRestart, EachKindOfUseRefusesDeletionButNotNewAttributes) {
  sim::files::Write("system32\\open.dll", "x");
  sim::files::Write("system32\\loaded.dll", "x");
  sim::files::Write("app.exe", "x");
  sim::files::HoldOpen("system32\\open.dll");
  sim::files::LoadImage("system32\\loaded.dll");
  const DWORD pid = sim::processes::StartImage("app.exe");
  const struct {
    const char* path;
    DWORD error;
  } cases[] = {{"C:\\WINDOWS\\system32\\open.dll", ERROR_SHARING_VIOLATION},
               {"C:\\WINDOWS\\system32\\loaded.dll", ERROR_ACCESS_DENIED},
               {"C:\\WINDOWS\\app.exe", ERROR_ACCESS_DENIED}};
  for (const auto& c : cases) {
    EXPECT_TRUE(SetFileAttributesA(c.path, FILE_ATTRIBUTE_HIDDEN)) << c.path;
    EXPECT_FALSE(DeleteFileA(c.path)) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
  }
  // A program that ended no longer holds its file.
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  ASSERT_TRUE(TerminateProcess(process, 0));
  CloseHandle(process);
  EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\app.exe"));
}

TEST_F(SimRestart, PathsResolveAsWindowsResolvesThem) {
  sim::files::Write("system32\\drivers\\otherdev.sys", "x");
  for (const char* path : {"C:\\WINDOWS\\inf\\..\\system32\\drivers\\otherdev.sys",
                           "C:/WINDOWS//system32/./drivers\\otherdev.sys", "C:\\WINDOWS\\system32\\drivers\\otherdev.sys. .",
                           "C:\\WINDOWS\\system32.\\drivers\\otherdev.sys", "\\WINDOWS\\inf\\..\\..\\..\\WINDOWS\\"
                                                                             "system32\\drivers\\otherdev.sys"}) {
    EXPECT_NE(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES) << path;
  }
  // Three dots are a name, not a parent; a part before the last loses one
  // trailing dot only, and no blank (as measured on Wine too).
  for (const char* path : {"C:\\WINDOWS\\system32\\...\\drivers\\otherdev.sys",
                           "C:\\WINDOWS\\system32..\\drivers\\otherdev.sys", "C:\\WINDOWS\\system32 \\drivers\\otherdev.sys",
                           "C:\\WINDOWS\\system32\\.. \\system32\\drivers\\otherdev.sys"}) {
    EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES) << path;
  }
  EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\inf\\..\\system32\\drivers\\otherdev.sys"));
  EXPECT_FALSE(sim::files::Exists("system32\\drivers\\otherdev.sys"));
}

TEST_F(SimRestart, LongNamesGetShortAliasesThatReachThem) {
  sim::files::Write("system32\\Long Driver Name.sys", "x");
  sim::files::Write("system32\\longdriverfile.sys", "x");
  sim::files::Write("system32\\tuner.sys", "x");
  char shortPath[MAX_PATH];
  ASSERT_EQ(GetShortPathNameA("c:\\windows\\system32\\long driver name.sys", shortPath, MAX_PATH), 32u);
  EXPECT_STREQ(shortPath, "c:\\windows\\system32\\LONGDR~1.SYS");
  GetShortPathNameA("C:\\WINDOWS\\system32\\longdriverfile.sys", shortPath, MAX_PATH);
  EXPECT_STREQ(shortPath, "C:\\WINDOWS\\system32\\LONGDR~2.SYS");
  GetShortPathNameA("C:\\WINDOWS\\system32\\tuner.sys", shortPath, MAX_PATH);
  EXPECT_STREQ(shortPath, "C:\\WINDOWS\\system32\\tuner.sys");
  // Too small: the size needed, the buffer untouched.
  char small[8] = "keep";
  EXPECT_EQ(GetShortPathNameA("C:\\WINDOWS\\system32\\tuner.sys", small, sizeof(small)), 30u);
  EXPECT_STREQ(small, "keep");
  EXPECT_EQ(GetShortPathNameA("C:\\WINDOWS\\system32\\gone.sys", shortPath, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\SYSTEM32\\LONGDR~1.SYS"));
  EXPECT_FALSE(sim::files::Exists("system32\\Long Driver Name.sys"));
}

TEST_F(SimRestart, MoveFileExAppendsToThePendingListOnNtOnly) {
  ASSERT_TRUE(MoveFileExA("C:\\WINDOWS\\system32\\a.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  ASSERT_TRUE(MoveFileExA("c:\\windows\\b.dll", "C:\\WINDOWS\\c.dll",
                          MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING));
  const char expected[] = "\\??\\C:\\WINDOWS\\system32\\a.dll\0\0\\??\\c:\\windows\\b.dll\0!\\??\\C:\\WINDOWS\\c.dll\0";
  // The array's own terminator is the list's closing NUL.
  EXPECT_EQ(PendingBytes(), std::string(expected, sizeof(expected)));
  sim::processes::SetElevated(false);
  EXPECT_FALSE(MoveFileExA("C:\\WINDOWS\\d.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  sim::processes::SetElevated(true);
  sim::SetVersion("win98");
  EXPECT_FALSE(MoveFileExA("C:\\WINDOWS\\d.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
}

TEST_F(SimRestart, ARestartEndsProgramsAndCarriesOutBothLists) {
  sim::files::Write("system32\\held.dll", "x");
  sim::files::Write("system32\\old.dll", "new content");
  sim::files::Write("system\\Long Support Name.dll", "x");
  sim::files::Write("app.exe", "x");
  sim::files::Write("WININIT.BAK", "an old one");
  sim::files::Write("WININIT.INI", "[other]\r\nNUL=C:\\WINDOWS\\APP.EXE\r\n[rename]\r\n"
                                   "NUL=C:\\WINDOWS\\SYSTEM\\LONGSU~1.DLL\r\nC:\\WINDOWS\\renamed.dll=C:\\WINDOWS\\SYSTEM32\\OLD.DLL\r\n");
  sim::files::HoldOpen("system32\\held.dll");
  sim::processes::StartImage("app.exe");
  ASSERT_TRUE(MoveFileExA("C:\\WINDOWS\\system32\\held.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(sim::ScheduledDeletions(), (std::set<std::string>{"c:\\windows\\system32\\held.dll",
                                                              "c:\\windows\\system\\long support name.dll"}));
  sim::Restart();
  EXPECT_FALSE(sim::files::Exists("system32\\held.dll"));
  EXPECT_FALSE(sim::files::Exists("system\\Long Support Name.dll"));
  EXPECT_EQ(sim::files::Get("renamed.dll")->content, "new content");
  // Only the [rename] section counts; the program ended, its file stays.
  EXPECT_TRUE(sim::files::Exists("app.exe"));
  EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\app.exe"));
  EXPECT_FALSE(sim::files::Exists("WININIT.INI"));
  EXPECT_EQ(sim::files::Get("WININIT.BAK")->content.substr(0, 7), "[other]");
  EXPECT_EQ(PendingBytes(), "<none>");
  EXPECT_TRUE(sim::ScheduledDeletions().empty());
}

}  // namespace
