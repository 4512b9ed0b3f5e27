// fault-sweep: runs a scenario once cleanly, then once for every call site of
// that run and every error the call can really return, with that one call
// failing; each faulted run must end, must not crash, may only do less of
// what the clean run did, and may only show what the clean run showed.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/program_start.h"
#include "platform/sim/restart.h"
#include "platform/sim/wow64.h"
#include "tools/fault-sweep/error_table.h"
#include "tools/fault-sweep/exit_codes.h"
#include "tools/fault-sweep/fault_kind.h"
#include "harness/clean_run_oracle.h"
#include "harness/lower_case_view.h"
#include "harness/named_oracle.h"
#include "harness/scenario_folder.h"
#include "image/run_program.h"
#include "tools/fault-sweep/shown.h"
#include "tools/fault-sweep/sites.h"

namespace {

const char kUsage[] =
    "usage: fault-sweep SCENARIO_DIR [--list] [--max-runs N] [--wow64] [--quiet]\n"
    "Fails every call site of the scenario's clean run in turn, with each error\n"
    "the call can really return, and checks every run against the clean one.\n"
    "--list       only print the call sites\n"
    "--max-runs   run at most N faulted runs, an even sample of all (default 5000)\n"
    "--wow64      the 32-bit build on a 64-bit machine: its hand-over to the\n"
    "             64-bit program it carries is swept too\n"
    "--quiet      runs the program with /quiet and a /log, in place of the\n"
    "             scenario's own command line\n"
    "Every run must end with one of the exit codes the README's table names,\n"
    "and never with a success while something the clean run removed is left.\n"
    "Exit codes: 0 every run held, 1 a run failed, 2 the folder could not be read.\n";

const int kRunawayExit = 3;

struct Run {
  sweep::Site site;
  DWORD error;
};

struct CleanRun {
  // What the profile's oracle already says of the clean run, which the
  // scenario's expectations vouch for: a faulted run is held to the rest.
  std::set<std::string> namedLines;
  harness::LowerCaseView before;
  harness::LowerCaseView after;
  harness::LowerCaseView afterRestart;
  sweep::Shown shown;
  std::vector<sim::CallRecord> log;
};

std::string Describe(const Run& run) {
  char error[16];
  std::snprintf(error, sizeof(error), "%lu", static_cast<unsigned long>(run.error));
  std::string text = run.site.api + "(\"" + run.site.subject + "\"";
  if (run.site.index >= 0) text += ", index " + std::to_string(run.site.index);
  return text + ", call " + std::to_string(run.site.nth) + ") fails with " + error;
}

// 0: the machine's own build; 32: the 32-bit build on a 64-bit machine.
int g_processBits = 0;
// The unattended run a deployment tool starts.
bool g_quiet = false;
const char kQuietArguments[] = "/quiet /log C:\\WINDOWS\\drvuninst-sweep.log";

bool Load(const std::string& folder) {
  std::vector<std::string> errors;
  const bool loaded = harness::LoadMachineImage(folder, &errors);
  for (const std::string& error : errors) std::cerr << "fault-sweep: " << error << "\n";
  if (g_processBits == 32) sim::wow64::SetMachineBits(64);
  if (g_quiet) sim::programs::SetStartArguments(kQuietArguments);
  return loaded;
}

// The profile's oracle knows devnodes under CurrentControlSet\Enum only; a
// 9x machine keeps them under HKLM\Enum, where removing a device also takes
// its emptied bus and device keys, as the clean run did below this one.
bool EmptiedDevnodeParent(const std::string& line, const CleanRun& clean) {
  const std::string prefix = "key deleted: ";
  if (line.compare(0, prefix.size(), prefix) != 0) return false;
  const std::string key = sim::ToLower(line.substr(prefix.size()));
  if (key.compare(0, 9, "hklm\\enum") != 0) return false;
  for (const std::string& was : clean.before.keys) {
    if (was.compare(0, key.size() + 1, key + "\\") == 0 && !clean.after.keys.count(was)) return true;
  }
  return false;
}

// A failed close leaves its handle open, and the file it holds with it: the
// carried program then stays in the temporary folder. That is the call's doing.
bool KeptByAFailedClose(const std::string& line, const Run& run) {
  if (run.site.api != "CloseHandle") return false;
  return sim::ContainsNoCase(line, sim::files::WindowsDirectory() + "\\TEMP\\");
}

void DropTemporaryFolder(harness::LowerCaseView* state) {
  const std::string temp = sim::ToLower(sim::files::WindowsDirectory() + "\\TEMP\\");
  for (auto it = state->files.begin(); it != state->files.end();) {
    it = it->first.compare(0, temp.size(), temp) == 0 ? state->files.erase(it) : std::next(it);
  }
}

void StopRunaway() {
  // Only the child process gets here; nothing of its state is needed.
  _exit(kRunawayExit);
}

// In the child: one faulted run; the lines that failed go to fd.
void FaultedChild(const std::string& folder, const CleanRun& clean, const Run& run, int fd) {
  Load(folder);
  const bool absence = sweep::ReportsAbsence(run.site.api, run.error);
  const bool loadsOtherNames = sweep::DecidesWhatIsNamed(run.site.api, run.site.subject);
  const harness::NamedOracle named(loadsOtherNames, sweep::DecidesFamily(run.site.api));
  sim::ClearCallLog();
  sim::InjectFault(run.site.api, run.error, run.site.subject, run.site.index, run.site.nth);
  sim::SetCallLimit(clean.log.size() * 20 + 10000, StopRunaway);
  const int exitCode = image::RunProgram(g_processBits);
  sim::SetCallLimit(0, nullptr);
  harness::LowerCaseView after = harness::CaptureForCleanRun();
  if (run.site.api == "CloseHandle") DropTemporaryFolder(&after);
  // Every run stays inside what the profile names; a run that only met a
  // failure (nothing missing, nothing else loaded) also inside what the
  // clean run did.
  std::vector<std::string> lines;
  for (const std::string& line : named.Outside()) {
    if (!clean.namedLines.count(line) && !EmptiedDevnodeParent(line, clean) && !KeptByAFailedClose(line, run)) {
      lines.push_back(line);
    }
  }
  if (!absence && !loadsOtherNames && !sweep::LacksThePackageUninstall(run.site.api, run.site.subject)) {
    for (const std::string& line : harness::OutsideCleanRun(clean.before, clean.after, after, clean.shown.leftovers)) {
      lines.push_back(line);
    }
  }
  sweep::FaultedRun faulted;
  faulted.api = run.site.api;
  faulted.absence = absence;
  faulted.loadsOtherNames = loadsOtherNames;
  // Closing the remote-control window comes before the device check.
  harness::LowerCaseView removedOnly = after;
  removedOnly.windows = clean.before.windows;
  faulted.changedMachine = !harness::OutsideCleanRun(clean.before, clean.before, removedOnly).empty();
  for (const std::string& key : clean.before.keys) {
    if (!clean.after.keys.count(key) && after.keys.count(key)) faulted.keptWhatCleanRemoved = true;
  }
  const sweep::Shown shown = sweep::CaptureShown();
  for (const std::string& line : sweep::ShownOutsideCleanRun(clean.shown, shown, faulted)) lines.push_back(line);
  if (g_quiet && (shown.dialog || !shown.boxes.empty())) lines.push_back("shows a window under /quiet");
  // What the next restart does not take away either is left for good.
  sim::Restart();
  // A call that said the thing is missing, or that changed what the profile
  // names, leaves the program nothing it could know to be left.
  std::vector<std::string> left;
  if (!absence && !loadsOtherNames && !sweep::LacksThePackageUninstall(run.site.api, run.site.subject)) {
    left = sweep::LeftOf(clean.before, clean.afterRestart, harness::CaptureForCleanRun());
  }
  for (const std::string& line : sweep::ExitCodeProblems(exitCode, g_quiet, left)) lines.push_back(line);
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
}

// Runs one faulted run in a child process, so a crash or a run that never
// ends is reported instead of ending the sweep. Returns the failed lines.
std::vector<std::string> RunFaulted(const std::string& folder, const CleanRun& clean, const Run& run) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {"cannot create a pipe"};
  std::cout.flush();
  const pid_t child = fork();
  if (child < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return {"cannot fork"};
  }
  if (child == 0) {
    close(pipeFds[0]);
    FaultedChild(folder, clean, run, pipeFds[1]);
    close(pipeFds[1]);
    _exit(0);
  }
  close(pipeFds[1]);
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(pipeFds[0], buffer, sizeof(buffer))) > 0) text.append(buffer, static_cast<size_t>(n));
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (WIFSIGNALED(status)) lines.push_back("crashed with signal " + std::to_string(WTERMSIG(status)));
  if (WIFEXITED(status) && WEXITSTATUS(status) == kRunawayExit) {
    lines.push_back("never ends: over " + std::to_string(clean.log.size() * 20 + 10000) + " calls");
  } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
    lines.push_back("exited with " + std::to_string(WEXITSTATUS(status)));
  }
  return lines;
}

