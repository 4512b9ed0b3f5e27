// The 32-bit build on a 64-bit machine against the 64-bit build there: it
// hands its run to the 64-bit program it carries, so both must end alike.
#pragma once

#include <string>
#include <vector>

namespace harness {

// Lays the folder into a 64-bit machine twice and runs each build once; the
// lines (- 64-bit build, + 32-bit build) where what they showed, the machine
// they left (every file and directory too) or their exit codes differ. Empty
// when they agree; false when the folder cannot be read.
bool CompareBuilds(const std::string& folder, std::vector<std::string>* differences,
                   std::vector<std::string>* errors);

}  // namespace harness
