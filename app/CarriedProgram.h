// The 64-bit program the 32-bit build carries as a resource. On 64-bit Windows
// a 32-bit process can neither remove devices nor reach the system's own
// system32 folder, so the 32-bit program hands its run to this one.
#pragma once

#include "platform/win32.h"

enum { IDR_CARRIED_PROGRAM = 200 };

// Checks that the carried program is an x86-64 program image; writes it as
// fileName into a new directory of its own under %SystemRoot%\Temp, one only
// administrators and the system can write to, and holds it open (no one may
// write, rename or delete it) until it ended; starts it with arguments after
// its name on its command line, in the system directory (it inherits this
// process's rights); waits for it; deletes it and the directory.
// True, with its exit code, when it ran; false when it could not be written or
// started, and then nothing of it is left behind.
bool RunCarriedProgram(const char* fileName, const char* arguments, DWORD* exitCode);
