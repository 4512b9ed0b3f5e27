#include "app/DrvUninstDlg.h"

// Only a version record that says so makes the 9x family; a query that
// fails leaves the NT-family sequence, which every later Windows runs.
BOOL IsWin9x() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExA(&info)) return FALSE;
  return info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? TRUE : FALSE;
}
