// DrvUninstPreview.exe: what DrvUninst.exe would do on this PC, told without
// changing anything, and the profile check. The uninstaller's own code runs
// on the simulated machine, filled from this PC by read-only calls.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

#include "platform/sim/machine.h"
#include "preview/MachineReader.h"
#include "preview/NamedFiles.h"
#include "preview/Preview.h"
#include "preview/ProfileCheck.h"
#include "preview/ProfileFile.h"
#include "preview/ReportOutput.h"
#include "image/machine_text.h"

namespace {

const char kUsage[] =
    "usage: DrvUninstPreview.exe [PROFILE] [--lists] [--timing]\n"
    "       DrvUninstPreview.exe --check PROFILE\n"
    "\n"
    "Tells what DrvUninst.exe would do on this PC if the user pressed OK: the\n"
    "profile section and texts, the installed check, the device check, every\n"
    "window, process, file, device, registry key and driver package it would\n"
    "remove, and the final message. Nothing on this PC is changed. PROFILE\n"
    "stands in for ZIZURUDO.ini in the Windows directory.\n"
    "--lists  also every key, file and device that would go, one a line\n"
    "--timing also how long reading this PC and the analysis took, on stderr\n"
    "--check  reports, per section, every value the uninstaller cuts, skips or\n"
    "         never reads; exit 0 nothing to report, 3 findings\n"
    "Exit codes: 0 it would remove the package, 1 it would not (not installed,\n"
    "a silent stop), 2 the profile or this PC could not be read, or the report\n"
    "could not be written.\n";

const char kProfileName[] = "ZIZURUDO.ini";

int Fail(const std::string& message) {
  std::fprintf(stderr, "DrvUninstPreview: %s\n", message.c_str());
  return 2;
}

void AddLiveFiles(const std::vector<machine_reader::LiveFile>& live, image::MachineText* machine) {
  for (const machine_reader::LiveFile& file : live) {
    if (!file.exists) continue;
    image::MachineFile copy;
    copy.path = file.path;
    copy.content = file.content;
    copy.directory = file.directory;
    copy.readOnly = file.readOnly;
    copy.inUse = file.inUse;
    copy.loaded = file.loaded;
    machine->files.push_back(copy);
  }
}

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

int Preview(const std::string& profilePath, bool lists, bool timing) {
  const Clock::time_point start = Clock::now();
  machine_reader::LiveMachine live = machine_reader::ReadLiveMachine();
  const std::string path = profilePath.empty() ? live.windowsDirectory + "\\" + kProfileName : profilePath;
  std::string profile;
  std::string reason;
  const preview::ProfileRead read = preview::ReadProfileFile(path, &profile, &reason);
  // Without a profile in the Windows directory the uninstaller runs on its defaults.
  if (read == preview::PROFILE_BAD || (read == preview::PROFILE_MISSING && !profilePath.empty())) return Fail(reason);
  const bool haveProfile = read == preview::PROFILE_READ;

  image::MachineText machine;
  machine.image.version = live.version;
  machine.image.bits = live.bits;
  machine.image.processes = live.processes;
  machine.image.unplugged = live.unplugged;
  for (const machine_reader::Window& window : live.windows) machine.image.windows.push_back({window.title, window.hung});
  machine.image.actions = {"ok", "box-ok"};
  machine.windowsDirectory = live.windowsDirectory;
  machine.registry = live.registry;
  if (haveProfile) machine.files.push_back({kProfileName, profile, false, false, false, false});

  // First the registry and the profile, to learn which files matter; then those files.
  std::vector<std::string> errors;
  image::LayMachineText(machine, &errors);
  AddLiveFiles(machine_reader::ReadLiveFiles(preview::NamedFiles(), live, &live.notReadable), &machine);
  // The maker's keys the profile names, in both views, after the header of the text read first.
  const std::string makerKeys = machine_reader::ReadLiveSoftwareKeys(preview::NamedMakerKeys(), &live.notReadable);
  machine.registry += makerKeys.substr(makerKeys.find("\r\n"));
  errors.clear();
  image::LayMachineText(machine, &errors);
  sim::SetAnsiCodePage(live.codePage);
  for (const std::string& error : errors) live.notReadable.push_back("as read: " + error);
  const long long readMs = MillisecondsSince(start);

  preview::PreviewOptions options;
  options.machineName = "this PC (profile " + (haveProfile ? path : "none: the built-in defaults") + ")";
  options.notReadable = live.notReadable;
  options.notes = live.notes;
  options.laidKeys = live.laidKeys;
  options.lists = lists;
  // DrvUninst.exe of this build: the 32-bit one hands a 64-bit Windows to the program it carries.
  options.processBits = sizeof(void*) == 8 ? 64 : 32;
  std::ostringstream report;
  const Clock::time_point analysis = Clock::now();
  const preview::PreviewStatus status = preview::RunPreview(options, report);
  if (timing) {
    std::fprintf(stderr, "reading this PC: %lld ms; the analysis: %lld ms\n", readMs, MillisecondsSince(analysis));
  }
  return preview::EmitReport(report.str(), status);
}

}  // namespace

int main(int argc, char** argv) {
  std::string profile;
  bool check = false;
  bool lists = false;
  bool timing = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--check") == 0) {
      check = true;
    } else if (std::strcmp(argv[i], "--lists") == 0) {
      lists = true;
    } else if (std::strcmp(argv[i], "--timing") == 0) {
      timing = true;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "/?") == 0) {
      return preview::EmitReport(kUsage, 0);
    } else if (profile.empty() && argv[i][0] != '-') {
      profile = argv[i];
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (check) {
    if (profile.empty()) return Fail("--check needs a profile");
    std::ostringstream report;
    std::ostringstream problems;
    const int status = preview::RunProfileCheck(profile, report, problems);
    if (!problems.str().empty()) return Fail(problems.str().substr(0, problems.str().size() - 1));
    return preview::EmitReport(report.str(), status);
  }
  return Preview(profile, lists, timing);
}
