// The NT device scan and the device removal over machines of growing size.
#include "bench/machine_loop.h"
#include "devices/DeviceScan.h"
#include "platform/sim/device_store.h"

namespace {

void BuildDevices(int items, Share share) {
  FreshNtMachine();
  AddNtDevices(items, share);
}

void ScanDevices(benchmark::State& state) {
  TimeOnFreshMachines(
      state, [](int items) { BuildDevices(items, Share::kFew); },
      [&state] {
        if (ScanDevicesNT() == 0) state.SkipWithError("the package's devices were not found");
      });
}

void RemoveDevices(benchmark::State& state, Share share) {
  TimeOnFreshMachines(
      state, [share](int items) { BuildDevices(items, share); },
      [&state] {
        RemoveMatchedDevices();
        if (sim::devices::RemovalRequests().empty()) state.SkipWithError("no device was removed");
      });
}

const bool registered = [] {
  RegisterOnMachineSizes("ScanDevicesNT", ScanDevices);
  RegisterOnMachineSizes("RemoveMatchedDevices/few", [](benchmark::State& state) { RemoveDevices(state, Share::kFew); });
  RegisterOnMachineSizes("RemoveMatchedDevices/all", [](benchmark::State& state) { RemoveDevices(state, Share::kAll); });
  return true;
}();

}  // namespace
