#include "harness/clean_run_oracle.h"

#include <cstdio>

#include "harness/lower_case_view.h"

namespace harness {
namespace {

std::string Describe(const std::string& text) { return text; }

std::string Describe(const FileView& file) {
  char hex[16];
  std::snprintf(hex, sizeof(hex), "%x", file.attributes);
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

image::MachineSnapshot CaptureForCleanRun() {
  image::CaptureOptions options;
  options.scheduledGone = true;
  return image::CaptureMachine(options);
}

std::vector<std::string> OutsideCleanRun(const image::MachineSnapshot& before, const image::MachineSnapshot& clean,
                                         const image::MachineSnapshot& faulted, const std::set<std::string>& meantToGo) {
  std::vector<std::string> lines;
  const std::set<std::string> keysBefore = LowerKeys(before);
  const std::set<std::string> keysClean = LowerKeys(clean);
  const std::set<std::string> keysFaulted = LowerKeys(faulted);
  for (const std::string& key : keysFaulted) {
    if (!keysBefore.count(key) && !keysClean.count(key)) lines.push_back("key " + key + " created");
  }
  for (const std::string& key : keysBefore) {
    if (!keysFaulted.count(key) && keysClean.count(key)) lines.push_back("key " + key + " deleted, the clean run kept it");
  }
  CompareMaps("value", ValuesByLowerName(before), ValuesByLowerName(clean), ValuesByLowerName(faulted), &lines);
  CompareMaps("file", FilesByLowerPath(before), FilesByLowerPath(clean), FilesByLowerPath(faulted), &lines, meantToGo);
  CompareCounts("process", CountsByLowerName(before.processes), CountsByLowerName(clean.processes),
                CountsByLowerName(faulted.processes), &lines);
  CompareCounts("window", CountsByLowerName(before.windows), CountsByLowerName(clean.windows),
                CountsByLowerName(faulted.windows), &lines);
  return lines;
}

}  // namespace harness
