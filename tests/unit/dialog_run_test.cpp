// The uninstall dialog as the user meets it: its texts, cancelling it, and
// the remote-control window closed before the removal starts.
#include <string>

#include "app/DrvUninstDlg.h"
#include "fresh_machine.h"
#include "platform/sim/faults.h"
#include "platform/sim/window_store.h"
#include "platform/system/WindowsVersion.h"

namespace {

using sim::windows::ForeignWindow;

class UninstallDialog : public FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    InitCommonControls();
  }

  static INT_PTR RunDialog(const std::vector<std::string>& actions) {
    theApp.LoadUninstProfile();
    sim::ClearCallLog();
    sim::windows::ScriptUser(actions);
    CDrvUninstDlg dlg(nullptr);
    return dlg.DoModal();
  }

  static std::string FinalText(int id) {
    for (const auto& c : sim::windows::LastDialog().controls) {
      if (c.id == id) return c.text;
    }
    return "<no control>";
  }

  static HWND AddRemote(bool hung) {
    ForeignWindow remote;
    remote.title = "Remote Control";
    remote.hung = hung;
    return sim::windows::AddForeignWindow(remote);
  }

  // Position of the first call to `api` in the call log, or -1.
  static long FirstCall(const std::string& api, const std::string& subject = "") {
    const auto& log = sim::CallLog();
    for (size_t i = 0; i < log.size(); ++i) {
      if (log[i].api == api && (subject.empty() || sim::EqualsNoCase(log[i].subject, subject))) {
        return static_cast<long>(i);
      }
    }
    return -1;
  }
};

}  // namespace

TEST_F(UninstallDialog, WithoutAProfileTheDefaultsReplaceTheTemplatesTexts) {
  RunDialog({"esc"});
  EXPECT_EQ(sim::windows::LastDialog().caption, "Velmor Lumex WDM Drivers Uninstallation");
  EXPECT_EQ(FinalText(IDC_PROMPT), "Press 'OK' to start ...");
  EXPECT_EQ(FinalText(IDOK), "OK");
}

TEST_F(UninstallDialog, TheProfileGivesCaptionPromptAndButton) {
  WriteProfile(
      "[1]\nUnInstDrvAppTitle=Tuner Removal\nUnInstDrvRunTipMsg=Remove the tuner now?\nOKText=Remove\n");
  RunDialog({"esc"});
  EXPECT_EQ(sim::windows::LastDialog().caption, "Tuner Removal");
  EXPECT_EQ(FinalText(IDC_PROMPT), "Remove the tuner now?");
  EXPECT_EQ(FinalText(IDOK), "Remove");
  // Set once each, caption first, nothing else touched before the user acts.
  const auto& texts = sim::windows::TextsShown();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].controlId, 0);
  EXPECT_EQ(texts[1].controlId, IDC_PROMPT);
  EXPECT_EQ(texts[2].controlId, IDOK);
}

TEST_F(UninstallDialog, OnInitDialogSetsTheBigThenTheSmallIcon) {
  RunDialog({"esc"});
  std::vector<WPARAM> which;
  std::vector<LPARAM> icons;
  for (const auto& m : sim::windows::DialogMessages()) {
    if (m.message != WM_SETICON) continue;
    which.push_back(m.wParam);
    icons.push_back(m.lParam);
  }
  EXPECT_EQ(which, (std::vector<WPARAM>{ICON_BIG, ICON_SMALL}));
  const LPARAM loaded = reinterpret_cast<LPARAM>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(132)));
  EXPECT_NE(loaded, 0);
  EXPECT_EQ(icons, (std::vector<LPARAM>{loaded, loaded}));
}

TEST_F(UninstallDialog, TheConstructorLoadsIcon132AndStartsWithNoDevicesFound) {
  CDrvUninstDlg dlg(nullptr);
  EXPECT_NE(dlg.m_hIcon, nullptr);
  EXPECT_EQ(dlg.m_hIcon, LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(132)));
  EXPECT_EQ(dlg.m_nFoundDevNum, 0);
}

TEST_F(UninstallDialog, PromptVisibleAndProgressHiddenBeforeOk) {
  RunDialog({"esc"});
  for (const auto& c : sim::windows::LastDialog().controls) {
    EXPECT_EQ(c.visible, c.id != IDC_PROGRESS) << c.id;
  }
}

TEST_F(UninstallDialog, EscCancelsWithNothingRun) {
  AddRemote(false);
  EXPECT_EQ(RunDialog({"esc"}), IDCANCEL);
  EXPECT_EQ(FirstCall("FindWindowA"), -1);
  EXPECT_EQ(FirstCall("GetVersionExA"), -1);
  EXPECT_EQ(FirstCall("DeleteFileA"), -1);
  EXPECT_TRUE(sim::windows::MessageBoxes().empty());
  EXPECT_TRUE(sim::windows::ForeignWindowAlive("Remote Control"));
}

