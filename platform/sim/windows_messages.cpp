// Sending and posting messages: to the program's own dialog and controls,
// and to other programs' windows, which may be hung.
#include <cstdio>
#include <cstring>

#include "platform/sim/desktop_state.h"
#include "platform/sim/events.h"
#include "platform/sim/faults.h"
#include "platform/sim/win32_api.h"

using namespace sim::desktop;

namespace {

LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer) {
  char* out = reinterpret_cast<char*>(buffer);
  if (out == nullptr || size == 0) return 0;
  const size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return static_cast<LRESULT>(n);
}

LRESULT ControlMessage(HWND hwnd, Window& control, UINT message, WPARAM wParam, LPARAM lParam) {
  if (sim::EqualsNoCase(control.className, PROGRESS_CLASSA)) {
    bool known = false;
    const LRESULT result = ProgressMessage(control.progress, message, wParam, lParam, &known);
    State().progress.push_back({message, wParam, lParam, result});
    if (known) return result;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Another program's window: a normal one handles WM_CLOSE at once, a hung
// one never handles anything.
LRESULT ForeignMessage(Window& window, UINT message) {
  if (message == WM_CLOSE && window.closesOnWmClose) window.alive = false;
  return 0;
}

LRESULT Dispatch(HWND hwnd, Window& window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (window.kind) {
    case Kind::Dialog:
      return DeliverToDialog(hwnd, message, wParam, lParam);
    case Kind::Control:
      return ControlMessage(hwnd, window, message, wParam, lParam);
    case Kind::Foreign:
      return ForeignMessage(window, message);
  }
  return 0;
}

// The live window a call is made on, or nothing with the call's error set.
Window* Target(const char* api, HWND hwnd) {
  if (DWORD fault = sim::CheckFault(api, SubjectOf(hwnd))) {
    SetLastError(fault);
    return nullptr;
  }
  Window* window = Live(hwnd);
  if (window == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

// The window a message is sent or posted to, noted when it is another
// program's: all three ways of sending count alike.
Window* MessageTarget(const char* api, HWND hwnd) {
  if (sim::events::Kept(sim::events::Kind::WindowMessage)) {
    const Window* window = Any(hwnd);
    if (window != nullptr && window->kind == Kind::Foreign) {
      sim::events::Record(sim::events::Kind::WindowMessage, window->text);
    }
  }
  return Target(api, hwnd);
}

}  // namespace

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Window* window = MessageTarget("SendMessageA", hWnd);
  if (window == nullptr) return 0;
  if (window->kind == Kind::Foreign && window->hung) {
    std::fprintf(stderr, "sim: SendMessageA(0x%x) to hung window \"%s\" would never return\n", Msg,
                 window->text.c_str());
    State().blockedForever = true;
    return 0;
  }
  return Dispatch(hWnd, *window, Msg, wParam, lParam);
}

LRESULT SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags, UINT uTimeout,
                            PDWORD_PTR lpdwResult) {
  (void)fuFlags;  // hung or merely slow, the wait ends with the timeout
  Window* window = MessageTarget("SendMessageTimeoutA", hWnd);
  if (window == nullptr) return 0;
  if (window->kind == Kind::Foreign && window->hung) {
    State().waitedMs += uTimeout;
    SetLastError(ERROR_TIMEOUT);
    return 0;
  }
  const LRESULT result = Dispatch(hWnd, *window, Msg, wParam, lParam);
  if (lpdwResult != nullptr) *lpdwResult = static_cast<DWORD_PTR>(result);
  return 1;
}

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Window* window = MessageTarget("PostMessageA", hWnd);
  if (window == nullptr) return FALSE;
  if (window->kind == Kind::Foreign) {
    // A hung window's queue keeps the message; it is never handled.
    if (!window->hung) ForeignMessage(*window, Msg);
    return TRUE;
  }
  State().posted.push_back({hWnd, Msg, wParam, lParam});
  return TRUE;
}

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Window* window = Target("DefWindowProcA", hWnd);
  if (window == nullptr) return 0;
  switch (Msg) {
    case WM_SETTEXT:
      SetText(hWnd, lParam == 0 ? "" : reinterpret_cast<LPCSTR>(lParam));
      return TRUE;
    case WM_GETTEXT:
      return CopyText(window->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(window->text.size());
    case WM_SETICON: {
      HICON& slot = wParam == ICON_BIG ? window->bigIcon : window->smallIcon;
      HICON old = slot;
      slot = reinterpret_cast<HICON>(lParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_PAINT:
      ++State().defaultPaints;
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) return SendMessageA(hWnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      window->alive = false;
      return 0;
    default:
      return 0;
  }
}
