// Runs the uninstaller once on the simulated machine, as a fresh process
// would start: a zero-filled profile and empty 9x ID lists.
#pragma once

namespace scenario {

// The state a newly started process has: the program's statics live for the
// whole process here, so every run, test and benchmark starts from this.
void ResetProgramState();

// processBits 32 runs the 32-bit build, 64 the 64-bit one, 0 the build of the
// machine's own bitness.
int RunProgram(int processBits = 0);

}  // namespace scenario
