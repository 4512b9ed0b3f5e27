#include <vector>

#include "platform/afx/afxwin.h"

CWnd* CWnd::GetDlgItem(int nID) const {
  if (m_hWnd == nullptr) return nullptr;
  HWND child = ::GetDlgItem(m_hWnd, nID);
  if (child == nullptr) return nullptr;
  std::unique_ptr<CWnd>& wrapper = m_children[nID];
  if (!wrapper) wrapper.reset(new CWnd(child));
  wrapper->m_hWnd = child;
  return wrapper.get();
}

void CWnd::SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }

void CWnd::GetWindowText(CString& text) const {
  const LRESULT length = ::SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0);
  std::vector<char> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  ::GetWindowTextA(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
  text = buffer.data();
}

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) { return ::MessageBoxA(m_hWnd, text, caption, type); }

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
  const WPARAM which = bigIcon ? ICON_BIG : ICON_SMALL;
  return reinterpret_cast<HICON>(::SendMessageA(m_hWnd, WM_SETICON, which, reinterpret_cast<LPARAM>(icon)));
}

LRESULT CWnd::Default() { return ::DefWindowProcA(m_hWnd, m_currentMessage, m_currentWParam, m_currentLParam); }

void CWnd::UpdateWindow() {
  if (m_hWnd != nullptr) ::UpdateWindow(m_hWnd);
}

// Centres the window on the screen, as the class library does for a dialog
// its template leaves at the origin.
void CWnd::CenterWindow() {
  RECT frame;
  if (!::GetWindowRect(m_hWnd, &frame)) return;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  ::SetWindowPos(m_hWnd, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
