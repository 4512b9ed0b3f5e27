// drvuninst-sim: runs the uninstaller on a machine image (a scenario folder)
// on the simulated machine and tells what it showed, removed and kept; or
// previews the folder's machine; or checks a profile.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "harness/compare_builds.h"
#include "harness/expectations.h"
#include "harness/probe_answers.h"
#include "harness/scenario_folder.h"
#include "image/report.h"
#include "image/run_program.h"
#include "image/snapshot.h"
#include "platform/sim/machine.h"
#include "platform/sim/restart.h"
#include "platform/sim/wow64.h"
#include "preview/Preview.h"
#include "preview/ProfileCheck.h"
#include "preview/ReportOutput.h"
#include "tools/drvuninst-sim/arguments.h"

namespace {

using simtool::Arguments;

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

bool ReadText(const std::filesystem::path& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  *text = bytes.str();
  return true;
}

// Answered on the machine as it stands: after the run, or after the restart
// when one was asked for.
bool AnswerProbe(const std::string& questionsPath, const std::string& answersPath) {
  std::string questions;
  if (!ReadText(questionsPath, &questions) || !WriteText(answersPath, harness::AnswerProbeFile(questions))) {
    std::cerr << "drvuninst-sim: cannot answer " << questionsPath << "\n";
    return false;
  }
  return true;
}

int CheckProfile(const std::string& path) {
  std::ostringstream report;
  const int status = preview::RunProfileCheck(path, report, std::cerr);
  return preview::EmitReport(report.str(), status);
}

int Preview(const Arguments& arguments) {
  preview::PreviewOptions options;
  options.machineName = arguments.folder;
  options.lists = arguments.lists;
  options.processBits = arguments.processBits;
  std::ostringstream report;
  const int status = preview::RunPreview(options, report);
  return preview::EmitReport(report.str(), status);
}

void PrintRun(const Arguments& arguments, const image::MachineSnapshot& fresh, const image::MachineSnapshot& before,
              const image::MachineSnapshot& after) {
  std::cout << "Scenario " << arguments.folder << " on " << (sim::IsWin9xFamily() ? "a 9x-family" : "an NT-family")
            << ", " << sim::wow64::MachineBits() << "-bit machine, the "
            << (arguments.processBits != 0 ? arguments.processBits : sim::wow64::MachineBits()) << "-bit build\n";
  std::cout << image::DescribeShown() << image::DescribeChanges(fresh, before, after);
  std::cout << "Exit code: " << image::LastExitCode() << "\n";
  std::vector<std::string> logLines;
  if (image::RunLogLines(&logLines)) {
    std::cout << "The run's log:\n";
    for (const std::string& line : logLines) std::cout << "  " << line << "\n";
  }
}

void PrintBuildDifferences(const std::vector<std::string>& differences) {
  std::cout << "The 32-bit build against the 64-bit build on a 64-bit machine: "
            << (differences.empty() ? "the same end\n" : "they differ (- 64-bit, + 32-bit)\n");
  for (const std::string& line : differences) std::cout << "  " << line << "\n";
}

// Runs the program on the laid-out machine and holds it to the folder's
// expect file, when there is one.
int RunScenario(const Arguments& arguments, const image::MachineSnapshot& fresh,
                const std::vector<std::string>& buildDifferences) {
  const std::filesystem::path expectPath = std::filesystem::path(arguments.folder) / "expect";
  std::string expectText;
  const bool haveExpect = ReadText(expectPath, &expectText);
  if (arguments.check && !haveExpect) {
    std::cerr << "drvuninst-sim: --check needs " << expectPath.string() << "\n";
    return 2;
  }

  const image::MachineSnapshot before = image::CaptureMachine();
  image::RunProgram(arguments.processBits);
  const image::MachineSnapshot after = image::CaptureMachine();
  if (!arguments.shownPath.empty() && !WriteText(arguments.shownPath, harness::ShownRecord())) {
    std::cerr << "drvuninst-sim: cannot write " << arguments.shownPath << "\n";
    return 2;
  }
  PrintRun(arguments, fresh, before, after);
  if (arguments.compareBuilds) PrintBuildDifferences(buildDifferences);

  const int comparedExit = buildDifferences.empty() ? 0 : 1;
  const harness::ExpectFile expect = harness::ParseExpect(haveExpect ? expectText : "");
  std::vector<std::string> failures = harness::CheckExpectations(expect);
  const std::set<std::string> scheduled = sim::ScheduledDeletions();
  if (!scheduled.empty()) {
    std::cout << "Deleted at the next restart:\n";
    for (const std::string& path : scheduled) std::cout << "  " << path << "\n";
  }
  if (arguments.restartFirst) sim::Restart();
  if (!arguments.probeQuestions.empty() && !AnswerProbe(arguments.probeQuestions, arguments.probeAnswers)) return 2;
  if (expect.restart && !arguments.restartFirst) sim::Restart();
  if (expect.restart || arguments.restartFirst) std::cout << "The machine restarted.\n";
  for (const std::string& failure : harness::CheckAfterRestart(expect)) failures.push_back(failure);
  if (!haveExpect) return comparedExit;
  if (failures.empty()) {
    std::cout << "Expectations: all held\n";
    return comparedExit;
  }
  std::cout << "Expectations: " << failures.size() << " failed\n";
  for (const std::string& failure : failures) std::cout << "  FAIL " << failure << "\n";
  return 1;
}

// Lays the folder's machine (after a look at the fresh one it stands on)
// and runs the mode asked for on it.
int RunFolder(const Arguments& arguments) {
  std::vector<std::string> buildDifferences;
  if (arguments.compareBuilds) {
    std::vector<std::string> errors;
    const bool compared = harness::CompareBuilds(arguments.folder, &buildDifferences, &errors);
    for (const std::string& error : errors) std::cerr << "drvuninst-sim: " << error << "\n";
    if (!compared) return 2;
  }

  harness::LoadFreshMachine(arguments.folder);
  const image::MachineSnapshot fresh = image::CaptureMachine();
  std::vector<std::string> errors;
  const bool loaded = harness::LoadMachineImage(arguments.folder, &errors);
  for (const std::string& error : errors) std::cerr << "drvuninst-sim: " << error << "\n";
  if (!loaded && std::filesystem::is_regular_file(arguments.folder)) {
    std::cerr << "drvuninst-sim: " << arguments.folder << " is a file; a profile is checked with --check-profile\n";
  }
  if (!loaded) return 2;
  if (arguments.machineBits != 0) sim::wow64::SetMachineBits(arguments.machineBits);
  if (arguments.processBits == 64 && sim::wow64::MachineBits() != 64) {
    std::cerr << "drvuninst-sim: the 64-bit build does not run on a 32-bit machine\n";
    return 2;
  }
  if (arguments.preview) return Preview(arguments);
  return RunScenario(arguments, fresh, buildDifferences);
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  switch (simtool::ParseArguments(argc, argv, &arguments)) {
    case simtool::ParseResult::kHelp:
      std::cout << simtool::kUsage;
      return 0;
    case simtool::ParseResult::kBad:
      std::cerr << simtool::kUsage;
      return 2;
    case simtool::ParseResult::kRun:
      break;
  }
  if (!arguments.profile.empty()) return CheckProfile(arguments.profile);
  return RunFolder(arguments);
}
