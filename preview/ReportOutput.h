// Writing a finished report to standard output, where a console that takes
// none of it is an error of its own.
#pragma once

#include <string>

namespace preview {

// Writes text to standard output and returns status; returns 2, with a
// message on standard error, when the text cannot be written whole.
int EmitReport(const std::string& text, int status);

}  // namespace preview
