// The call sites of a clean run, and the fault rule that fails exactly one
// call there.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/faults.h"

namespace sweep {

struct Site {
  std::string api;
  std::string subject;
  long index = -1;
  int nth = 1;  // the first call of this site, counted among the calls the rule matches
};

// Each distinct (api, subject, index) of the log whose API can fail, and
// every call of such an API that names no subject, with the occurrence that
// makes a rule on it hit exactly that call: the rule's subject matches by
// substring, so other calls may count as well.
std::vector<Site> DistinctSites(const std::vector<sim::CallRecord>& log);

}  // namespace sweep
