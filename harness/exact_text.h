// The whole simulated machine as one exact text (registry, files with
// attributes and contents, processes, windows): equal texts, equal machines.
// Far cheaper than a snapshot, so most runs are compared with it alone.
#pragma once

#include <string>

namespace harness {

// Written into *text, whose memory is reused.
void TakeExactText(std::string* text);

}  // namespace harness
