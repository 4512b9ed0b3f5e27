// A snapshot looked up by lower-case names, so runs compare whatever letter
// case the program used. The views point into the snapshot: it must outlive
// them.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "image/snapshot.h"

namespace harness {

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

// Every key's lower-case path.
std::set<std::string> LowerKeys(const image::MachineSnapshot& snapshot);

// Files and directories, by lower-case path.
std::map<std::string, FileView> FilesByLowerPath(const image::MachineSnapshot& snapshot);

// Readable values, by lower-case "key|name".
std::map<std::string, std::string> ValuesByLowerName(const image::MachineSnapshot& snapshot);

// How many of each name a list holds (processes, window titles), lower case.
std::map<std::string, int> CountsByLowerName(const std::vector<std::string>& names);

}  // namespace harness
