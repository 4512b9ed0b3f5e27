// The dialog's icon: drawn centred while minimised, default painting when
// restored, and handed out as the drag cursor.
#include "app/DrvUninstDlg.h"
#include "fresh_machine.h"
#include "platform/sim/window_store.h"

namespace {

class DialogPaint : public FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    InitCommonControls();
    theApp.LoadUninstProfile();
  }
};

POINT At(LONG left, LONG top, LONG right, LONG bottom, int iconWidth, int iconHeight) {
  return IconPosition(RECT{left, top, right, bottom}, iconWidth, iconHeight);
}

}  // namespace

TEST(IconPositionArithmetic, OddSpareRoundsUp) {
  const POINT p = At(0, 0, 345, 159, 32, 32);
  EXPECT_EQ(p.x, 157);  // (345 - 32 + 1) / 2
  EXPECT_EQ(p.y, 64);   // (159 - 32 + 1) / 2
}

TEST(IconPositionArithmetic, EvenSpareRoundsDown) {
  const POINT p = At(0, 0, 100, 50, 32, 32);
  EXPECT_EQ(p.x, 34);  // 69 / 2
  EXPECT_EQ(p.y, 9);   // 19 / 2
}

TEST(IconPositionArithmetic, UsesWidthAndHeightNotTheCorner) {
  const POINT p = At(10, 20, 110, 70, 32, 32);
  EXPECT_EQ(p.x, 34);
  EXPECT_EQ(p.y, 9);
}

TEST(IconPositionArithmetic, ANegativeSpareTruncatesTowardZero) {
  const POINT p = At(0, 0, 0, 0, 32, 32);
  EXPECT_EQ(p.x, -15);  // -31 / 2, not -16
  EXPECT_EQ(p.y, -15);
  const POINT q = At(0, 0, 20, 29, 32, 32);
  EXPECT_EQ(q.x, -5);  // -11 / 2
  EXPECT_EQ(q.y, -1);  // -2 / 2
}

TEST(IconPositionArithmetic, UnequalIconSides) {
  const POINT p = At(0, 0, 64, 64, 16, 48);
  EXPECT_EQ(p.x, 24);  // 49 / 2
  EXPECT_EQ(p.y, 8);   // 17 / 2
}

TEST_F(DialogPaint, MinimisedTheIconIsDrawnCentredAfterErasingItsBackground) {
  CDrvUninstDlg dlg(nullptr);
  RECT client{};
  sim::windows::WhileDialogRuns([&](HWND dialog) {
    ShowWindow(dialog, SW_MINIMIZE);
    GetClientRect(dialog, &client);
    SendMessageA(dialog, WM_PAINT, 0, 0);
  });
  dlg.DoModal();
  ASSERT_EQ(sim::windows::IconsDrawn().size(), 1u);
  const sim::windows::IconDrawing& drawn = sim::windows::IconsDrawn()[0];
  const POINT expected = IconPosition(client, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  EXPECT_EQ(drawn.x, expected.x);
  EXPECT_EQ(drawn.y, expected.y);
  EXPECT_EQ(drawn.icon, dlg.m_hIcon);
  bool erased = false;
  for (const auto& m : sim::windows::DialogMessages()) {
    if (m.message == WM_ICONERASEBKGND) erased = reinterpret_cast<HDC>(m.wParam) == drawn.dc;
  }
  EXPECT_TRUE(erased);
  EXPECT_EQ(sim::windows::OpenPaintContexts(), 0);
  EXPECT_EQ(sim::windows::DefaultPaints(), 0);
}

TEST_F(DialogPaint, RestoredPaintingIsTheDefault) {
  sim::windows::ScriptUser({"minimize", "restore", "esc"});
  CDrvUninstDlg dlg(nullptr);
  dlg.DoModal();
  EXPECT_EQ(sim::windows::IconsDrawn().size(), 1u);
  EXPECT_EQ(sim::windows::DefaultPaints(), 1);
  EXPECT_EQ(sim::windows::OpenPaintContexts(), 0);
}

TEST_F(DialogPaint, TheDragIconIsTheApplicationIcon) {
  CDrvUninstDlg dlg(nullptr);
  LRESULT dragged = 0;
  sim::windows::WhileDialogRuns([&](HWND dialog) { dragged = SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0); });
  dlg.DoModal();
  EXPECT_NE(dlg.m_hIcon, nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(dragged), dlg.m_hIcon);
}
