// The program's only window: shows the prompt, and on OK runs the removal
// sequence of the running Windows family.
#pragma once

#include "platform/afx/afxwin.h"
#include "removal/ProgressControls.h"

enum {
  IDD_DRVUNINST_DIALOG = 102,
  IDR_MAINFRAME = 132,
};

// What became of the removal the dialog holds.
enum RemovalResult { REMOVAL_NOT_RUN, REMOVAL_STOPPED_AT_DEVICE_CHECK, REMOVAL_DONE };

class CDrvUninstDlg : public CDialog {
 public:
  explicit CDrvUninstDlg(CWnd* pParent = nullptr);

  BOOL OnInitDialog() override;

  // The removal sequences; each runs to completion inside the OK handler.
  // 0: stopped at the device check, nothing removed.
  int UninstallNT();
  int UninstallWin9x();

  // /quiet: what OK does, with the dialog never created. Every control the
  // steps would set is missing, so they only remove.
  void RemoveWithoutWindow();

  HICON m_hIcon;
  int m_nFoundDevNum;
  RemovalResult m_nRemovalResult;

 protected:
  BOOL OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnUninstall();
};

// Where the minimised dialog draws its icon: centred, rounding as the
// original arithmetic does (signed, truncating toward zero).
POINT IconPosition(const RECT& client, int iconWidth, int iconHeight);
