#include "platform/sim/desktop_progress.h"

namespace sim {
namespace desktop {
namespace {

int Clamp(const ProgressState& bar, int value) {
  if (value < bar.min) return bar.min;
  if (value > bar.max) return bar.max;
  return value;
}

// Past the end the bar starts over rather than stopping: Wine wraps by the
// range width, and exactly max is kept.
int StepFrom(const ProgressState& bar) {
  const int width = bar.max - bar.min;
  int next = bar.pos + bar.step;
  if (width <= 0) return bar.min;
  if (next > bar.max) next = (next - bar.min) % width + bar.min;
  if (next < bar.min) next = (next - bar.min) % width + bar.max;
  return next;
}

}  // namespace

LRESULT ProgressMessage(ProgressState& bar, UINT message, WPARAM wParam, LPARAM lParam, bool* known) {
  *known = true;
  const int old = bar.pos;
  switch (message) {
    case PBM_SETRANGE: {
      const LRESULT previous = MAKELONG(bar.min, bar.max);
      bar.min = LOWORD(lParam);
      bar.max = HIWORD(lParam);
      bar.pos = Clamp(bar, bar.pos);
      return previous;
    }
    case PBM_SETPOS:
      bar.pos = Clamp(bar, static_cast<int>(wParam));
      return old;
    case PBM_DELTAPOS:
      bar.pos = Clamp(bar, bar.pos + static_cast<int>(wParam));
      return old;
    case PBM_SETSTEP: {
      const int previous = bar.step;
      bar.step = static_cast<int>(wParam);
      return previous;
    }
    case PBM_STEPIT:
      bar.pos = StepFrom(bar);
      return old;
    case PBM_GETPOS:
      return bar.pos;
    default:
      *known = false;
      return 0;
  }
}

}  // namespace desktop
}  // namespace sim
