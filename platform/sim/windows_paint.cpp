// Painting: paint contexts, icons and the system's icon size.
#include <cstdint>

#include "platform/sim/desktop_state.h"
#include "platform/sim/faults.h"
#include "platform/sim/win32_api.h"

using namespace sim::desktop;

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  if (DWORD fault = sim::CheckFault("BeginPaint", SubjectOf(hWnd))) {
    SetLastError(fault);
    return nullptr;
  }
  if (Live(hWnd) == nullptr || lpPaint == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  ++State().paintContextsUsed;
  ++State().openPaintContexts;
  *lpPaint = PAINTSTRUCT{};
  lpPaint->hdc = reinterpret_cast<HDC>(static_cast<uintptr_t>(0xDC0000 + 4 * State().paintContextsUsed));
  GetClientRect(hWnd, &lpPaint->rcPaint);
  return lpPaint->hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  if (DWORD fault = sim::CheckFault("EndPaint", SubjectOf(hWnd))) {
    SetLastError(fault);
    return FALSE;
  }
  if (lpPaint != nullptr && lpPaint->hdc != nullptr) --State().openPaintContexts;
  return TRUE;
}

BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
  if (DWORD fault = sim::CheckFault("DrawIcon", std::to_string(X) + "," + std::to_string(Y))) {
    SetLastError(fault);
    return FALSE;
  }
  if (hDC == nullptr || hIcon == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  State().icons.push_back({hDC, X, Y, hIcon});
  return TRUE;
}

int GetSystemMetrics(int nIndex) {
  if (DWORD fault = sim::CheckFault("GetSystemMetrics", std::to_string(nIndex))) {
    SetLastError(fault);
    return 0;
  }
  if (nIndex == SM_CXICON || nIndex == SM_CYICON) return 32;
  if (nIndex == SM_CXSCREEN) return sim::desktop::kScreenWidth;
  if (nIndex == SM_CYSCREEN) return sim::desktop::kScreenHeight;
  return 0;
}
