// Writes the version record GetVersionExA gives a program with the
// uninstaller's manifest (its supportedOS list decides what Windows 8.1 and
// later report), so the simulated machine can be held to it.
//   osversion.exe OUT   ->  "major minor build platform|csd"
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  OSVERSIONINFOA version;
  ZeroMemory(&version, sizeof(version));
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExA(&version)) return 2;
  FILE* out = fopen(commandLine, "w");
  if (out == NULL) return 3;
  fprintf(out, "%lu %lu %lu %lu|%s\n", version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber,
          version.dwPlatformId, version.szCSDVersion);
  fclose(out);
  return 0;
}
