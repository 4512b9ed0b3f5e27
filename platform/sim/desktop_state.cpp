#include "platform/sim/desktop_state.h"

#include <cstdint>

#include "platform/sim/machine.h"

namespace sim {
namespace desktop {
namespace {

// Handles are never reused, so a handle kept across a reset stays invalid.
uintptr_t g_nextHandle = 0x10010;

ResetHook resetDesktop([] { State() = Desktop(); });

}  // namespace

Desktop& State() {
  static Desktop desktop;
  return desktop;
}

Window* Any(HWND hwnd) {
  auto it = State().windows.find(hwnd);
  return it == State().windows.end() ? nullptr : &it->second;
}

Window* Live(HWND hwnd) {
  Window* window = Any(hwnd);
  return window != nullptr && window->alive ? window : nullptr;
}

HWND Create(const Window& window) {
  HWND hwnd = reinterpret_cast<HWND>(g_nextHandle);
  g_nextHandle += 4;
  State().windows[hwnd] = window;
  return hwnd;
}

}  // namespace desktop
}  // namespace sim

namespace sim {
namespace desktop {

std::string SubjectOf(HWND hwnd) {
  Window* window = Any(hwnd);
  if (window == nullptr) return std::string();
  if (window->kind == Kind::Control) return std::to_string(window->controlId);
  return window->text;
}

void SetText(HWND hwnd, const std::string& text) {
  Window* window = Live(hwnd);
  if (window == nullptr) return;
  window->text = text;
  if (window->kind == Kind::Dialog) State().texts.push_back({0, text});
  if (window->kind == Kind::Control) State().texts.push_back({window->controlId, text});
}

}  // namespace desktop
}  // namespace sim