TEST_F(UninstallDialog, TheCloseBoxCancelsWithNothingRun) {
  AddRemote(false);
  EXPECT_EQ(RunDialog({"close"}), IDCANCEL);
  EXPECT_EQ(FirstCall("FindWindowA"), -1);
  EXPECT_EQ(FirstCall("GetVersionExA"), -1);
  EXPECT_TRUE(sim::windows::MessageBoxes().empty());
  EXPECT_TRUE(sim::windows::ForeignWindowAlive("Remote Control"));
}

TEST_F(UninstallDialog, ARemoteControlWindowIsClosedBeforeTheRemovalStarts) {
  AddRemote(false);
  RunDialog({"ok", "box-ok"});
  const long send = FirstCall("SendMessageTimeoutA", "Remote Control");
  ASSERT_GE(send, 0);
  EXPECT_LT(FirstCall("FindWindowA", "Remote Control"), send);
  // Choosing the family is the removal's first step.
  EXPECT_GT(FirstCall("GetVersionExA"), send);
  EXPECT_FALSE(sim::windows::ForeignWindowAlive("Remote Control"));
}

TEST_F(UninstallDialog, AHungRemoteControlWindowCannotHangTheUninstaller) {
  AddRemote(true);
  RunDialog({"ok", "box-ok"});
  EXPECT_FALSE(sim::windows::SendBlockedForever());
  EXPECT_GT(sim::windows::WaitedMilliseconds(), 0u);
  EXPECT_LE(sim::windows::WaitedMilliseconds(), 10000u);
  EXPECT_TRUE(sim::windows::ForeignWindowAlive("Remote Control"));
  EXPECT_GT(FirstCall("GetVersionExA"), FirstCall("SendMessageTimeoutA", "Remote Control"));
}

TEST_F(UninstallDialog, WithNoRemoteControlWindowTheRemovalStartsAtOnce) {
  RunDialog({"ok", "box-ok"});
  EXPECT_GE(FirstCall("FindWindowA", "Remote Control"), 0);
  EXPECT_EQ(FirstCall("SendMessageTimeoutA"), -1);
  EXPECT_EQ(FirstCall("SendMessageA", "Remote Control"), -1);
  EXPECT_GE(FirstCall("GetVersionExA"), 0);
}

TEST_F(UninstallDialog, AnEmptyRemoteTitleClosesNoUntitledWindow) {
  ForeignWindow untitled;
  untitled.title = "";
  sim::windows::AddForeignWindow(untitled);
  theApp.LoadUninstProfile();
  sim::windows::ScriptUser({"ok", "box-ok"});
  CDrvUninstDlg dlg(nullptr);
  theApp.m_szUnInstRemoteTitleName[0] = '\0';
  dlg.DoModal();
  EXPECT_EQ(sim::windows::AliveForeignWindowTitles(), (std::vector<std::string>{""}));
}

TEST_F(UninstallDialog, ARemoteTitleEqualToTheDialogsCaptionLeavesTheDialogToTheRemoval) {
  WriteProfile("[1]\nUnInstDrvAppTitle=Tuner\nUnInstRemoteTitleName=Tuner\n");
  RunDialog({"ok", "box-ok"});
  EXPECT_EQ(FirstCall("SendMessageTimeoutA"), -1);
  EXPECT_EQ(sim::windows::LastDialog().result, IDOK);
  EXPECT_EQ(sim::windows::MessageBoxes().size(), 1u);
}

TEST_F(UninstallDialog, ATemplateAtTheOriginIsCentredOnTheScreen) {
  RunDialog({"esc"});
  RECT frame = {0, 0, 0, 0};
  const POINT position = sim::windows::LastDialog().position;
  // 230 x 85 dialog units are 345 x 159 pixels of client area, plus the frame.
  frame.right = 345 + 6;
  frame.bottom = 159 + 29;
  EXPECT_EQ(position.x, (1024 - frame.right) / 2);
  EXPECT_EQ(position.y, (768 - frame.bottom) / 2);
}

TEST(FamilyCheck, OnlyThe9xPlatformIdCountsAs9x) {
  sim::Reset();
  for (const char* version : {"win95", "win98", "winme"}) {
    ASSERT_TRUE(sim::SetVersion(version));
    EXPECT_TRUE(IsWin9x()) << version;
  }
  for (const char* version : {"nt40", "win2k", "winxp", "win2003", "vista", "win7", "win10"}) {
    ASSERT_TRUE(sim::SetVersion(version));
    EXPECT_FALSE(IsWin9x()) << version;
  }
  sim::SetVersion(sim::VersionInfo{VER_PLATFORM_WIN32s, 3, 1, 0, ""});
  EXPECT_FALSE(IsWin9x());
}

TEST(FamilyCheck, AFailedVersionQueryIsNot9x) {
  sim::Reset();
  sim::SetVersion("win98");
  sim::InjectFault("GetVersionExA", ERROR_ACCESS_DENIED);
  EXPECT_FALSE(IsWin9x());
}
