// What the program asks of the Windows version, all through one query: the
// ANSI version record from GetVersionExA. Each answer makes its own query when
// asked, so a query that fails changes only that answer.
#pragma once

#include "platform/win32.h"

// The version record; false when Windows could not fill it.
bool QueryWindowsVersion(OSVERSIONINFOA* info);

// Only a record that says so makes the 9x family; a query that fails leaves
// the NT-family sequence, which every later Windows runs.
BOOL IsWin9x();

// The minor version number on the NT family (5.0 and 6.0 give 0, 5.1 gives
// 1); 0 on the 9x family and when the query fails.
unsigned int GetNTMinorVersion();

// 1 on the NT family from Windows 2000 on, else 0 (a failed query too).
int IsWinNT5OrLater();
