// What the simulated machine holds at one moment, for comparing before and
// after a run.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace image {

struct MachineSnapshot {
  std::vector<std::string> keys;                 // "HKLM\...", parents before children
  std::map<std::string, std::string> values;     // "key|name" -> readable data
  std::map<std::string, unsigned> files;         // file path -> attributes (no directories)
  std::vector<std::string> devices;              // Enum instance keys with a ClassGUID
  std::vector<std::string> processes;
  std::vector<std::string> windows;              // other programs' open windows
};

// Whose values a snapshot takes (nullptr: every key's). A preview of a large
// machine needs few of them, and they are most of a snapshot's size.
using ValuesWanted = bool (*)(const std::string& keyPath);
MachineSnapshot CaptureMachine(ValuesWanted wanted = nullptr);

// The readable form of a value: "text", dword:0000000a, multi:"a","b", hex:01,02.
std::string DescribeValue(unsigned type, const std::vector<unsigned char>& data);

}  // namespace image
