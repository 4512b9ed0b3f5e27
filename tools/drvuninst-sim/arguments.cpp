#include "tools/drvuninst-sim/arguments.h"

#include <cstdlib>
#include <cstring>

namespace simtool {

const char kUsage[] =
    "usage: drvuninst-sim SCENARIO_DIR [--check] [--probe QUESTIONS ANSWERS] [--restart] [--shown FILE]\n"
    "                     [--machine 32|64] [--process 32|64] [--compare-builds]\n"
    "       drvuninst-sim SCENARIO_DIR --preview [--lists]\n"
    "       drvuninst-sim --check-profile PROFILE\n"
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
    "          (done whenever an expect file exists)\n"
    "--check-profile  check the profile PROFILE (a file) instead of running a\n"
    "          folder: every key the uninstaller cuts, skips or never reads, per\n"
    "          section; exit 0 nothing to report, 3 findings, 2 the profile\n"
    "          cannot be read\n"
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

namespace {

bool Is(const char* argument, const char* name) { return std::strcmp(argument, name) == 0; }

bool IsBits(const char* argument) { return Is(argument, "32") || Is(argument, "64"); }

}  // namespace

ParseResult ParseArguments(int argc, char** argv, Arguments* arguments) {
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    const bool hasNext = i + 1 < argc;
    if (Is(argument, "--check")) {
      arguments->check = true;
    } else if (Is(argument, "--check-profile") && hasNext && arguments->profile.empty()) {
      arguments->profile = argv[++i];
    } else if (Is(argument, "--preview")) {
      arguments->preview = true;
    } else if (Is(argument, "--lists")) {
      arguments->lists = true;
    } else if (Is(argument, "--probe") && i + 2 < argc) {
      arguments->probeQuestions = argv[++i];
      arguments->probeAnswers = argv[++i];
    } else if (Is(argument, "--restart")) {
      arguments->restartFirst = true;
    } else if (Is(argument, "--shown") && hasNext) {
      arguments->shownPath = argv[++i];
    } else if ((Is(argument, "--machine") || Is(argument, "--process")) && hasNext && IsBits(argv[i + 1])) {
      (Is(argument, "--machine") ? arguments->machineBits : arguments->processBits) = std::atoi(argv[++i]);
    } else if (Is(argument, "--compare-builds")) {
      arguments->compareBuilds = true;
    } else if (Is(argument, "--help") || Is(argument, "-h")) {
      return ParseResult::kHelp;
    } else if (arguments->folder.empty()) {
      arguments->folder = argument;
    } else {
      return ParseResult::kBad;
    }
  }
  // A profile check runs alone; anything else needs its folder.
  return arguments->profile.empty() != arguments->folder.empty() ? ParseResult::kRun : ParseResult::kBad;
}

}  // namespace simtool
