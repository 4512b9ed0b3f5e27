#include "tools/fault-sweep/exit_codes.h"

#include <map>
#include <set>

#include "app/ExitCodes.h"
#include "harness/lower_case_view.h"

namespace sweep {
namespace {

// A key left with no value and no subkey holds nothing of the package: it
// is a branch another step emptied, which the run deletes only when it can
// see that it is empty.
bool IsEmptyKey(const std::set<std::string>& keys, const std::map<std::string, std::string>& values,
                const std::string& key) {
  const auto below = keys.upper_bound(key);
  if (below != keys.end() && below->compare(0, key.size() + 1, key + "\\") == 0) return false;
  const auto value = values.lower_bound(key + "|");
  return value == values.end() || value->first.compare(0, key.size() + 1, key + "|") != 0;
}

const DWORD kTable[] = {EXIT_REMOVED,       EXIT_REMOVED_RESTART, EXIT_CANCELLED,        EXIT_NOT_INSTALLED,
                        EXIT_DEVICE_NOT_FOUND, EXIT_FAILED,       EXIT_BAD_COMMAND_LINE, EXIT_LOG_NOT_WRITTEN};

bool InTable(int exitCode) {
  for (DWORD code : kTable) {
    if (static_cast<int>(code) == exitCode) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> LeftOf(const image::MachineSnapshot& beforeSnapshot,
                                const image::MachineSnapshot& cleanSnapshot,
                                const image::MachineSnapshot& faultedSnapshot) {
  const std::set<std::string> keysBefore = harness::LowerKeys(beforeSnapshot);
  const std::set<std::string> keysClean = harness::LowerKeys(cleanSnapshot);
  const std::set<std::string> keysFaulted = harness::LowerKeys(faultedSnapshot);
  const std::map<std::string, std::string> valuesBefore = harness::ValuesByLowerName(beforeSnapshot);
  const std::map<std::string, std::string> valuesClean = harness::ValuesByLowerName(cleanSnapshot);
  const std::map<std::string, std::string> valuesFaulted = harness::ValuesByLowerName(faultedSnapshot);
  std::vector<std::string> left;
  for (const std::string& key : keysBefore) {
    if (!keysClean.count(key) && keysFaulted.count(key) && !IsEmptyKey(keysFaulted, valuesFaulted, key)) {
      left.push_back("key " + key);
    }
  }
  for (const auto& value : valuesBefore) {
    const auto clean = valuesClean.find(value.first);
    const auto faulted = valuesFaulted.find(value.first);
    const std::string key = value.first.substr(0, value.first.find('|'));
    if (faulted == valuesFaulted.end() || !keysFaulted.count(key)) continue;
    // A value the clean run deleted or rewrote and the faulted run kept as it was.
    const bool cleanChanged = clean == valuesClean.end() || clean->second != value.second;
    if (cleanChanged && faulted->second == value.second) left.push_back("value " + value.first);
  }
  const std::map<std::string, harness::FileView> filesClean = harness::FilesByLowerPath(cleanSnapshot);
  const std::map<std::string, harness::FileView> filesFaulted = harness::FilesByLowerPath(faultedSnapshot);
  for (const auto& file : harness::FilesByLowerPath(beforeSnapshot)) {
    if (!filesClean.count(file.first) && filesFaulted.count(file.first)) left.push_back("file " + file.first);
  }
  return left;
}

bool LacksThePackageUninstall(const std::string& api, const std::string& subject) {
  return api == "GetProcAddress" && subject == "SetupUninstallOEMInfA";
}

std::vector<std::string> ExitCodeProblems(int exitCode, bool quiet, const std::vector<std::string>& left) {
  std::vector<std::string> problems;
  if (!InTable(exitCode)) {
    problems.push_back("ends with exit code " + std::to_string(exitCode) + ", which the table does not name");
  }
  if (quiet && exitCode == static_cast<int>(EXIT_REMOVED)) {
    problems.push_back("ends with 0 under /quiet, where a removal ends with 3010");
  }
  const bool success = exitCode == static_cast<int>(EXIT_REMOVED) || exitCode == static_cast<int>(EXIT_REMOVED_RESTART);
  if (success && !left.empty()) {
    std::string line = "ends with " + std::to_string(exitCode) + ", yet leaves " + left.front();
    if (left.size() > 1) line += " and " + std::to_string(left.size() - 1) + " more";
    problems.push_back(line);
  }
  return problems;
}

}  // namespace sweep