std::vector<Run> AllRuns(const std::vector<sweep::Site>& sites, size_t maxRuns) {
  std::vector<Run> runs;
  for (const sweep::Site& site : sites) {
    for (DWORD error : sweep::ErrorsOf(site.api)) runs.push_back(Run{site, error});
  }
  if (runs.size() <= maxRuns) return runs;
  // An even, repeatable sample across the whole run.
  std::vector<Run> sample;
  for (size_t i = 0; i < maxRuns; ++i) sample.push_back(runs[i * runs.size() / maxRuns]);
  return sample;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  bool list = false;
  size_t maxRuns = 5000;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--list") == 0) {
      list = true;
    } else if (std::strcmp(argv[i], "--max-runs") == 0 && i + 1 < argc) {
      maxRuns = static_cast<size_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (std::strcmp(argv[i], "--wow64") == 0) {
      g_processBits = 32;
    } else if (std::strcmp(argv[i], "--quiet") == 0) {
      g_quiet = true;
    } else if (folder.empty() && argv[i][0] != '-') {
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

  CleanRun clean;
  if (!Load(folder)) return 2;
  clean.before = harness::CaptureForCleanRun();
  const harness::NamedOracle named(false, false);
  sim::ClearCallLog();
  image::RunProgram(g_processBits);
  for (const std::string& line : named.Outside()) clean.namedLines.insert(line);
  clean.after = harness::CaptureForCleanRun();
  clean.shown = sweep::CaptureShown();
  clean.log = sim::CallLog();
  sim::Restart();
  clean.afterRestart = harness::CaptureForCleanRun();

  const std::vector<sweep::Site> sites = sweep::DistinctSites(clean.log);
  const std::vector<Run> runs = AllRuns(sites, maxRuns);
  if (list) {
    for (const Run& run : runs) std::cout << Describe(run) << "\n";
    return 0;
  }

  size_t failed = 0;
  for (const Run& run : runs) {
    const std::vector<std::string> lines = RunFaulted(folder, clean, run);
    if (lines.empty()) continue;
    ++failed;
    std::cout << "FAIL " << Describe(run) << "\n";
    for (const std::string& line : lines) std::cout << "  " << line << "\n";
  }
  for (const std::string& line : clean.namedLines) std::cout << "note: the clean run, by the profile's oracle: " << line << "\n";
  std::cout << folder << ": " << clean.log.size() << " calls, " << sites.size() << " call sites, " << runs.size()
            << " faulted runs, " << failed << " failed\n";
  return failed == 0 ? 0 : 1;
}
