// The carried program is run elevated: before it is written anywhere, its
// bytes must be what Windows would start as a 64-bit program.
#pragma once

#include "platform/win32.h"

// An x86-64 PE image of a program: the DOS header ("MZ") pointing inside the
// data at "PE\0\0", machine x86-64, an executable that is no DLL, a PE32+
// optional header of the Windows GUI subsystem, and headers and section
// table that fit in the data.
bool IsX64ProgramImage(const BYTE* data, DWORD size);
