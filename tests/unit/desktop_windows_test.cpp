// Other programs' windows: finding them, closing them, and the ones that hang.
#include <gtest/gtest.h>

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/window_store.h"
#include "platform/win32.h"

using sim::windows::AddForeignWindow;
using sim::windows::ForeignWindow;
using sim::windows::ForeignWindowAlive;

namespace {

class Desktop : public ::testing::Test {
 protected:
  void SetUp() override { sim::Reset(); }

  static HWND Add(const std::string& title, bool hung = false, const std::string& cls = "#32770") {
    ForeignWindow w;
    w.title = title;
    w.hung = hung;
    w.className = cls;
    return AddForeignWindow(w);
  }
};

}  // namespace

TEST_F(Desktop, FindWindowMatchesTheWholeTitleInAnyCase) {
  HWND remote = Add("Remote Control");
  EXPECT_EQ(FindWindowA(nullptr, "remote CONTROL"), remote);
  EXPECT_EQ(FindWindowA(nullptr, "Remote"), nullptr);
  EXPECT_EQ(FindWindowA(nullptr, "Remote Control "), nullptr);
}

TEST_F(Desktop, FindWindowFindsHiddenWindows) {
  HWND remote = Add("Remote Control");
  ShowWindow(remote, SW_HIDE);
  EXPECT_EQ(FindWindowA(nullptr, "Remote Control"), remote);
}

TEST_F(Desktop, FindWindowFiltersByClassOnlyWhenOneIsGiven) {
  HWND remote = Add("Remote Control", false, "RemoteWnd");
  EXPECT_EQ(FindWindowA("remotewnd", "Remote Control"), remote);
  EXPECT_EQ(FindWindowA("#32770", "Remote Control"), nullptr);
  EXPECT_EQ(FindWindowA("RemoteWnd", nullptr), remote);
}

TEST_F(Desktop, FindWindowReturnsTheTopmostOfTwoWithOneTitle) {
  Add("Remote Control");
  HWND newer = Add("Remote Control");
  EXPECT_EQ(FindWindowA(nullptr, "Remote Control"), newer);
}

TEST_F(Desktop, AClosedWindowIsNotFound) {
  HWND remote = Add("Remote Control");
  SendMessageA(remote, WM_CLOSE, 0, 0);
  EXPECT_EQ(FindWindowA(nullptr, "Remote Control"), nullptr);
  EXPECT_FALSE(IsWindow(remote));
}

TEST_F(Desktop, FindWindowCanBeMadeToFail) {
  Add("Remote Control");
  sim::InjectFault("FindWindowA", ERROR_ACCESS_DENIED, "remote");
  EXPECT_EQ(FindWindowA(nullptr, "Remote Control"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Desktop, SendingWmCloseToANormalWindowClosesItBeforeReturning) {
  HWND remote = Add("Remote Control");
  EXPECT_EQ(SendMessageA(remote, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(ForeignWindowAlive("Remote Control"));
  EXPECT_FALSE(sim::windows::SendBlockedForever());
}

TEST_F(Desktop, AWindowThatIgnoresWmCloseStays) {
  ForeignWindow w;
  w.title = "Stubborn";
  w.closesOnWmClose = false;
  HWND stubborn = AddForeignWindow(w);
  SendMessageA(stubborn, WM_CLOSE, 0, 0);
  EXPECT_TRUE(ForeignWindowAlive("Stubborn"));
}

TEST_F(Desktop, SendingToAHungWindowIsRecordedAsAHangForGood) {
  HWND hung = Add("Remote Control", true);
  EXPECT_EQ(SendMessageA(hung, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(sim::windows::SendBlockedForever());
  EXPECT_TRUE(ForeignWindowAlive("Remote Control"));
}

TEST_F(Desktop, SendMessageTimeoutGivesUpOnAHungWindow) {
  HWND hung = Add("Remote Control", true);
  DWORD_PTR answer = 77;
  SetLastError(0);
  EXPECT_EQ(SendMessageTimeoutA(hung, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_TRUE(ForeignWindowAlive("Remote Control"));
  EXPECT_FALSE(sim::windows::SendBlockedForever());
  EXPECT_EQ(sim::windows::WaitedMilliseconds(), 2000u);
}

TEST_F(Desktop, SendMessageTimeoutClosesANormalWindow) {
  HWND remote = Add("Remote Control");
  DWORD_PTR answer = 77;
  EXPECT_NE(SendMessageTimeoutA(remote, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0);
  EXPECT_EQ(answer, 0u);
  EXPECT_FALSE(ForeignWindowAlive("Remote Control"));
}

TEST_F(Desktop, MessagesToAClosedWindowFailWithInvalidHandle) {
  HWND remote = Add("Remote Control");
  PostMessageA(remote, WM_CLOSE, 0, 0);
  SetLastError(0);
  EXPECT_EQ(SendMessageA(remote, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(PostMessageA(remote, WM_CLOSE, 0, 0));
}

TEST_F(Desktop, APostedCloseStaysInAHungWindowsQueue) {
  HWND hung = Add("Remote Control", true);
  EXPECT_TRUE(PostMessageA(hung, WM_CLOSE, 0, 0));
  EXPECT_TRUE(ForeignWindowAlive("Remote Control"));
}

TEST_F(Desktop, AResetClosesEveryWindowAndOldHandlesStayInvalid) {
  HWND remote = Add("Remote Control");
  sim::Reset();
  EXPECT_FALSE(IsWindow(remote));
  HWND again = Add("Remote Control");
  EXPECT_NE(again, remote);
}

TEST_F(Desktop, MessageBoxRecordsWhatWasShown) {
  EXPECT_EQ(MessageBoxA(nullptr, "Line one\nLine two", "Caption", MB_ICONWARNING), IDOK);
  ASSERT_EQ(sim::windows::MessageBoxes().size(), 1u);
  const sim::windows::MessageBoxRecord& box = sim::windows::MessageBoxes()[0];
  EXPECT_EQ(box.text, "Line one\nLine two");
  EXPECT_EQ(box.caption, "Caption");
  EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_FALSE(box.ownedByDialog);
  EXPECT_EQ(box.owner, nullptr);
}

TEST_F(Desktop, MessageBoxWithoutCaptionIsTitledError) {
  MessageBoxA(nullptr, "text", nullptr, MB_OK);
  EXPECT_EQ(sim::windows::MessageBoxes().at(0).caption, "Error");
}

TEST_F(Desktop, MessageBoxWithAClosedOwnerFails) {
  HWND gone = Add("Gone");
  SendMessageA(gone, WM_CLOSE, 0, 0);
  EXPECT_EQ(MessageBoxA(gone, "text", "c", MB_OK), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_TRUE(sim::windows::MessageBoxes().empty());
}
