// What DrvUninst would do on the machine laid into the simulated machine:
// the uninstaller's own code run there with a user who presses OK, told in
// the order the user would live it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace preview {

enum PreviewStatus { PREVIEW_WOULD_REMOVE = 0, PREVIEW_WOULD_NOT_REMOVE = 1, PREVIEW_CANNOT_TELL = 2 };

struct PreviewOptions {
  std::string machineName;               // "this PC", a scenario folder, ...
  std::vector<std::string> notReadable;  // parts of the machine that could not be read
  std::vector<std::string> notes;        // what could not be seen and cannot change the answer
  std::vector<std::string> laidKeys;     // keys laid that the machine does not have: never told
  bool lists = false;                    // also every key, file and device that would go, one a line
  int processBits = 0;                   // the build of DrvUninst.exe to run: 32, 64, 0 the machine's own
};

// Lays nothing: the machine must already be in the simulated machine. The
// report goes to out; a machine with unreadable parts gives
// PREVIEW_CANNOT_TELL after the report.
PreviewStatus RunPreview(const PreviewOptions& options, std::ostream& out);

}  // namespace preview
