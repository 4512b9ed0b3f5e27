#include "app/DrvUninstDlg.h"

#include "app/DrvUninstApp.h"
#include "platform/system/WindowsVersion.h"
#include "removal/RemovalSequences.h"

namespace {

// Long enough for a busy remote-control program to close, short enough that
// one which stopped answering cannot keep the uninstaller waiting.
const UINT kRemoteCloseWaitMs = 5000;

}  // namespace

CDrvUninstDlg::CDrvUninstDlg(CWnd* pParent) : CDialog(IDD_DRVUNINST_DIALOG, pParent), m_nFoundDevNum(0), m_nRemovalResult(REMOVAL_NOT_RUN) {
  m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

BOOL CDrvUninstDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  SetWindowText(theApp.m_szUnInstDrvAppTitle);
  CWnd* prompt = GetDlgItem(IDC_PROMPT);
  if (prompt != nullptr) prompt->SetWindowText(theApp.m_szUnInstDrvRunTipMsg);
  CWnd* okButton = GetDlgItem(IDOK);
  if (okButton != nullptr) okButton->SetWindowText(theApp.m_szOKText);
  return TRUE;
}

BOOL CDrvUninstDlg::OnDialogMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_QUERYDRAGICON:
      *result = reinterpret_cast<LRESULT>(OnQueryDragIcon());
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDOK || HIWORD(wParam) != BN_CLICKED) return FALSE;
      OnUninstall();
      return TRUE;
    default:
      return FALSE;
  }
}

void CDrvUninstDlg::OnUninstall() {
  // An empty title would match any untitled window of another program.
  if (theApp.m_szUnInstRemoteTitleName[0] != '\0') {
    HWND remote = FindWindowA(nullptr, theApp.m_szUnInstRemoteTitleName);
    // A remote title equal to our own caption must not close this dialog.
    if (remote != nullptr && remote != m_hWnd) {
      DWORD_PTR answer = 0;
      SendMessageTimeoutA(remote, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kRemoteCloseWaitMs, &answer);
    }
  }
  const int done = IsWin9x() ? UninstallWin9x() : UninstallNT();
  m_nRemovalResult = done ? REMOVAL_DONE : REMOVAL_STOPPED_AT_DEVICE_CHECK;
}

void CDrvUninstDlg::RemoveWithoutWindow() { OnUninstall(); }

int CDrvUninstDlg::UninstallNT() { return RunUninstallNT(*this, &m_nFoundDevNum); }

int CDrvUninstDlg::UninstallWin9x() { return RunUninstallWin9x(*this); }
