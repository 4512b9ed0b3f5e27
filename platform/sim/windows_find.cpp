// Other programs' top-level windows, and finding windows by title.
#include "platform/sim/desktop_state.h"
#include "platform/sim/faults.h"
#include "platform/sim/win32_api.h"

using namespace sim::desktop;

namespace sim {
namespace windows {

HWND AddForeignWindow(const ForeignWindow& foreign) {
  Window window;
  window.kind = Kind::Foreign;
  window.text = foreign.title;
  window.className = foreign.className;
  window.hung = foreign.hung;
  window.closesOnWmClose = foreign.closesOnWmClose;
  return Create(window);
}

bool ForeignWindowAlive(const std::string& title) {
  for (const auto& entry : State().windows) {
    const Window& w = entry.second;
    if (w.kind == Kind::Foreign && w.alive && EqualsNoCase(w.text, title)) return true;
  }
  return false;
}

std::vector<std::string> AliveForeignWindowTitles() {
  std::vector<std::string> titles;
  for (const auto& entry : State().windows) {
    const Window& w = entry.second;
    if (w.kind == Kind::Foreign && w.alive) titles.push_back(w.text);
  }
  return titles;
}

}  // namespace windows
}  // namespace sim

// Whole title, any letter case, hidden windows too; the newest window is
// the topmost, so it is found first.
HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
  if (DWORD fault = sim::CheckFault("FindWindowA", lpWindowName == nullptr ? "" : lpWindowName)) {
    SetLastError(fault);
    return nullptr;
  }
  auto& all = State().windows;
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    const Window& w = it->second;
    if (!w.alive || w.kind == Kind::Control) continue;
    if (lpClassName != nullptr && !sim::EqualsNoCase(w.className, lpClassName)) continue;
    if (lpWindowName != nullptr && !sim::EqualsNoCase(w.text, lpWindowName)) continue;
    return it->first;
  }
  return nullptr;
}
