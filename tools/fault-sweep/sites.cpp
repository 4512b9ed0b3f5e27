#include "tools/fault-sweep/sites.h"

#include <set>
#include <tuple>

#include "tools/fault-sweep/error_table.h"

namespace sweep {
namespace {

// The same test CheckFault applies to a rule.
bool RuleMatches(const Site& rule, const sim::CallRecord& call) {
  if (rule.api != call.api) return false;
  if (!rule.subject.empty() && !sim::ContainsNoCase(call.subject, rule.subject)) return false;
  return rule.index < 0 || rule.index == call.index;
}

}  // namespace

std::vector<Site> DistinctSites(const std::vector<sim::CallRecord>& log) {
  std::vector<Site> sites;
  std::set<std::tuple<std::string, std::string, long>> seen;
  for (size_t i = 0; i < log.size(); ++i) {
    const sim::CallRecord& call = log[i];
    if (ErrorsOf(call.api).empty()) continue;
    // A call that names nothing (the Windows directory, the version) is told
    // apart only by when it comes, so each of its calls is a site.
    const bool anonymous = call.subject.empty();
    if (!anonymous && !seen.insert(std::make_tuple(call.api, call.subject, call.index)).second) continue;
    Site site;
    site.api = call.api;
    site.subject = call.subject;
    site.index = call.index;
    site.nth = 0;
    for (size_t j = 0; j <= i; ++j) site.nth += RuleMatches(site, log[j]) ? 1 : 0;
    sites.push_back(site);
  }
  return sites;
}

}  // namespace sweep
