// Window state: texts, visibility, sizes and window longs.
#include <cstring>

#include "platform/sim/desktop_state.h"
#include "platform/sim/faults.h"
#include "platform/sim/win32_api.h"

using namespace sim::desktop;

namespace {

// Fails the call as Windows does for a handle that names no window.
Window* LiveOrFail(HWND hwnd) {
  Window* window = Live(hwnd);
  if (window == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

DWORD Fault(const char* api, HWND hwnd) {
  DWORD fault = sim::CheckFault(api, SubjectOf(hwnd));
  if (fault != 0) SetLastError(fault);
  return fault;
}

}  // namespace

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
  if (DWORD fault = sim::CheckFault("GetDlgItem", std::to_string(nIDDlgItem))) {
    SetLastError(fault);
    return nullptr;
  }
  Window* dialog = LiveOrFail(hDlg);
  if (dialog == nullptr) return nullptr;
  for (HWND child : dialog->children) {
    Window* control = Live(child);
    if (control != nullptr && control->controlId == nIDDlgItem) return child;
  }
  SetLastError(kErrorControlIdNotFound);
  return nullptr;
}

BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  if (Fault("SetWindowTextA", hWnd)) return FALSE;
  Window* window = LiveOrFail(hWnd);
  if (window == nullptr) return FALSE;
  // A dialog's procedure sees the WM_SETTEXT first, as on Windows.
  if (window->kind == Kind::Dialog) {
    DeliverToDialog(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString));
    return TRUE;
  }
  SetText(hWnd, lpString == nullptr ? "" : lpString);
  return TRUE;
}

int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  if (Fault("GetWindowTextA", hWnd)) return 0;
  Window* window = LiveOrFail(hWnd);
  if (window == nullptr || lpString == nullptr || nMaxCount <= 0) return 0;
  const size_t room = static_cast<size_t>(nMaxCount) - 1;
  const size_t n = window->text.size() < room ? window->text.size() : room;
  std::memcpy(lpString, window->text.data(), n);
  lpString[n] = '\0';
  return static_cast<int>(n);
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
  if (Fault("ShowWindow", hWnd)) return FALSE;
  Window* window = LiveOrFail(hWnd);
  if (window == nullptr) return FALSE;
  const BOOL wasVisible = window->visible ? TRUE : FALSE;
  window->visible = nCmdShow != SW_HIDE;
  if (nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED) window->iconic = true;
  if (nCmdShow == SW_RESTORE || nCmdShow == SW_SHOWNORMAL) window->iconic = false;
  return wasVisible;
}

BOOL IsWindowVisible(HWND hWnd) {
  if (Fault("IsWindowVisible", hWnd)) return FALSE;
  Window* window = Live(hWnd);
  if (window == nullptr || !window->visible) return FALSE;
  // A control shows only while its dialog does.
  return window->parent == nullptr ? TRUE : IsWindowVisible(window->parent);
}

BOOL IsWindow(HWND hWnd) {
  if (Fault("IsWindow", hWnd)) return FALSE;
  return Live(hWnd) != nullptr ? TRUE : FALSE;
}

BOOL IsIconic(HWND hWnd) {
  if (Fault("IsIconic", hWnd)) return FALSE;
  Window* window = Live(hWnd);
  return window != nullptr && window->iconic ? TRUE : FALSE;
}

// Sizes in pixels from dialog units; a minimised window has no client area.
BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
  if (Fault("GetClientRect", hWnd)) return FALSE;
  Window* window = LiveOrFail(hWnd);
  if (window == nullptr || lpRect == nullptr) return FALSE;
  *lpRect = RECT{0, 0, 0, 0};
  if (window->iconic) return TRUE;
  lpRect->right = (window->rect.right - window->rect.left) * kBaseUnitX / 4;
  lpRect->bottom = (window->rect.bottom - window->rect.top) * kBaseUnitY / 8;
  return TRUE;
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
  if (Fault("GetWindowRect", hWnd)) return FALSE;
  Window* window = LiveOrFail(hWnd);
  if (window == nullptr || lpRect == nullptr) return FALSE;
  RECT client;
  GetClientRect(hWnd, &client);
  const bool framed = window->kind == Kind::Dialog;
  lpRect->left = window->position.x;
  lpRect->top = window->position.y;
  lpRect->right = lpRect->left + client.right + (framed ? kFrameWidth : 0);
  lpRect->bottom = lpRect->top + client.bottom + (framed ? kFrameHeight : 0);
  return TRUE;
}

BOOL SetWindowPos(HWND hWnd, HWND, int X, int Y, int, int, UINT uFlags) {
  if (Fault("SetWindowPos", hWnd)) return FALSE;
  Window* window = LiveOrFail(hWnd);
  if (window == nullptr) return FALSE;
  // Only moves are simulated; sizes come from the template.
  if (!(uFlags & SWP_NOMOVE)) window->position = POINT{X, Y};
  return TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
  if (Fault("UpdateWindow", hWnd)) return FALSE;
  Window* window = LiveOrFail(hWnd);
  if (window == nullptr) return FALSE;
  ++window->updates;
  return TRUE;
}

LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  if (Fault("SetWindowLongPtrA", hWnd)) return 0;
  Window* window = LiveOrFail(hWnd);
  if (window == nullptr) return 0;
  const LONG_PTR old = window->longs[nIndex];
  window->longs[nIndex] = dwNewLong;
  return old;
}

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
  if (Fault("GetWindowLongPtrA", hWnd)) return 0;
  Window* window = LiveOrFail(hWnd);
  if (window == nullptr) return 0;
  auto it = window->longs.find(nIndex);
  return it == window->longs.end() ? 0 : it->second;
}
