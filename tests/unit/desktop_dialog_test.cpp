// Modal dialogs on the simulated desktop, driven by a bare dialog procedure:
// the template from the resource script, the scripted user, and the records.
#include <gtest/gtest.h>

#include "platform/sim/machine.h"
#include "platform/sim/window_store.h"
#include "platform/win32.h"

namespace {

struct Seen {
  int initDialogs = 0;
  int paints = 0;
  bool boxOnInit = false;
};
Seen g_seen;

// Ends on OK or Cancel, like most dialogs; leaves everything else alone.
INT_PTR CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    ++g_seen.initDialogs;
    if (g_seen.boxOnInit) MessageBoxA(hwnd, "Box", "Caption", MB_OK);
    return TRUE;
  }
  if (message == WM_PAINT) ++g_seen.paints;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(hwnd, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

// Never ends itself: only the desktop's last resort can.
INT_PTR CALLBACK StubbornProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class DesktopDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Reset();
    g_seen = Seen();
    InitCommonControls();
  }

  static INT_PTR Run(DLGPROC proc = PlainProc) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(102), nullptr, proc, 0);
  }
};

}  // namespace

TEST_F(DesktopDialog, OkEndsWithIdok) {
  sim::windows::ScriptUser({"ok"});
  EXPECT_EQ(Run(), IDOK);
  EXPECT_EQ(g_seen.initDialogs, 1);
  EXPECT_EQ(sim::windows::LastDialog().result, IDOK);
}

TEST_F(DesktopDialog, EscAndTheCloseBoxEndWithIdcancel) {
  sim::windows::ScriptUser({"esc"});
  EXPECT_EQ(Run(), IDCANCEL);
  sim::windows::ScriptUser({"close"});
  EXPECT_EQ(Run(), IDCANCEL);
}

TEST_F(DesktopDialog, TheCloseBoxGoesThroughWmClose) {
  sim::windows::ScriptUser({"close"});
  Run();
  bool sawClose = false;
  for (const auto& m : sim::windows::DialogMessages()) sawClose = sawClose || m.message == WM_CLOSE;
  EXPECT_TRUE(sawClose);
}

TEST_F(DesktopDialog, WithNoActionLeftTheUserCancels) {
  EXPECT_EQ(Run(), IDCANCEL);
}

TEST_F(DesktopDialog, ADialogThatCannotBeEndedIsReportedNotWaitedOn) {
  EXPECT_EQ(Run(StubbornProc), IDCANCEL);
  EXPECT_TRUE(sim::windows::SendBlockedForever());
}

TEST_F(DesktopDialog, MinimiseAndRestorePaintTheDialog) {
  sim::windows::ScriptUser({"minimize", "restore", "esc"});
  Run();
  EXPECT_EQ(g_seen.paints, 2);
  EXPECT_EQ(sim::windows::DefaultPaints(), 2);
}

TEST_F(DesktopDialog, WithoutCommonControlsTheProgressBarDialogFails) {
  sim::Reset();
  EXPECT_EQ(Run(), -1);
  EXPECT_EQ(g_seen.initDialogs, 0);
  EXPECT_FALSE(sim::windows::LastDialog().shown);
}

TEST_F(DesktopDialog, AnUnknownTemplateFails) {
  EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(999), nullptr, PlainProc, 0), -1);
  EXPECT_EQ(g_seen.initDialogs, 0);
}

TEST_F(DesktopDialog, AMessageBoxTakesBoxOkAndLeavesTheDialogItsOk) {
  g_seen.boxOnInit = true;
  sim::windows::ScriptUser({"box-ok", "ok"});
  EXPECT_EQ(Run(), IDOK);
  ASSERT_EQ(sim::windows::MessageBoxes().size(), 1u);
  EXPECT_TRUE(sim::windows::MessageBoxes()[0].ownedByDialog);
}

TEST_F(DesktopDialog, AMessageBoxDoesNotTakeTheDialogsOk) {
  g_seen.boxOnInit = true;
  sim::windows::ScriptUser({"ok"});
  EXPECT_EQ(Run(), IDOK);
}

TEST_F(DesktopDialog, ControlsAreReachableWhileTheDialogRuns) {
  sim::windows::WhileDialogRuns([](HWND dialog) {
    HWND bar = GetDlgItem(dialog, 1000);
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(IsWindowVisible(bar));
    ShowWindow(bar, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(bar));
    SendMessageA(bar, PBM_SETPOS, 42, 0);
    SetWindowTextA(GetDlgItem(dialog, 1002), "C:\\WINDOWS\\inf\\oem3.inf");
    SetWindowTextA(dialog, "New caption");
    EXPECT_EQ(GetDlgItem(dialog, 4242), nullptr);
  });
  Run();
  const sim::windows::DialogSnapshot& last = sim::windows::LastDialog();
  EXPECT_EQ(last.caption, "New caption");
  EXPECT_EQ(last.progressPos, 42);
  ASSERT_EQ(sim::windows::ProgressMessages().size(), 1u);
  EXPECT_EQ(sim::windows::ProgressMessages()[0].message, static_cast<UINT>(PBM_SETPOS));
  const auto& texts = sim::windows::TextsShown();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].controlId, 1002);
  EXPECT_EQ(texts[0].text, "C:\\WINDOWS\\inf\\oem3.inf");
  EXPECT_EQ(texts[1].controlId, 0);
}

TEST_F(DesktopDialog, TheDialogIsFoundByItsCaptionWhileItRuns) {
  HWND found = nullptr;
  HWND running = nullptr;
  sim::windows::WhileDialogRuns([&](HWND dialog) {
    running = dialog;
    found = FindWindowA("#32770", "RAVU VUR Uvidaru Uninstallation");
  });
  Run();
  EXPECT_EQ(found, running);
  EXPECT_FALSE(IsWindow(running));
}

TEST_F(DesktopDialog, ClientSizeFollowsTheDialogUnitsAndIsEmptyWhenMinimised) {
  RECT normal{}, minimised{};
  sim::windows::WhileDialogRuns([&](HWND dialog) {
    GetClientRect(dialog, &normal);
    ShowWindow(dialog, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(dialog));
    GetClientRect(dialog, &minimised);
  });
  Run();
  EXPECT_GT(normal.right, 230);  // a dialog unit is more than a pixel wide
  EXPECT_GT(normal.bottom, 85);
  EXPECT_EQ(minimised.right, 0);
  EXPECT_EQ(minimised.bottom, 0);
}

TEST_F(DesktopDialog, WindowLongsKeepTheirValues) {
  sim::windows::WhileDialogRuns([](HWND dialog) {
    EXPECT_EQ(SetWindowLongPtrA(dialog, DWLP_USER, 1234), 0);
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_USER), 1234);
  });
  Run();
}
