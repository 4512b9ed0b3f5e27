// The single application object: start-up, the profile and the check that
// the package is installed.
#pragma once

#include "platform/afx/afxwin.h"
#include "profile/UninstProfile.h"

class CDrvUninstApp : public CWinApp, public UninstProfile {
 public:
  CDrvUninstApp();

  BOOL InitInstance() override;

  int IsDriverInstalled();
  int LoadUninstProfile();
  int GetCountryCode();
  int HexToInt(const char* text);
};

extern CDrvUninstApp theApp;

int IsWinNT5OrLater();
