// The progress bar's arithmetic against what Wine's control does.
#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/desktop_progress.h"

using sim::desktop::ProgressMessage;
using sim::desktop::ProgressState;

namespace {

LRESULT Send(ProgressState& bar, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  bool known = false;
  return ProgressMessage(bar, message, wParam, lParam, &known);
}

std::vector<int> Steps(ProgressState bar, int count) {
  std::vector<int> seen;
  for (int i = 0; i < count; ++i) {
    Send(bar, PBM_STEPIT);
    seen.push_back(bar.pos);
  }
  return seen;
}

ProgressState Bar(int min, int max, int pos, int step) {
  ProgressState bar;
  bar.min = min;
  bar.max = max;
  bar.pos = pos;
  bar.step = step;
  return bar;
}

}  // namespace

TEST(ProgressBarDefaults, RangeZeroToHundredStepTen) {
  ProgressState bar;
  EXPECT_EQ(Send(bar, PBM_STEPIT), 0);
  EXPECT_EQ(bar.pos, 10);
  EXPECT_EQ(Send(bar, PBM_GETPOS), 10);
}

TEST(ProgressBarStepIt, WrapsPastMaxByTheRangeWidth) {
  EXPECT_EQ(Steps(Bar(0, 10, 0, 3), 6), (std::vector<int>{3, 6, 9, 2, 5, 8}));
}

TEST(ProgressBarStepIt, KeepsExactlyMaxAndNeverComesBackToZero) {
  EXPECT_EQ(Steps(Bar(0, 10, 8, 1), 4), (std::vector<int>{9, 10, 1, 2}));
}

TEST(ProgressBarStepIt, WrapsFromTheRangeMinimum) {
  EXPECT_EQ(Steps(Bar(5, 10, 9, 4), 1), (std::vector<int>{8}));
}

TEST(ProgressBarStepIt, WrapsAStepLargerThanTheRange) {
  EXPECT_EQ(Steps(Bar(0, 10, 9, 25), 1), (std::vector<int>{4}));
}

TEST(ProgressBarStepIt, ANegativeStepBelowMinWrapsFromMax) {
  EXPECT_EQ(Steps(Bar(0, 10, 3, -5), 1), (std::vector<int>{8}));
}

TEST(ProgressBarStepIt, StepZeroNeverMoves) { EXPECT_EQ(Steps(Bar(0, 10, 4, 0), 3), (std::vector<int>{4, 4, 4})); }

TEST(ProgressBarStepIt, AnEmptyRangeDoesNotDivideByZero) {
  EXPECT_EQ(Steps(Bar(7, 7, 7, 3), 1), (std::vector<int>{7}));
}

TEST(ProgressBarStepIt, ReturnsThePositionBeforeTheStep) {
  ProgressState bar = Bar(0, 100, 42, 6);
  EXPECT_EQ(Send(bar, PBM_STEPIT), 42);
}

TEST(ProgressBarSetPos, ClampsToTheRangeAndReturnsTheOldPosition) {
  ProgressState bar = Bar(0, 10, 4, 1);
  EXPECT_EQ(Send(bar, PBM_SETPOS, 25), 4);
  EXPECT_EQ(bar.pos, 10);
  EXPECT_EQ(Send(bar, PBM_SETPOS, static_cast<WPARAM>(-3)), 10);
  EXPECT_EQ(bar.pos, 0);
}

TEST(ProgressBarSetRange, ReturnsTheOldRangeAndClampsThePosition) {
  ProgressState bar = Bar(0, 100, 7, 10);
  EXPECT_EQ(Send(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 5)), MAKELONG(0, 100));
  EXPECT_EQ(bar.pos, 5);
  EXPECT_EQ(bar.max, 5);
}

TEST(ProgressBarDeltaPos, ClampsAndReturnsTheOldPosition) {
  ProgressState bar = Bar(0, 10, 8, 1);
  EXPECT_EQ(Send(bar, PBM_DELTAPOS, 5), 8);
  EXPECT_EQ(bar.pos, 10);
}

TEST(ProgressBarSetStep, ReturnsTheOldStep) {
  ProgressState bar;
  EXPECT_EQ(Send(bar, PBM_SETSTEP, 6), 10);
  EXPECT_EQ(bar.step, 6);
}

TEST(ProgressBarMessages, OtherMessagesAreNotTheBars) {
  ProgressState bar;
  bool known = true;
  ProgressMessage(bar, WM_SETTEXT, 0, 0, &known);
  EXPECT_FALSE(known);
}
