// The profile's own oracle (the one the fuzz target uses): what the profile
// names on this machine, worked out from its text alone, and every change a
// run made outside that.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "image/snapshot.h"

namespace harness {

class CollateralOracle;

// Call on the laid-out machine before the run.
class NamedOracle {
 public:
  NamedOracle(bool profileUncertain, bool familyUncertain);
  ~NamedOracle();

  // Call once the run ended; one readable line per change outside.
  std::vector<std::string> Outside() const;
  // The same of a machine taken earlier with CaptureForOracle.
  std::vector<std::string> Outside(const image::MachineSnapshot& after) const;

 private:
  std::unique_ptr<CollateralOracle> oracle_;
};

}  // namespace harness
