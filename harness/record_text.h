// How both worlds write what a program showed: the texts it set and the
// progress messages it sent, in the lines the comparison reads.
#pragma once

#include <string>

#include "platform/win32.h"

namespace harness {

// Backslash, line feed, carriage return and tab written as \\ \n \r \t.
std::string EscapeText(const std::string& text);

// The names of a multi-string as Windows reads it (up to its first empty
// string, or the end of the data), each escaped as above, joined by "|".
std::string DescribeMultiString(const char* data, size_t size);

// "PBM_STEPIT" and the like; nullptr for a message that is no progress message.
const char* ProgressMessageName(UINT message);

}  // namespace harness
