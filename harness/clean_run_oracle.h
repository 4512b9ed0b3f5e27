// The sweep's collateral-damage oracle. The clean run's effects are what the
// scenario's profile names on this machine; a failed call may only make the
// program do less of that, never something else.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "harness/lower_case_view.h"
#include "image/snapshot.h"

namespace harness {

// One readable line per thing the faulted run changed (deleted, created,
// rewrote, ended, closed, reset attributes of) that the clean run left as
// it was before; empty when the faulted run stayed inside. A file the clean
// run named as left over (meantToGo, lower case) was the profile's to
// remove: a faulted run that removed it did not step outside.
// Names compare in lower case, so runs compare whatever case the program used.
std::vector<std::string> OutsideCleanRun(const LowerCaseView& before, const LowerCaseView& clean,
                                         const LowerCaseView& faulted, const std::set<std::string>& meantToGo = {});
std::vector<std::string> OutsideCleanRun(const image::MachineSnapshot& before, const image::MachineSnapshot& clean,
                                         const image::MachineSnapshot& faulted,
                                         const std::set<std::string>& meantToGo = {});

// The machine as this oracle and the exit-code check compare it: readable
// values, and the files the next restart deletes as gone.
LowerCaseView CaptureForCleanRun();

}  // namespace harness
