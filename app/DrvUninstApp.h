// The single application object: start-up, the profile and the check that
// the package is installed.
#pragma once

#include "app/CommandLine.h"
#include "platform/afx/afxwin.h"
#include "profile/ProfileLoader.h"
#include "profile/UninstProfile.h"

class CDrvUninstApp : public CWinApp, public UninstProfile {
 public:
  CDrvUninstApp();

  BOOL InitInstance() override;
  // The process's exit code: the carried 64-bit program's when it ran.
  int ExitInstance() override;

  // On 64-bit Windows the 32-bit program hands the whole run to the 64-bit
  // program it carries; the user sees only that program's dialog and boxes.
  void HandOverTo64BitProgram();

  // The dialog and its OK, or with /quiet the same steps without a window;
  // sets the exit code from what became of the run.
  void RunRemoval();
  // A box, unless /quiet keeps every window away; the log has it either way.
  void TellUser(HWND owner, LPCSTR text, UINT icon);

  int IsDriverInstalled();
  int LoadUninstProfile();
  int GetCountryCode();
  int HexToInt(const char* text);

  DWORD m_dwExitCode;
  RunOptions m_options;
};

extern CDrvUninstApp theApp;
