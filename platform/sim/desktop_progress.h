// The progress bar control's arithmetic, as measured on Wine.
#pragma once

#include "platform/sim/win32_types.h"

namespace sim {
namespace desktop {

struct ProgressState {
  int min = 0;
  int max = 100;
  int pos = 0;
  int step = 10;
};

// Applies one PBM_* message; *known is false for a message the bar ignores.
LRESULT ProgressMessage(ProgressState& bar, UINT message, WPARAM wParam, LPARAM lParam, bool* known);

}  // namespace desktop
}  // namespace sim
