#include "platform/afx/afxwin.h"

namespace {
CWinApp* g_currentApp = nullptr;
}

CWinApp::CWinApp(LPCSTR appName) : m_pszAppName(appName) { g_currentApp = this; }

CWinApp::~CWinApp() {
  if (g_currentApp == this) g_currentApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

// The program does all its work inside InitInstance; there is no message
// loop of the application's own to run.
int CWinApp::Run() { return ExitInstance(); }

// No help file ships with the program.
void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() { return g_currentApp; }

HINSTANCE AfxGetResourceHandle() { return GetModuleHandleA(nullptr); }

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return -1;
  app->m_hInstance = hInstance;
  app->m_lpCmdLine = lpCmdLine == nullptr ? "" : lpCmdLine;
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
