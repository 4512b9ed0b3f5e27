// The two removal sequences, each run to completion inside the dialog's OK
// handler: the dialog becomes their progress display, and they end it.
#pragma once

#include "platform/afx/afxwin.h"

// The NT family. *foundDevices gets the device check's count. 0: stopped at
// the device check, nothing removed; 1: the removal ran to the end.
int RunUninstallNT(CDialog& dialog, int* foundDevices);

// Windows 95, 98 and ME; always 1.
int RunUninstallWin9x(CDialog& dialog);
