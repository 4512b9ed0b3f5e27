// Runs the uninstaller once on the simulated machine, as a fresh process
// would start: a zero-filled profile and empty 9x ID lists.
#pragma once

namespace scenario {

int RunProgram();

}  // namespace scenario
