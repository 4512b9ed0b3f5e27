// The simulated machine as a whole: one process-wide instance that tests and
// the scenario runner set up before the program runs, and inspect after.
#pragma once

#include <string>

#include "platform/sim/win32_types.h"

namespace sim {

// Each part of the machine registers how it returns to a fresh state.
struct ResetHook {
  explicit ResetHook(void (*reset)());
};

// A fresh machine: empty registry (the root keys only), C:\WINDOWS with its
// usual subdirectories, Windows 7, no faults, no processes, no windows.
void Reset();

// The version record the machine reports; a known name is win95, win98, winme,
// nt40, win2k, winxp, win2003, vista, win7, win8, win81, win10.
struct VersionInfo {
  DWORD platformId;
  DWORD major;
  DWORD minor;
  DWORD build;
  std::string csd;
};
bool SetVersion(const std::string& name);
void SetVersion(const VersionInfo& version);
const VersionInfo& Version();
bool IsWin9xFamily();

// The ANSI code page (CP_ACP), 1252 on a fresh machine; 932, 936, 949 and 950
// have double-byte characters.
void SetAnsiCodePage(UINT codePage);
UINT AnsiCodePage();

}  // namespace sim
