#include "harness/named_oracle.h"

#include "harness/machine_state.h"
#include "harness/collateral_oracle.h"
#include "harness/oracle_profile.h"
#include "platform/sim/machine.h"

namespace sweep {

struct NamedOracle::Data {
  fuzzcase::MachineState before;
  fuzzcase::NamedThings named;
};

NamedOracle::NamedOracle(bool profileUncertain, bool familyUncertain) : data_(std::make_unique<Data>()) {
  fuzzcase::Family family;
  family.w9x = sim::IsWin9xFamily();
  family.nt = !family.w9x || familyUncertain;
  data_->before = fuzzcase::Capture();
  data_->named = fuzzcase::WhatTheProfileNames(fuzzcase::LoadProfileNames(profileUncertain), data_->before, family);
}

NamedOracle::~NamedOracle() = default;

std::vector<std::string> NamedOracle::Outside() const {
  return fuzzcase::Collateral(data_->named, data_->before, fuzzcase::Capture());
}

}  // namespace sweep
