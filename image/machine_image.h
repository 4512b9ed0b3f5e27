// A machine as a scenario or a live PC describes it: the Windows version,
// what runs and what is held, the user's actions and the faults.
#pragma once

#include <string>
#include <vector>

namespace image {

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

}  // namespace image
