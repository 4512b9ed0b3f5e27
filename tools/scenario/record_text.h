// How both worlds write what a program showed: the texts it set and the
// progress messages it sent, in the lines the comparison reads.
#pragma once

#include <string>

#include "platform/win32.h"

namespace scenario {

// Backslash, line feed, carriage return and tab written as \\ \n \r \t.
std::string EscapeText(const std::string& text);

// "PBM_STEPIT" and the like; nullptr for a message that is no progress message.
const char* ProgressMessageName(UINT message);

}  // namespace scenario
