// The preview's analysis (a copy of the machine looked at, the uninstaller
// run on it, the report written) over machines of growing size: present
// devices and as many media-class instances.
#include <sstream>

#include "bench/machine_loop.h"
#include "platform/sim/file_store.h"
#include "preview/Preview.h"

namespace {

// The benchmarks' package, as a profile file: the preview loads it itself.
// Two of the machine's package devices match the first entry, so three
// matches let the removal go on.
const char kProfile[] =
    "[1]\n"
    "UnInstDrvAppTitle=Bench Tuner Uninstallation\n"
    "DrvUninstRegKeyName=Bench Tuner\n"
    "DrvUninstRegKeyPath=BenchTuner\n"
    "DevIDNum=3\n"
    "DevDrvID0=PCI\\VEN_1234&DEV_0001\nDevDrvName0=Bench Tuner\nDevDrvSYS0=btuner.sys\nDevDrvINF0=btuner.inf\n"
    "DevDrvID1=PCI\\VEN_1234&DEV_0002\nDevDrvName1=Bench Tuner Pro\nDevDrvSYS1=btunerp.sys\nDevDrvINF1=btunerp.inf\n"
    "PossibleDevIDNum=1\n"
    "PossibleDevID0=PCI\\VEN_1234&DEV_0002&SUBSYS_00021234\nPossibleDevDrvName0=Bench Tuner Pro\n"
    "PossibleDevDrvSYS0=btunerp2.sys\nPossibleDevInf0=btunerp2.inf\n"
    "ExtDevIDNum=1\n"
    "ExtDevDrvID0=STREAM\\BT1234.AUDIO\nExtDevDrvName0=Bench Tuner Audio\nExtDevDrvSYS0=btaudio.sys\n"
    "ExtDevDrvINF0=btaudio.inf\n"
    "UnInstServiceNum=2\nUnInstService0=btuner\nUnInstService1=btaudio\n";

void PreviewMachine(benchmark::State& state) {
  TimeOnFreshMachines(
      state,
      [](int items) {
        FreshNtMachine();
        AddNtDevices(items, Share::kFew);
        AddNtClassInstances(items, Share::kFew);
        sim::files::Write("ZIZURUDO.ini", kProfile);
      },
      [&state] {
        std::ostringstream report;
        preview::PreviewOptions options;
        options.machineName = "a benchmark machine";
        if (preview::RunPreview(options, report) != preview::PREVIEW_WOULD_REMOVE) {
          state.SkipWithError("the preview did not find the package removed");
        }
      });
}

const bool registered = [] {
  RegisterOnMachineSizes("Preview", PreviewMachine);
  return true;
}();

}  // namespace
