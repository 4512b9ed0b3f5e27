// What the run tells the user: a box, unless the run is quiet (/quiet keeps
// every window away); the log has it either way.
#pragma once

#include "platform/win32.h"

// Set at the start of a run, from its command line.
void SetQuietRun(bool quiet);

// A box with OK and the icon given, owned by the window given.
void TellUserInBox(HWND owner, LPCSTR caption, LPCSTR text, UINT icon);
