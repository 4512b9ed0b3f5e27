#include "platform/afx/afxwin.h"

namespace {

// The few messages whose result a dialog procedure returns itself instead
// of leaving it in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) { return message == WM_QUERYDRAGICON || message == WM_INITDIALOG; }

}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
  HWND parent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
  const INT_PTR result = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), parent,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
  m_hWnd = nullptr;
  return result;
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// A dialog run without being shown has nothing to end.
void CDialog::EndDialog(int nResult) {
  if (m_hWnd != nullptr) ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnDialogMessage(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    dialog->m_hWnd = hwnd;
    const BOOL result = dialog->OnInitDialog();
    RECT frame;
    if (::GetWindowRect(hwnd, &frame) && frame.left == 0 && frame.top == 0) dialog->CenterWindow();
    return result;
  }
  CDialog* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  if (dialog == nullptr) return FALSE;

  // Handlers may send messages of their own; keep the outer message's.
  const UINT outerMessage = dialog->m_currentMessage;
  const WPARAM outerWParam = dialog->m_currentWParam;
  const LPARAM outerLParam = dialog->m_currentLParam;
  dialog->m_currentMessage = message;
  dialog->m_currentWParam = wParam;
  dialog->m_currentLParam = lParam;

  INT_PTR handled = TRUE;
  LRESULT result = 0;
  if (dialog->OnDialogMessage(message, wParam, lParam, &result)) {
    ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    if (ReturnsResultDirectly(message)) handled = result;
  } else if (message == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
    dialog->OnOK();
  } else if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
    dialog->OnCancel();
  } else if (message == WM_CLOSE) {
    dialog->OnCancel();
  } else {
    handled = FALSE;
  }

  dialog->m_currentMessage = outerMessage;
  dialog->m_currentWParam = outerWParam;
  dialog->m_currentLParam = outerLParam;
  return handled;
}
