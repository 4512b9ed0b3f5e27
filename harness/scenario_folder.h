// A scenario folder as a machine: machine.ini, registry.reg and windows/,
// laid into the simulated machine before the program runs.
#pragma once

#include <string>
#include <vector>

#include "image/machine_image.h"

namespace harness {


// machine.ini's text; problems (an unknown version or action) go to errors.
bool ReadMachineIni(const std::string& text, image::MachineImage* image, std::vector<std::string>* errors);

// The fresh machine of the folder's Windows version: the simulated machine
// reset, the version set and the devices every machine has. False when
// machine.ini cannot be taken.
bool LoadFreshMachine(const std::string& folder);

// Resets the simulated machine and lays the folder into it, on the fresh
// machine above. Returns false,
// with readable reasons, when the folder cannot be taken as it stands.
bool LoadMachineImage(const std::string& folder, std::vector<std::string>* errors);

}  // namespace harness
