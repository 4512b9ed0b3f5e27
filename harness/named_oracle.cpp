#include "harness/named_oracle.h"

#include "harness/collateral_oracle.h"
#include "harness/oracle_profile.h"
#include "platform/sim/machine.h"

namespace harness {
namespace {

Family FamilyOf(bool uncertain) {
  Family family;
  family.w9x = sim::IsWin9xFamily();
  family.nt = !family.w9x || uncertain;
  return family;
}

}  // namespace

NamedOracle::NamedOracle(bool profileUncertain, bool familyUncertain) {
  const ProfileNames profile = LoadProfileNames(profileUncertain);
  oracle_ = std::make_unique<CollateralOracle>(profile, CaptureForOracle(), FamilyOf(familyUncertain));
}

NamedOracle::~NamedOracle() = default;

std::vector<std::string> NamedOracle::Outside() const { return oracle_->Outside(CaptureForOracle()); }

std::vector<std::string> NamedOracle::Outside(const image::MachineSnapshot& after) const {
  return oracle_->Outside(after);
}

}  // namespace harness
