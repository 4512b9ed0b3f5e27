// drvuninst-sim: runs the uninstaller on a machine image (a scenario folder)
// on the simulated machine and tells what it showed, removed and kept.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/restart.h"
#include "platform/sim/wow64.h"
#include "preview/Preview.h"
#include "preview/ProfileCheck.h"
#include "preview/ReportOutput.h"
#include "harness/compare_builds.h"
#include "harness/expectations.h"
#include "harness/scenario_folder.h"
#include "harness/probe_answers.h"
#include "image/report.h"
#include "image/run_program.h"
#include "image/snapshot.h"

namespace {

const char kUsage[] =
    "usage: drvuninst-sim SCENARIO_DIR [--check] [--probe QUESTIONS ANSWERS] [--restart] [--shown FILE]\n"
    "                     [--machine 32|64] [--process 32|64] [--compare-builds]\n"
    "       drvuninst-sim SCENARIO_DIR --preview [--lists]\n"
    "       drvuninst-sim --check PROFILE\n"
    "\n"
    "Runs DrvUninst on a simulated Windows machine laid out from SCENARIO_DIR and\n"
    "prints what it showed (dialog, status lines, progress, message boxes) and what\n"
    "it removed, changed, kept and left alone (registry keys, files, devices,\n"
    "processes, windows).\n"
    "\n"
    "SCENARIO_DIR holds (see tests/scenarios/README.md):\n"
    "  machine.ini   Windows version, read-only files, running processes, open\n"
    "                windows, files in use, and what the user does (ok, esc,\n"
    "                close, box-ok)\n"
    "  registry.reg  a regedit export (REGEDIT4 or Version 5.00, UTF-16 accepted)\n"
    "  windows/      files of the Windows directory, the profile ZIZURUDO.ini among them\n"
    "  expect        what must hold afterwards\n"
    "\n"
    "A vendor can preview what a profile does to a real PC: export the machine's\n"
    "registry with regedit (HKLM\\SYSTEM\\CurrentControlSet\\Enum, the Uninstall and\n"
    "Services keys, HKCU\\Control Panel\\International), copy the package's files\n"
    "and the profile under windows/, write machine.ini with \"actions=ok box-ok\",\n"
    "and run this tool on the folder. Nothing on the real machine is touched.\n"
    "\n"
    "--check   also check the folder's expect file; exit 1 when a line fails\n"
    "          (done whenever an expect file exists). Given a PROFILE (a file,\n"
    "          not a folder) it checks the profile instead: every key the\n"
    "          uninstaller cuts, skips or never reads, per section; exit 0\n"
    "          nothing to report, 3 findings, 2 the profile cannot be read\n"
    "--preview tell what DrvUninst would do on the folder's machine with a user\n"
    "          who presses OK, as DrvUninstPreview.exe tells it for a real PC;\n"
    "          exit 0 it would remove the package, 1 it would not (not installed,\n"
    "          a silent stop), 2 the folder cannot be read. --lists adds every\n"
    "          key, file and device that would go, one a line\n"
    "--probe   answer the Wine runner's probe questions (KIND<tab>ARGUMENT lines)\n"
    "          on the machine as the program left it, as its probe.exe would\n"
    "--restart restart the machine after the run (as an expect file's \"restart\"\n"
    "          line does): programs end, files scheduled for the restart go;\n"
    "          --probe then answers on the restarted machine\n"
    "--shown   write every text, progress message and box the program showed,\n"
    "          in the lines the Wine runs record\n"
    "--machine a 32-bit or a 64-bit Windows, whatever machine.ini says\n"
    "--process run the 32-bit or the 64-bit build (default: the machine's own);\n"
    "          the 32-bit one on a 64-bit machine hands the run to the 64-bit\n"
    "          program it carries\n"
    "--compare-builds  also run the folder on a 64-bit machine with each build\n"
    "          and exit 1 when the 32-bit one does not end exactly as the 64-bit one\n"
    "Exit codes: 0 ran (and every expectation held), 1 an expectation failed,\n"
    "2 the folder could not be read.\n";

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

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  bool check = false;
  bool preview = false;
  bool lists = false;
  std::string probeQuestions;
  std::string probeAnswers;
  std::string shownPath;
  bool restartFirst = false;
  int machineBits = 0;
  int processBits = 0;
  bool compareBuilds = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--check") == 0) {
      check = true;
    } else if (std::strcmp(argv[i], "--preview") == 0) {
      preview = true;
    } else if (std::strcmp(argv[i], "--lists") == 0) {
      lists = true;
    } else if (std::strcmp(argv[i], "--probe") == 0 && i + 2 < argc) {
      probeQuestions = argv[++i];
      probeAnswers = argv[++i];
    } else if (std::strcmp(argv[i], "--restart") == 0) {
      restartFirst = true;
    } else if (std::strcmp(argv[i], "--shown") == 0 && i + 1 < argc) {
      shownPath = argv[++i];
    } else if ((std::strcmp(argv[i], "--machine") == 0 || std::strcmp(argv[i], "--process") == 0) && i + 1 < argc &&
               (std::strcmp(argv[i + 1], "32") == 0 || std::strcmp(argv[i + 1], "64") == 0)) {
      (argv[i][2] == 'm' ? machineBits : processBits) = std::atoi(argv[i + 1]);
      ++i;
    } else if (std::strcmp(argv[i], "--compare-builds") == 0) {
      compareBuilds = true;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << kUsage;
      return 0;
    } else if (folder.empty()) {
      folder = argv[i];
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (folder.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  if (check && !std::filesystem::is_directory(folder)) {
    std::ostringstream report;
    const int status = preview::RunProfileCheck(folder, report, std::cerr);
    return preview::EmitReport(report.str(), status);
  }

  std::vector<std::string> buildDifferences;
  if (compareBuilds) {
    std::vector<std::string> errors;
    const bool compared = harness::CompareBuilds(folder, &buildDifferences, &errors);
    for (const std::string& error : errors) std::cerr << "drvuninst-sim: " << error << "\n";
    if (!compared) return 2;
  }

  harness::LoadFreshMachine(folder);
  const image::MachineSnapshot fresh = image::CaptureMachine();
  std::vector<std::string> errors;
  const bool loaded = harness::LoadMachineImage(folder, &errors);
  for (const std::string& error : errors) std::cerr << "drvuninst-sim: " << error << "\n";
  if (!loaded) return 2;
  if (machineBits != 0) sim::wow64::SetMachineBits(machineBits);
  if (processBits == 64 && sim::wow64::MachineBits() != 64) {
    std::cerr << "drvuninst-sim: the 64-bit build does not run on a 32-bit machine\n";
    return 2;
  }
  if (preview) {
    preview::PreviewOptions options;
    options.machineName = folder;
    options.lists = lists;
    options.processBits = processBits;
    std::ostringstream report;
    const int status = preview::RunPreview(options, report);
    return preview::EmitReport(report.str(), status);
  }

  const std::filesystem::path expectPath = std::filesystem::path(folder) / "expect";
  std::string expectText;
  const bool haveExpect = ReadText(expectPath, &expectText);
  if (check && !haveExpect) {
    std::cerr << "drvuninst-sim: --check needs " << expectPath.string() << "\n";
    return 2;
  }

  const image::MachineSnapshot before = image::CaptureMachine();
  image::RunProgram(processBits);
  const image::MachineSnapshot after = image::CaptureMachine();
  if (!shownPath.empty() && !WriteText(shownPath, harness::ShownRecord())) {
    std::cerr << "drvuninst-sim: cannot write " << shownPath << "\n";
    return 2;
  }

  std::cout << "Scenario " << folder << " on " << (sim::IsWin9xFamily() ? "a 9x-family" : "an NT-family") << ", "
            << sim::wow64::MachineBits() << "-bit machine, the "
            << (processBits != 0 ? processBits : sim::wow64::MachineBits()) << "-bit build\n";
  std::cout << image::DescribeShown() << image::DescribeChanges(fresh, before, after);
  std::cout << "Exit code: " << image::LastExitCode() << "\n";
  std::vector<std::string> logLines;
  if (image::RunLogLines(&logLines)) {
    std::cout << "The run's log:\n";
    for (const std::string& line : logLines) std::cout << "  " << line << "\n";
  }

  if (compareBuilds) {
    std::cout << "The 32-bit build against the 64-bit build on a 64-bit machine: "
              << (buildDifferences.empty() ? "the same end\n" : "they differ (- 64-bit, + 32-bit)\n");
    for (const std::string& line : buildDifferences) std::cout << "  " << line << "\n";
  }
  const int comparedExit = buildDifferences.empty() ? 0 : 1;
  const harness::ExpectFile expect = harness::ParseExpect(haveExpect ? expectText : "");
  std::vector<std::string> failures = harness::CheckExpectations(expect);
  const std::set<std::string> scheduled = sim::ScheduledDeletions();
  if (!scheduled.empty()) {
    std::cout << "Deleted at the next restart:\n";
    for (const std::string& path : scheduled) std::cout << "  " << path << "\n";
  }
  if (restartFirst) sim::Restart();
  if (!probeQuestions.empty() && !AnswerProbe(probeQuestions, probeAnswers)) return 2;
  if (expect.restart && !restartFirst) sim::Restart();
  if (expect.restart || restartFirst) std::cout << "The machine restarted.\n";
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
