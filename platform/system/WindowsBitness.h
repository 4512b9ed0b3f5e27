// Which Windows the program runs on, asked of Windows itself, never of the
// build: the same code serves the 32-bit and the 64-bit program.
#pragma once

#include "platform/win32.h"

// 64-bit Windows keeps two registry views, one for 64-bit programs and one
// for 32-bit programs. Windows 2000 and the 9x family are 32-bit only.
bool IsWindows64Bit();

// This process is a 32-bit one on 64-bit Windows (WOW64): there it cannot
// remove devices, and system32 is not the system's.
bool RunsUnderWow64();

// The views that may hold the software's entries, in the order they are
// searched: on 64-bit Windows the 64-bit view, then the 32-bit one; elsewhere
// the one view there is (no flag, which Windows 2000 would not accept).
enum { MAX_REGISTRY_VIEWS = 2 };
int SoftwareRegistryViews(REGSAM views[MAX_REGISTRY_VIEWS]);
