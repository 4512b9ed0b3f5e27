#include "tools/fault-sweep/exit_codes.h"

#include "app/ExitCodes.h"

namespace sweep {
namespace {

// A key left with no value and no subkey holds nothing of the package: it
// is a branch another step emptied, which the run deletes only when it can
// see that it is empty.
bool IsEmptyKey(const harness::LowerCaseView& state, const std::string& key) {
  const auto below = state.keys.upper_bound(key);
  if (below != state.keys.end() && below->compare(0, key.size() + 1, key + "\\") == 0) return false;
  const auto value = state.values.lower_bound(key + "|");
  return value == state.values.end() || value->first.compare(0, key.size() + 1, key + "|") != 0;
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

std::vector<std::string> LeftOf(const harness::LowerCaseView& before, const harness::LowerCaseView& cleanAfterRestart,
                                const harness::LowerCaseView& faultedAfterRestart) {
  std::vector<std::string> left;
  for (const std::string& key : before.keys) {
    if (!cleanAfterRestart.keys.count(key) && faultedAfterRestart.keys.count(key) &&
        !IsEmptyKey(faultedAfterRestart, key)) {
      left.push_back("key " + key);
    }
  }
  for (const auto& value : before.values) {
    const auto clean = cleanAfterRestart.values.find(value.first);
    const auto faulted = faultedAfterRestart.values.find(value.first);
    const std::string key = value.first.substr(0, value.first.find('|'));
    if (faulted == faultedAfterRestart.values.end() || !faultedAfterRestart.keys.count(key)) continue;
    // A value the clean run deleted or rewrote and the faulted run kept as it was.
    const bool cleanChanged = clean == cleanAfterRestart.values.end() || clean->second != value.second;
    if (cleanChanged && faulted->second == value.second) left.push_back("value " + value.first);
  }
  for (const auto& file : before.files) {
    if (!cleanAfterRestart.files.count(file.first) && faultedAfterRestart.files.count(file.first)) {
      left.push_back("file " + file.first);
    }
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
