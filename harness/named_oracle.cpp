#include "harness/named_oracle.h"

#include "harness/collateral_oracle.h"
#include "harness/oracle_profile.h"
#include "image/snapshot.h"
#include "platform/sim/machine.h"

namespace harness {

struct NamedOracle::Data {
  image::MachineSnapshot before;
  NamedThings named;
};

NamedOracle::NamedOracle(bool profileUncertain, bool familyUncertain) : data_(std::make_unique<Data>()) {
  Family family;
  family.w9x = sim::IsWin9xFamily();
  family.nt = !family.w9x || familyUncertain;
  data_->before = CaptureForOracle();
  data_->named = WhatTheProfileNames(LoadProfileNames(profileUncertain), data_->before, family);
}

NamedOracle::~NamedOracle() = default;

std::vector<std::string> NamedOracle::Outside() const {
  return Collateral(data_->named, data_->before, CaptureForOracle());
}

}  // namespace harness
