#include "app/DrvUninstApp.h"

#include "app/DrvUninstDlg.h"
#include "app/ExitCodes.h"
#include "app/RunStart.h"
#include "app/WindowsBitness.h"
#include "log/RunLog.h"
#include "removal/FinalMessage.h"

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

  // A line the program cannot read may mean anything: nothing is done.
  const bool readable = ReadCommandLine(m_lpCmdLine, &m_options);
  if (!readable || m_options.usage) {
    const UINT icon = readable ? MB_ICONINFORMATION : MB_ICONWARNING;
    if (!m_options.quiet) MessageBoxA(nullptr, kUsageText, m_szUnInstDrvAppTitle, icon);
    m_dwExitCode = readable ? EXIT_REMOVED : EXIT_BAD_COMMAND_LINE;
    return FALSE;
  }

  // The 64-bit program gets the same command line and writes the log itself.
  if (RunsUnderWow64()) {
    HandOverTo64BitProgram();
    return FALSE;
  }
  // A log asked for is part of the job: without it nothing is removed.
  if (m_options.logged && !OpenRunLog(m_options.logPath)) {
    if (!m_options.quiet) {
      MessageBoxA(nullptr, CString("The log file cannot be written:\n") + m_options.logPath, m_szUnInstDrvAppTitle,
                  MB_ICONERROR);
    }
    m_dwExitCode = EXIT_LOG_NOT_WRITTEN;
    return FALSE;
  }
  LogRunStart(*this);

  if (IsDriverInstalled() != 1) {
    TellUser(nullptr, m_szUnInstNoRegKeyMsg, MB_ICONWARNING);
    m_dwExitCode = EXIT_NOT_INSTALLED;
    return FALSE;
  }
  RunRemoval();
  return FALSE;
}

int CDrvUninstApp::LoadUninstProfile() {
  ReadUninstProfile(*this, GetCountryCode());
  return 1;
}

int CDrvUninstApp::GetCountryCode() { return ReadCountryCode(); }

int CDrvUninstApp::HexToInt(const char* text) { return HexTextToInt(text); }

void CDrvUninstApp::RunRemoval() {
  CDrvUninstDlg dlg(nullptr);
  m_pMainWnd = &dlg;
  INT_PTR answer = IDOK;
  if (m_options.quiet) {
    dlg.RemoveWithoutWindow();
  } else {
    answer = dlg.DoModal();
  }
  m_pMainWnd = nullptr;

  switch (dlg.m_nRemovalResult) {
    case REMOVAL_DONE:
      if (RunLeftSomething()) {
        m_dwExitCode = EXIT_FAILED;
      } else {
        m_dwExitCode = m_options.quiet ? EXIT_REMOVED_RESTART : EXIT_REMOVED;
      }
      return;
    case REMOVAL_STOPPED_AT_DEVICE_CHECK:
      m_dwExitCode = EXIT_DEVICE_NOT_FOUND;
      return;
    default:
      // Closed without OK. A dialog that could not even be shown removed
      // nothing either, but the run failed.
      LogEvent("dialog", "", answer == IDCANCEL ? "cancelled" : "could not be shown");
      m_dwExitCode = answer == IDCANCEL ? EXIT_CANCELLED : EXIT_FAILED;
      return;
  }
}

void CDrvUninstApp::TellUser(HWND owner, LPCSTR text, UINT icon) {
  if (m_options.quiet) {
    LogMessage(m_szUnInstDrvAppTitle, text);
    return;
  }
  LogBox(m_szUnInstDrvAppTitle, text);
  MessageBoxA(owner, text, m_szUnInstDrvAppTitle, MB_OK | icon);
}

int CDrvUninstApp::ExitInstance() {
  LogEvent("exit code", std::to_string(m_dwExitCode).c_str(), "");
  CloseRunLog();
  return static_cast<int>(m_dwExitCode);
}
