// The exit code a run ends with, held to the README's table: a deployment
// tool reads it, so a failure must never pass for a success.
#pragma once

#include <string>
#include <vector>

#include "harness/lower_case_view.h"

namespace sweep {

// What the clean run removed for good (still gone after the restart) that the
// faulted run, after its restart, still has: keys (but not one left empty),
// values and files, by their lower-case names.
std::vector<std::string> LeftOf(const harness::LowerCaseView& before, const harness::LowerCaseView& cleanAfterRestart,
                                const harness::LowerCaseView& faultedAfterRestart);

// A Windows without the package uninstall (Windows 2000) has no driver store:
// the hand deletion is all there is. Faked on a later Windows, the store and
// catalog copies stay where no real machine would have them.
bool LacksThePackageUninstall(const std::string& api, const std::string& subject);

// Readable lines where the exit code breaks the table: a code it does not
// name, 0 under /quiet, or a success (0, 3010) while something is left.
std::vector<std::string> ExitCodeProblems(int exitCode, bool quiet, const std::vector<std::string>& left);

}  // namespace sweep
