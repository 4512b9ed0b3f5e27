// The fuzz target: one whole run of the uninstaller on a machine and a
// profile made from the input, with faults injected, held to the oracle.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/fuzz_codec.h"
#include "fuzz/machine_builder.h"
#include "harness/collateral_oracle.h"
#include "harness/exact_text.h"
#include "harness/named_oracle.h"
#include "image/run_program.h"
#include "image/snapshot.h"
#include "platform/sim/device_store.h"
#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/window_store.h"

namespace {

// Faults that can change what the program loads, or which family it takes.
const char* const kLoadApis[] = {"GetPrivateProfileStringA", "GetPrivateProfileIntA", "GetVersionExA",
                                 "RegOpenKeyA", "RegQueryValueExA", "GetWindowsDirectoryA"};
const char* const kVersionApis[] = {"GetVersionExA"};
const char* const kHandleApis[] = {"SetupDiDestroyDeviceInfoList"};

[[noreturn]] void Fail(const fuzzcase::Case& c, const std::vector<std::string>& problems) {
  std::fprintf(stderr, "\n=== collateral damage on the simulated machine\n");
  for (const std::string& p : problems) std::fprintf(stderr, "  %s\n", p.c_str());
  std::fprintf(stderr, "--- profile\n%s--- end\n", fuzzcase::ProfileText(c).c_str());
  std::abort();
}

// Each run leaves a fresh machine for the next, and frees its own: a run that
// leaves allocations behind makes libFuzzer run it again looking for a leak.
struct FreshMachineAfterRun {
  ~FreshMachineAfterRun() { sim::Reset(); }
};

void BuildCase(const fuzzcase::Case& c) {
  fuzzcase::BuildMachine(c);
  sim::SetCallLogging(false);  // the call log is the fault sweep's; here it only costs
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  sim::Reset();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FreshMachineAfterRun reset;
  fuzzcase::Case c;
  fuzzcase::Reader reader(data, size);
  fuzzcase::Visit(reader, &c);

  BuildCase(c);
  // Kept across runs, so an image costs no allocation once they have grown.
  static std::string before;
  static std::string after;
  harness::TakeExactText(&before);
  const bool uncertain = fuzzcase::HasFaultOn(c, kLoadApis, 6);
  const bool familyUncertain = fuzzcase::HasFaultOn(c, kVersionApis, 1);

  fuzzcase::ArmFaultsAndUser(c);
  image::RunProgram();

  std::vector<std::string> problems;
  if (sim::windows::SendBlockedForever()) problems.push_back("waited for good on a window that does not answer");
  if (sim::registry::OpenHandleCount() != 0) problems.push_back("registry handles left open");
  if (sim::devices::OpenDeviceSets() != 0 && !fuzzcase::HasFaultOn(c, kHandleApis, 1)) {
    problems.push_back("device information sets left open");
  }
  // Most runs change nothing (not installed, cancelled, a count that
  // differs); only a run that changed the machine is held to the oracle, on
  // the machine as it was, built again from the same input.
  harness::TakeExactText(&after);
  if (after != before) {
    const image::MachineSnapshot changed = harness::CaptureForOracle();
    sim::Reset();
    BuildCase(c);
    harness::TakeExactText(&after);
    if (after != before) {
      problems.push_back("the machine built again from the input differs from the first");
    } else {
      const harness::NamedOracle oracle(uncertain, familyUncertain);
      for (std::string& p : oracle.Outside(changed)) problems.push_back(std::move(p));
    }
  }
  if (!problems.empty()) Fail(c, problems);
  return 0;
}
