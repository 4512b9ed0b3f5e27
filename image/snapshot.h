// What the simulated machine holds at one moment, for comparing before and
// after a run: the account of a run, the preview and the oracles all take it.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace image {

// A registry value as stored, every byte of it: the oracles compare these.
struct StoredValue {
  std::string name;
  unsigned type = 0;
  std::string data;
};

struct MachineSnapshot {
  std::vector<std::string> keys;                 // "HKLM\...", parents before children
  std::map<std::string, std::string> values;     // "key|name" -> readable data
  // Each key's values as stored, by the key's place in keys (CaptureOptions::stored).
  std::vector<std::vector<StoredValue>> stored;
  std::map<std::string, unsigned> files;         // file path -> attributes
  std::map<std::string, unsigned> directories;   // directory path -> attributes
  std::vector<std::string> devices;              // Enum instance keys with a ClassGUID
  std::vector<std::string> processes;
  std::vector<std::string> windows;              // other programs' open windows
};

// Whose readable values a snapshot takes (nullptr: every key's). A preview
// of a large machine needs few of them, and they are most of a snapshot's size.
using ValuesWanted = bool (*)(const std::string& keyPath);

struct CaptureOptions {
  ValuesWanted wanted = nullptr;
  bool stored = false;  // also every key's values as stored
  // The files the next restart deletes count as gone, and its own lists
  // (the pending renames, WININIT.INI) as no part of the machine.
  bool scheduledGone = false;
};

MachineSnapshot CaptureMachine(ValuesWanted wanted = nullptr);
MachineSnapshot CaptureMachine(const CaptureOptions& options);

// The readable form of a value: "text", dword:0000000a, multi:"a","b", hex:01,02.
std::string DescribeValue(unsigned type, const std::vector<unsigned char>& data);

}  // namespace image
