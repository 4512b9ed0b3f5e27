// The collateral-damage oracle: what the profile names, on this machine, by
// a non-empty name, and every change a run made outside that.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "harness/lower_case_view.h"
#include "harness/oracle_profile.h"
#include "image/snapshot.h"

namespace harness {

struct Family {
  bool nt = false;   // the NT sequence may run
  bool w9x = false;  // the 9x sequence may run
};

struct NamedThings {
  std::set<std::string> keyRoots;  // lower-case key paths; their subtrees may go
  std::set<std::string> files;     // lower-case file paths
  std::set<std::string> folders;   // lower-case directories that may go with all they hold
  std::set<std::string> services;  // lower-case service names: they may leave class filter lists
  std::set<std::string> enum9xNames;  // texts a 9x enumeration subkey may be named by
  std::set<std::string> titles;    // lower-case window titles
  bool receiver = false;           // "ehRecvr.exe" may be ended
};

// The machine as the oracle compares it: values as stored, files the next
// restart deletes as gone.
image::MachineSnapshot CaptureForOracle();

// Prepared on the machine a run finds (a CaptureForOracle snapshot): what
// the profile names there, and the lookups every comparison needs.
class CollateralOracle {
 public:
  CollateralOracle(const ProfileNames& profile, image::MachineSnapshot before, Family family);
  CollateralOracle(const CollateralOracle&) = delete;
  CollateralOracle& operator=(const CollateralOracle&) = delete;

  // Readable lines, one per change outside what is named; empty when clean.
  // after: a CaptureForOracle snapshot.
  std::vector<std::string> Outside(const image::MachineSnapshot& after) const;

 private:
  const image::MachineSnapshot before_;
  const std::map<std::string, KeyView> keys_;  // point into before_
  const std::map<std::string, FileView> files_;
  const NamedThings named_;
};

}  // namespace harness
