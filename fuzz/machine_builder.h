// Lays a fuzz case into the simulated machine: the profile file, the
// version, devices, class instances, services, Uninstall entries, files,
// processes and windows, beside a few things no profile should touch.
#pragma once

#include <string>

#include "fuzz/fuzz_case.h"

namespace fuzzcase {

// The profile file's text for the case.
std::string ProfileText(const Case& c);

// Builds the case on a fresh machine (the caller resets it); faults are not
// injected yet.
void BuildMachine(const Case& c);

// Injects the case's faults and scripts a user who presses OK, then closes
// the final box.
void ArmFaultsAndUser(const Case& c);

// Whether a fault is armed on one of these APIs.
bool HasFaultOn(const Case& c, const char* const* apis, int count);

}  // namespace fuzzcase
