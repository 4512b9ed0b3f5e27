// The sweep's collateral-damage oracle. The clean run's effects are what the
// scenario's profile names on this machine; a failed call may only make the
// program do less of that, never something else.
#pragma once

#include <string>
#include <vector>

#include "tools/fault-sweep/machine_state.h"

namespace sweep {

// One readable line per thing the faulted run changed (deleted, created,
// rewrote, ended, closed, reset attributes of) that the clean run left as
// it was before; empty when the faulted run stayed inside.
std::vector<std::string> OutsideCleanRun(const MachineState& before, const MachineState& clean,
                                         const MachineState& faulted);

}  // namespace sweep
