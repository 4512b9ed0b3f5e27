// The text of the final message box. A run that left nothing behind says the
// package was removed; one that could not remove everything it set out to
// remove names what stays instead, and asks for the restart either way.
#pragma once

#include "platform/afx/afxstr.h"

enum { LEFTOVERS_SHOWN = 5 };

// The English "and N more" stands in for a profile text that is not a
// format with exactly one "%d" and no other "%".
extern const char kBuiltInLeftMoreFormat[];
bool IsLeftMoreFormat(const char* format);

// Whether the run left something behind (see removal/Leftovers.h).
bool RunLeftSomething();

// The pass message, a blank line and the restart request; or, after a run
// that left something, the leftover message, the first items (then how many
// more, in the profile's words), a blank line and the restart request.
CString FinalMessageText();
