// The profile's own oracle (the one the fuzz target uses): what the profile
// names on this machine, worked out from its text alone, and every change a
// run made outside that.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace harness {

// Call on the laid-out machine before the run.
class NamedOracle {
 public:
  NamedOracle(bool profileUncertain, bool familyUncertain);
  ~NamedOracle();

  // Call once the run ended; one readable line per change outside.
  std::vector<std::string> Outside() const;

 private:
  struct Data;
  std::unique_ptr<Data> data_;
};

}  // namespace harness
