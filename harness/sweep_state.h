// The simulated machine reduced to what a run can change, with lower-case
// names so runs compare whatever case the program used.
#pragma once

#include <map>
#include <set>
#include <string>

namespace sweep {

struct MachineState {
  std::set<std::string> keys;
  std::map<std::string, std::string> values;  // "key|name" -> readable data
  std::map<std::string, unsigned> files;      // files and directories -> attributes
  std::map<std::string, int> processes;       // exe name -> how many run
  std::map<std::string, int> windows;         // title -> how many are open
};

MachineState CaptureState();

}  // namespace sweep
