#include "platform/system/WindowsVersion.h"

#include <cstring>

bool QueryWindowsVersion(OSVERSIONINFOA* info) {
  std::memset(info, 0, sizeof(*info));
  info->dwOSVersionInfoSize = sizeof(*info);
  return GetVersionExA(info) != FALSE;
}

BOOL IsWin9x() {
  OSVERSIONINFOA info;
  if (!QueryWindowsVersion(&info)) return FALSE;
  return info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? TRUE : FALSE;
}

unsigned int GetNTMinorVersion() {
  OSVERSIONINFOA info;
  if (!QueryWindowsVersion(&info)) return 0;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT ? info.dwMinorVersion : 0;
}

int IsWinNT5OrLater() {
  OSVERSIONINFOA version;
  if (!QueryWindowsVersion(&version)) return 0;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 4 ? 1 : 0;
}
