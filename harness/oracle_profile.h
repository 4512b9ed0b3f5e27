// The profile as the uninstaller loads it, worked out here from the file's
// text and the machine by the loading rules alone (no program code): every
// non-empty name that any loaded profile may hold.
#pragma once

#include <set>
#include <string>

namespace harness {

struct ProfileNames {
  std::set<std::string> ids;       // hardware-ID prefixes, all four lists
  std::set<std::string> names;     // driver descriptions, all four lists
  std::set<std::string> sysFiles;  // all four lists
  std::set<std::string> infFiles;  // all four lists
  std::set<std::string> supportFiles;
  std::set<std::string> services;
  std::set<std::string> uninstallPaths;
  std::set<std::string> appNames;
  std::set<std::string> remoteTitles;
  std::set<std::string> mediaClasses;
};

// uncertain: a fault may change what the program reads (the section, a
// value); then every section and every default counts.
ProfileNames LoadProfileNames(bool uncertain);

// HexToInt's rule: the last eight digits, wrapping to a signed 32-bit value;
// *odd is set when a character is not a hexadecimal digit.
int HexCount(const std::string& text, bool* odd);

}  // namespace harness
