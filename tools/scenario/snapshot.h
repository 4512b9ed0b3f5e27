// What the simulated machine holds at one moment, for comparing before and
// after a run.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace scenario {

struct MachineSnapshot {
  std::vector<std::string> keys;                 // "HKLM\...", parents before children
  std::map<std::string, std::string> values;     // "key|name" -> readable data
  std::map<std::string, unsigned> files;         // file path -> attributes (no directories)
  std::vector<std::string> devices;              // Enum instance keys with a ClassGUID
  std::vector<std::string> processes;
  std::vector<std::string> windows;              // other programs' open windows
};

MachineSnapshot CaptureMachine();

// The readable form of a value: "text", dword:0000000a, multi:"a","b", hex:01,02.
std::string DescribeValue(unsigned type, const std::vector<unsigned char>& data);

}  // namespace scenario
