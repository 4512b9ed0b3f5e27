#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/window_store.h"
#include "platform/win32.h"
#include "harness/expectations.h"

namespace {

class Expectations : public ::testing::Test {
 protected:
  void SetUp() override { sim::Reset(); }

  static std::vector<std::string> Check(const std::string& text) {
    return harness::CheckExpectations(harness::ParseExpect(text));
  }
};

TEST_F(Expectations, CommentsAndBlankLinesAreNotChecked) {
  const harness::ExpectFile expect = harness::ParseExpect("# a comment\n\n   \nno-box\n");
  ASSERT_EQ(expect.items.size(), 1u);
  EXPECT_EQ(expect.items[0].line, 4);
  EXPECT_EQ(expect.items[0].keyword, "no-box");
}

TEST_F(Expectations, AnUnknownKeywordFailsTheFile) {
  const auto failures = Check("key-presnet HKLM\\Software\n");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("line 1"), std::string::npos);
  EXPECT_NE(failures[0].find("key-presnet"), std::string::npos);
}

TEST_F(Expectations, LinesBelowRestartWaitForTheRestartAndCheckOnlyTheMachine) {
  sim::files::Write("gone.sys", "x");
  const harness::ExpectFile expect =
      harness::ParseExpect("file-present gone.sys\nrestart\nfile-absent gone.sys\nbox A|B\nrestart\n");
  EXPECT_TRUE(expect.restart);
  ASSERT_EQ(expect.errors.size(), 2u);  // a box, and a second restart, after the restart
  EXPECT_EQ(harness::CheckExpectations(expect), expect.errors);
  const auto failures = harness::CheckAfterRestart(expect);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("after the restart"), std::string::npos);
}

TEST_F(Expectations, LineFeedsInBoxTextsAreWrittenAsBackslashN) {
  MessageBoxA(nullptr, "Done.\n\nReboot now.", "Title", MB_OK);
  EXPECT_TRUE(Check("box Title|Done.\\n\\nReboot now.\n").empty());
  EXPECT_EQ(Check("box Title|Done. Reboot now.\n").size(), 1u);
}

TEST_F(Expectations, ABackslashNInAPathMayStandForItself) {
  sim::registry::SetString("HKLM\\Software\\U", "Inf", "c:\\windows\\net.inf");
  EXPECT_TRUE(Check("value HKLM\\Software\\U|Inf|c:\\windows\\net.inf\n").empty());
}

TEST_F(Expectations, BoxLinesNameEveryBoxInOrder) {
  MessageBoxA(nullptr, "first", "A", MB_OK);
  MessageBoxA(nullptr, "second", "B", MB_OK);
  EXPECT_TRUE(Check("box A|first\nbox B|second\n").empty());
  EXPECT_EQ(Check("box B|second\nbox A|first\n").size(), 2u);
  // The second box was not expected.
  EXPECT_EQ(Check("box A|first\n").size(), 1u);
  // A third box line finds no box.
  EXPECT_EQ(Check("box A|first\nbox B|second\nbox C|third\n").size(), 1u);
}

TEST_F(Expectations, NoBoxFailsOnceABoxWasShown) {
  EXPECT_TRUE(Check("no-box\n").empty());
  MessageBoxA(nullptr, "text", "caption", MB_ICONWARNING);
  const auto failures = Check("no-box\n");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("caption"), std::string::npos);
}

TEST_F(Expectations, DialogLinesFailWhenNoDialogRan) {
  EXPECT_TRUE(Check("no-dialog\n").empty());
  EXPECT_EQ(Check("dialog Some Title\n").size(), 1u);
  EXPECT_EQ(Check("text 1001 Press 'OK'\n").size(), 1u);
  EXPECT_EQ(Check("text 0\n").size(), 1u);
}

TEST_F(Expectations, KeysAreCheckedPresentAndAbsent) {
  sim::registry::Create("HKLM\\Software\\Vendor\\Product");
  EXPECT_TRUE(Check("key-present HKLM\\Software\\Vendor\\Product\nkey-absent HKLM\\Software\\Other\n").empty());
  const auto failures = Check("key-absent HKLM\\Software\\Vendor\nkey-present HKCU\\Software\\Vendor\n");
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_NE(failures[0].find("line 1"), std::string::npos);
  EXPECT_NE(failures[1].find("line 2"), std::string::npos);
}

TEST_F(Expectations, ValuesCompareTheWholeStringTrailingBlanksIncluded) {
  sim::registry::SetString("HKLM\\Software\\U", "DisplayName", "Name ");
  EXPECT_TRUE(Check("value HKLM\\Software\\U|DisplayName|Name \n").empty());
  EXPECT_EQ(Check("value HKLM\\Software\\U|DisplayName|Name\n").size(), 1u);
  EXPECT_EQ(Check("value HKLM\\Software\\U|Missing|Name \n").size(), 1u);
  EXPECT_EQ(Check("value HKLM\\Software\\U\n").size(), 1u);
}

TEST_F(Expectations, FilesAreRelativeToTheWindowsDirectory) {
  sim::files::Write("inf\\oem3.inf", "x");
  EXPECT_TRUE(Check("file-present inf\\oem3.inf\nfile-absent inf\\oem3.pnf\n").empty());
  EXPECT_EQ(Check("file-absent inf\\OEM3.INF\n").size(), 1u);
}

TEST_F(Expectations, ProcessesAreFoundByExeName) {
  sim::processes::Start("ehRecvr.exe");
  EXPECT_TRUE(Check("process-alive ehRecvr.exe\nprocess-gone other.exe\n").empty());
  EXPECT_EQ(Check("process-gone ehRecvr.exe\n").size(), 1u);
}

TEST_F(Expectations, WindowsAreFoundByTitle) {
  sim::windows::ForeignWindow remote;
  remote.title = "Remote Control";
  sim::windows::AddForeignWindow(remote);
  EXPECT_TRUE(Check("window-alive Remote Control\nwindow-gone Remote\n").empty());
  EXPECT_EQ(Check("window-gone Remote Control\n").size(), 1u);
}

TEST_F(Expectations, KnownDifferencesAreOnlyDocumentation) {
  EXPECT_TRUE(Check("known-difference Wine lists the keys in another order\n").empty());
}

TEST_F(Expectations, ProgressNeedsANumber) {
  EXPECT_EQ(Check("progress lots\n").size(), 1u);
}

TEST_F(Expectations, AttributesCompareFilesAndDirectoriesExactly) {
  sim::files::Write("inf\\oem3.inf", "x", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  sim::files::MakeDirectory("system32\\drivers");
  EXPECT_TRUE(Check("attributes inf\\oem3.inf|21\nattributes system32\\drivers|10\n").empty());
  // A directory given the archive bit was touched.
  SetFileAttributesA("C:\\WINDOWS\\system32\\drivers\\", FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(Check("attributes system32\\drivers|10\n").size(), 1u);
  EXPECT_EQ(Check("attributes inf\\gone.inf|20\n").size(), 1u);
  EXPECT_EQ(Check("attributes inf\\oem3.inf\n").size(), 1u);
}

TEST_F(Expectations, ASendToAHungWindowFailsEveryScenario) {
  sim::windows::ForeignWindow remote;
  remote.title = "Remote Control";
  remote.hung = true;
  HWND hung = sim::windows::AddForeignWindow(remote);
  EXPECT_TRUE(Check("window-alive Remote Control\n").empty());
  SendMessageA(hung, WM_CLOSE, 0, 0);
  EXPECT_EQ(Check("window-alive Remote Control\n").size(), 1u);
}

}  // namespace
