#include "app/DrvUninstApp.h"

#include "app/DrvUninstDlg.h"
#include "app/WindowsBitness.h"
#include "log/RunLog.h"

#include <string>

// Constructed in this order before the entry runs: the application object,
// then the 9x ID lists, then the USB prefix.
CDrvUninstApp theApp;
CString g_strVenID[MAX_ENUM_IDS];
CString g_strCxID[MAX_ENUM_IDS];
CString g_strUsbPrefix("USB\\");
int g_nVenIDNum = 0;
int g_nCxIDNum = 0;
BOOL g_bUsbDevice = FALSE;
char g_szClassKey[256];

CDrvUninstApp::CDrvUninstApp() : CWinApp(nullptr), UninstProfile(), m_dwExitCode(0) {}

BOOL CDrvUninstApp::InitInstance() {
  InitCommonControls();
  CWinApp::InitInstance();
  LoadUninstProfile();

  if (RunsUnderWow64()) {
    HandOverTo64BitProgram();
    return FALSE;
  }
  if (IsDriverInstalled() == 1) {
    CDrvUninstDlg dlg(nullptr);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
  } else {
    LogBox(m_szUnInstDrvAppTitle, m_szUnInstNoRegKeyMsg);
    MessageBoxA(nullptr, m_szUnInstNoRegKeyMsg, m_szUnInstDrvAppTitle, MB_ICONWARNING);
  }
  return FALSE;
}

int CDrvUninstApp::ExitInstance() {
  LogEvent("exit code", std::to_string(m_dwExitCode).c_str(), "");
  CloseRunLog();
  return static_cast<int>(m_dwExitCode);
}
