// What the preview's account rests on: the registry's journal of values as
// they were before a run changed them, the machine's events, and the answer
// for a machine it could not read whole.
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "fresh_machine.h"
#include "platform/sim/events.h"
#include "platform/sim/value_journal.h"
#include "platform/sim/window_store.h"
#include "preview/Preview.h"

namespace {

using sim::registry::ValueJournal;

const char kClass[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}";

class PreviewAccount : public FreshMachine {
 protected:
  static HKEY OpenClass() {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClass + 5, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    return key;
  }
};

TEST_F(PreviewAccount, TheJournalKeepsEachKeysValuesFromBeforeItsFirstChangeAndOnlyWhileKept) {
  sim::registry::SetMultiString(kClass, "UpperFilters", {"LumexFlt", "ksthunk"});
  sim::registry::SetString(kClass, "Class", "MEDIA");
  sim::registry::StartValueJournal();

  HKEY key = OpenClass();
  const BYTE kept[] = "ksthunk\0";
  ASSERT_EQ(RegSetValueExA(key, "UpperFilters", 0, REG_MULTI_SZ, kept, sizeof(kept)), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValueA(key, "Class"), ERROR_SUCCESS);
  RegCloseKey(key);
  sim::registry::SetString("HKLM\\Software\\Added", "Name", "new");
  sim::registry::StopValueJournal();
  sim::registry::SetString("HKLM\\Software\\Later", "Name", "unseen");

  ASSERT_EQ(ValueJournal().size(), 2u);
  const sim::registry::ValuesBefore& filters = ValueJournal()[0];
  EXPECT_EQ(filters.path, kClass);
  ASSERT_EQ(filters.values.size(), 2u);  // the second change saved nothing more
  const sim::RegValue& upper = filters.values.at("upperfilters");
  EXPECT_EQ(std::string(upper.data.begin(), upper.data.end()), std::string("LumexFlt\0ksthunk\0\0", 18));
  EXPECT_TRUE(filters.values.count("Class"));
  EXPECT_EQ(ValueJournal()[1].path, "HKLM\\Software\\Added");
  EXPECT_TRUE(ValueJournal()[1].values.empty());  // a key the run made had nothing before
}

// The account tells what was done, not which call did it: a program that
// closes the remote control another way, or reads a count as a number,
// still has its line in the account.
TEST_F(PreviewAccount, EveryCallWithTheSameEffectRecordsTheSameEvent) {
  using sim::events::Kind;
  sim::windows::ForeignWindow remote;
  remote.title = "Remote Control";
  const HWND remoteWindow = sim::windows::AddForeignWindow(remote);
  sim::windows::ForeignWindow guide;
  guide.title = "Tuner Guide";
  const HWND guideWindow = sim::windows::AddForeignWindow(guide);
  sim::files::Write("system32\\drivers\\tuner.sys", "driver");
  sim::events::Start({Kind::WindowMessage, Kind::BoxShow, Kind::ProfileKeyRead, Kind::FileDeleteAtRestart});

  SendMessageA(remoteWindow, WM_GETTEXTLENGTH, 0, 0);
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(remoteWindow, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer);
  PostMessageA(guideWindow, WM_CLOSE, 0, 0);
  MessageBoxA(nullptr, "Done.", "Tuner Uninstallation", MB_OK);
  GetPrivateProfileIntA("intl", "iCountry", 1, "win.ini");
  char text[16];
  GetPrivateProfileStringA("1", "DevIDNum", "", text, sizeof(text), "ZIZURUDO.ini");
  GetPrivateProfileStringA("1", nullptr, "", text, sizeof(text), "ZIZURUDO.ini");  // the key list: no key read
  MoveFileExA("C:\\WINDOWS\\system32\\drivers\\tuner.sys", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExA("C:\\WINDOWS\\system32\\drivers\\tuner.sys", "C:\\WINDOWS\\tuner.old", 0);  // a rename deletes nothing
  DeleteFileA("C:\\WINDOWS\\tuner.old");  // a kind not asked for is not kept
  sim::events::Stop();
  MessageBoxA(nullptr, "Later.", "Tuner Uninstallation", MB_OK);

  std::vector<std::tuple<Kind, std::string, std::string, std::string>> recorded;
  for (const sim::events::Event& event : sim::events::Recorded()) {
    recorded.emplace_back(event.kind, event.subject, event.name, event.section);
  }
  const std::vector<std::tuple<Kind, std::string, std::string, std::string>> expected = {
      {Kind::WindowMessage, "Remote Control", "", ""},
      {Kind::WindowMessage, "Remote Control", "", ""},
      {Kind::WindowMessage, "Tuner Guide", "", ""},
      {Kind::BoxShow, "Tuner Uninstallation", "", ""},
      {Kind::ProfileKeyRead, "win.ini", "iCountry", "intl"},
      {Kind::ProfileKeyRead, "ZIZURUDO.ini", "DevIDNum", "1"},
      {Kind::FileDeleteAtRestart, "C:\\WINDOWS\\system32\\drivers\\tuner.sys", "", ""},
  };
  EXPECT_EQ(recorded, expected);
}

TEST_F(PreviewAccount, AMachineWithPartsNotReadIsNamedSoAndGetsNoAnswer) {
  preview::PreviewOptions options;
  options.machineName = "this PC";
  options.notReadable = {"HKLM\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1234&DEV_0001: access denied"};
  std::ostringstream report;

  EXPECT_EQ(preview::RunPreview(options, report), preview::PREVIEW_CANNOT_TELL);
  const std::string text = report.str();
  EXPECT_NE(text.find("Not readable (the analysis cannot see these):\n  HKLM\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\"
                      "VEN_1234&DEV_0001: access denied\n"),
            std::string::npos);
  EXPECT_NE(text.find("this answer may not be the uninstaller's"), std::string::npos);
}

}  // namespace
