// Windows 9x deletes a file at the next start when WININIT.INI, in the
// Windows directory, has a line NUL=<short path> in its [rename] section.
#pragma once

#include <string>

#include "platform/win32.h"

// Adds the line for the file (by its 8.3 path, as 9x wants it), creating
// the file and the section when missing and keeping every other line;
// a line already there is not added twice. False when WININIT.INI is not
// text, cannot be read or written, or the file has no short path.
bool AddWininitDeletion(LPCSTR path);

// The text with the line added, and where the text first differs; false
// when the line is already there (nothing to write).
bool WithWininitDeletion(const std::string& text, const std::string& shortPath, std::string* updated,
                         size_t* firstChange);
