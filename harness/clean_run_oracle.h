// The sweep's collateral-damage oracle. The clean run's effects are what the
// scenario's profile names on this machine; a failed call may only make the
// program do less of that, never something else.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "harness/sweep_state.h"

namespace sweep {

// One readable line per thing the faulted run changed (deleted, created,
// rewrote, ended, closed, reset attributes of) that the clean run left as
// it was before; empty when the faulted run stayed inside. A file the clean
// run named as left over (meantToGo, lower case) was the profile's to
// remove: a faulted run that removed it did not step outside.
std::vector<std::string> OutsideCleanRun(const MachineState& before, const MachineState& clean,
                                         const MachineState& faulted, const std::set<std::string>& meantToGo = {});

}  // namespace sweep
