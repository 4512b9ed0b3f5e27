// What a run showed, reduced to what the sweep holds a faulted run to.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace sweep {

struct Shown {
  bool dialog = false;
  std::vector<std::pair<int, std::string>> texts;  // every text set: control id, text
  std::vector<std::string> boxes;                  // "caption|text", in order
  bool steppedProgress = false;                    // the removal began
  bool blockedForever = false;                     // sent to a hung window
  size_t openHandles = 0;                          // processes' and registry handles left open
  // The boxes the loaded profile can show: the not-installed warning, the
  // final message of a complete removal, and the one that names leftovers
  // (its caption and first line, and its end).
  std::string notInstalledBox;
  std::string finalBox;
  std::string leftoverBoxStart;
  std::string leftoverBoxEnd;
  std::string handOverFailedBox;  // the 32-bit program could not start the 64-bit one
  std::set<std::string> leftovers;  // what the run named as left over, lower case
  std::string noDeviceBox;        // the device check stopped the removal
};

// Read from the simulated desktop and the program's loaded profile.
Shown CaptureShown();

struct FaultedRun {
  std::string api;  // the call that failed
  bool absence = false;          // it said the thing is not there
  bool loadsOtherNames = false;  // it changed what the program loaded
  bool changedMachine = false;   // anything but windows
  bool keptWhatCleanRemoved = false;  // a key the clean run deleted is still there
};

// Readable lines where the faulted run showed something the described
// behaviour does not allow, measured against the clean run. Texts are held
// loosely (each must be one the clean run set, or a path it named as left
// over, unless the profile read failed), the boxes strictly.
std::vector<std::string> ShownOutsideCleanRun(const Shown& clean, const Shown& faulted, const FaultedRun& run);

}  // namespace sweep
