// A snapshot looked up by lower-case names, so runs compare whatever letter
// case the program used.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "image/snapshot.h"

namespace harness {

// KeyView and FileView point into their snapshot: it must outlive them.
struct KeyView {
  const std::string* path = nullptr;                         // as stored
  const std::vector<image::StoredValue>* stored = nullptr;   // empty unless the snapshot took them
  std::vector<std::string> children;                         // lower-case paths
};

struct FileView {
  const std::string* path = nullptr;  // as stored
  unsigned attributes = 0;
  bool directory = false;
};

// Every key, by lower-case path.
std::map<std::string, KeyView> KeysByLowerPath(const image::MachineSnapshot& snapshot);

// Files and directories, by lower-case path.
std::map<std::string, FileView> FilesByLowerPath(const image::MachineSnapshot& snapshot);

// What the sweep compares, by lower-case names: copies, so it may outlive
// its snapshot.
struct LowerCaseView {
  LowerCaseView() = default;
  explicit LowerCaseView(const image::MachineSnapshot& snapshot);

  std::set<std::string> keys;
  std::map<std::string, std::string> values;  // "key|name" -> readable data
  std::map<std::string, unsigned> files;      // files and directories -> attributes
  std::map<std::string, int> processes;       // exe name -> how many run
  std::map<std::string, int> windows;         // title -> how many are open
};

}  // namespace harness
