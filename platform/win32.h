// The program's one view of the operating system. On Windows it is the SDK;
// elsewhere, and in a Windows program that runs the uninstaller on a copy of
// the machine (DRVUNINST_SIMULATED), the same declarations are served by the
// simulated machine.
#pragma once

#if defined(_WIN32) && !defined(DRVUNINST_SIMULATED)
#include <windows.h>
#include <commctrl.h>
#include <sddl.h>
#include <setupapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>
#include <string.h>
#else
#include "platform/sim/win32_types.h"
#include "platform/sim/win32_api.h"
#include "platform/sim/win32_api_wow64.h"
#endif
