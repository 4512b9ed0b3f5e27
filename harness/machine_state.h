// The whole simulated machine at one moment, for the before/after diff:
// the registry tree with values, files and directories with attributes,
// processes and other programs' windows.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace fuzzcase {

struct KeyState {
  std::string path;                              // as stored, "HKLM\..."
  std::map<std::string, std::string> values;     // lower-case name -> type and data
  std::vector<std::string> children;             // lower-case paths
};

struct FileState {
  std::string path;
  unsigned attributes = 0;
  bool directory = false;
};

struct MachineState {
  std::map<std::string, KeyState> keys;    // by lower-case path
  std::map<std::string, FileState> files;  // by lower-case path
  std::vector<std::string> processes;
  std::vector<std::string> windows;
};

MachineState Capture();

// The same machine as one exact text (registry, files with attributes and
// contents, processes, windows): equal texts, equal machines. Written into
// *image, whose memory is reused.
void TakeImage(std::string* image);

std::string Lower(std::string text);

}  // namespace fuzzcase
