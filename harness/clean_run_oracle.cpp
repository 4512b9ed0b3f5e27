#include "harness/clean_run_oracle.h"

#include <cstdio>

namespace harness {
namespace {

std::string Describe(const std::string& text) { return text; }

std::string Describe(unsigned attributes) {
  char hex[16];
  std::snprintf(hex, sizeof(hex), "%x", attributes);
  return hex;
}

template <typename Map>
std::string StateOf(const Map& map, const std::string& name) {
  auto found = map.find(name);
  if (found == map.end()) return "(absent)";
  return Describe(found->second);
}

// Every name either side holds, so deletions and creations both show.
template <typename Map>
std::vector<std::string> NamesOf(const Map& a, const Map& b) {
  std::vector<std::string> names;
  for (const auto& entry : a) names.push_back(entry.first);
  for (const auto& entry : b) {
    if (!a.count(entry.first)) names.push_back(entry.first);
  }
  return names;
}

template <typename Map>
void CompareMaps(const char* what, const Map& before, const Map& clean, const Map& faulted,
                 std::vector<std::string>* lines, const std::set<std::string>& meantToGo = {}) {
  for (const std::string& name : NamesOf(before, faulted)) {
    const std::string was = StateOf(before, name);
    const std::string now = StateOf(faulted, name);
    if (was == now) continue;
    if (StateOf(clean, name) != was) continue;  // the clean run changed it as well
    if (now == "(absent)" && meantToGo.count(name)) continue;
    lines->push_back(std::string(what) + " " + name + ": " + was + " -> " + now + ", the clean run kept it");
  }
}

void CompareCounts(const char* what, const std::map<std::string, int>& before, const std::map<std::string, int>& clean,
                   const std::map<std::string, int>& faulted, std::vector<std::string>* lines) {
  for (const std::string& name : NamesOf(before, faulted)) {
    auto count = [&name](const std::map<std::string, int>& map) {
      auto found = map.find(name);
      return found == map.end() ? 0 : found->second;
    };
    const int was = count(before);
    const int now = count(faulted);
    // Fewer ended than in the clean run is doing less; more, or new ones, is not.
    if (now > was || now < count(clean)) {
      lines->push_back(std::string(what) + " " + name + ": " + std::to_string(was) + " -> " + std::to_string(now) +
                       ", the clean run left " + std::to_string(count(clean)));
    }
  }
}

}  // namespace

LowerCaseView CaptureForCleanRun() {
  image::CaptureOptions options;
  options.scheduledGone = true;
  return LowerCaseView(image::CaptureMachine(options));
}

std::vector<std::string> OutsideCleanRun(const LowerCaseView& before, const LowerCaseView& clean,
                                         const LowerCaseView& faulted, const std::set<std::string>& meantToGo) {
  std::vector<std::string> lines;
  for (const std::string& key : faulted.keys) {
    if (!before.keys.count(key) && !clean.keys.count(key)) lines.push_back("key " + key + " created");
  }
  for (const std::string& key : before.keys) {
    if (!faulted.keys.count(key) && clean.keys.count(key)) lines.push_back("key " + key + " deleted, the clean run kept it");
  }
  CompareMaps("value", before.values, clean.values, faulted.values, &lines);
  CompareMaps("file", before.files, clean.files, faulted.files, &lines, meantToGo);
  CompareCounts("process", before.processes, clean.processes, faulted.processes, &lines);
  CompareCounts("window", before.windows, clean.windows, faulted.windows, &lines);
  return lines;
}

std::vector<std::string> OutsideCleanRun(const image::MachineSnapshot& before, const image::MachineSnapshot& clean,
                                         const image::MachineSnapshot& faulted, const std::set<std::string>& meantToGo) {
  return OutsideCleanRun(LowerCaseView(before), LowerCaseView(clean), LowerCaseView(faulted), meantToGo);
}

}  // namespace harness
