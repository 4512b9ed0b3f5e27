// The collateral-damage oracle: what the profile names, on this machine, by
// a non-empty name, and every change a run made outside that.
#pragma once

#include <set>
#include <string>
#include <vector>

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

// before: the machine as the run finds it, with its values as stored.
NamedThings WhatTheProfileNames(const ProfileNames& profile, const image::MachineSnapshot& before, Family family);

// Readable lines, one per change outside what is named; empty when clean.
// Both snapshots hold their values as stored, and leave out what the next
// restart deletes (CaptureForOracle).
std::vector<std::string> Collateral(const NamedThings& named, const image::MachineSnapshot& before,
                                    const image::MachineSnapshot& after);

// The machine as the oracle compares it: values as stored, files the next
// restart deletes as gone.
image::MachineSnapshot CaptureForOracle();

}  // namespace harness
