// Runs the uninstaller once on the simulated machine, as a fresh process
// would start: a zero-filled profile and empty 9x ID lists.
#pragma once

#include <string>
#include <vector>

namespace image {

// The state a newly started process has: the program's statics live for the
// whole process here, so every run, test and benchmark starts from this.
void ResetProgramState();

// processBits 32 runs the 32-bit build, 64 the 64-bit one, 0 the build of the
// machine's own bitness.
int RunProgram(int processBits = 0);

// The exit code of the last run (RunProgram's answer), for the expectations.
int LastExitCode();

// The lines of the file the run's /log named; false when it named none or
// the program wrote none.
bool RunLogLines(std::vector<std::string>* lines);

}  // namespace image
