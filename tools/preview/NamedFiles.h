// The files of the Windows directory a run may touch, worked out from the
// profile and the class instances of the machine laid so far: what a reader
// of a live PC must look at, and no more.
#pragma once

#include <string>
#include <vector>

namespace preview {

// Paths relative to the Windows directory, each once (case ignored), the
// ones that would leave their folder left out.
std::vector<std::string> NamedFiles();

}  // namespace preview
