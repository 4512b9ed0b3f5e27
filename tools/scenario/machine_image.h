// A scenario folder as a machine: machine.ini, registry.reg and windows/,
// laid into the simulated machine before the program runs.
#pragma once

#include <string>
#include <vector>

namespace scenario {

struct MachineImage {
  std::string version = "win7";
  int bits = 0;  // 32 or 64; 0: as the version's usual edition
  std::vector<std::string> readOnly;  // relative to the Windows directory, '\' separated
  struct FileInUse {
    std::string path;  // relative to the Windows directory, '\' separated
    std::string how;   // open | loaded | running
  };
  std::vector<FileInUse> inUse;
  // Devices whose Enum key is there but which are not plugged in now (a
  // stick seen on another port): instance IDs, '\' separated.
  std::vector<std::string> unplugged;
  std::vector<std::string> processes;
  struct Window {
    std::string title;
    bool hung = false;
  };
  std::vector<Window> windows;
  std::vector<std::string> actions;  // ok | esc | close | box-ok
  std::string arguments;             // the program's command line after its name
  // Calls made to fail, as "API|error|subject" (the subject a part of what
  // the call names). Only the simulated machine can do this.
  struct Fault {
    std::string api;
    unsigned long error = 0;
    std::string subject;
  };
  std::vector<Fault> faults;
};

// machine.ini's text; problems (an unknown version or action) go to errors.
bool ReadMachineIni(const std::string& text, MachineImage* image, std::vector<std::string>* errors);

// The fresh machine of the folder's Windows version: the simulated machine
// reset, the version set and the devices every machine has. False when
// machine.ini cannot be taken.
bool LoadFreshMachine(const std::string& folder);

// Resets the simulated machine and lays the folder into it, on the fresh
// machine above. Returns false,
// with readable reasons, when the folder cannot be taken as it stands.
bool LoadMachineImage(const std::string& folder, std::vector<std::string>* errors);

}  // namespace scenario
