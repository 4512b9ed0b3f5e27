// A new directory under the system's temporary folder (%SystemRoot%\Temp)
// that only administrators and the system can write to: a program put there
// cannot be swapped by another process between being written and being
// started.
#pragma once

#include "platform/win32.h"

// Creates it under a name no one had taken, never an existing directory, and
// puts its path into path (size characters). False when none could be made.
bool CreatePrivateTempDirectory(char* path, DWORD size);
