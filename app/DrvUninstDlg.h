// The program's only window: shows the prompt, and on OK runs the removal
// sequence of the running Windows family.
#pragma once

#include "platform/afx/afxwin.h"

enum {
  IDD_DRVUNINST_DIALOG = 102,
  IDR_MAINFRAME = 132,
  IDC_PROGRESS = 1000,
  IDC_PROMPT = 1001,
  IDC_FILE_LINE = 1002,
  IDC_TOP_LINE = 1003,
  IDC_HEADING = 1004,
};

class CDrvUninstDlg : public CDialog {
 public:
  explicit CDrvUninstDlg(CWnd* pParent = nullptr);

  BOOL OnInitDialog() override;

  // The removal sequences; each runs to completion inside the OK handler.
  int UninstallNT();
  int UninstallWin9x();

  HICON m_hIcon;
  int m_nFoundDevNum;

 protected:
  BOOL OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnUninstall();
};

// Where the minimised dialog draws its icon: centred, rounding as the
// original arithmetic does (signed, truncating toward zero).
POINT IconPosition(const RECT& client, int iconWidth, int iconHeight);

BOOL IsWin9x();
