// The INF collection and both registry clean-ups over class keys of growing
// size.
#include "bench/machine_loop.h"
#include "removal/InfCollection.h"
#include "removal/RegistryNames.h"
#include "removal/Removal.h"

#include "app/DrvUninstApp.h"

namespace {

void BuildNtInstances(int items, Share share) {
  FreshNtMachine();
  AddNtClassInstances(items, share);
}

void CollectInf(benchmark::State& state) {
  InfList list;
  TimeOnFreshMachines(
      state,
      [](int items) {
        BuildNtInstances(items, Share::kFew);
        ChooseClassKey(theApp.m_szMediaClass);
      },
      [&state, &list] {
        CollectInfFiles(&list);
        if (list.count == 0) state.SkipWithError("no INF file was found");
      });
}

void CleanNT(benchmark::State& state, Share share) {
  TimeOnFreshMachines(
      state, [share](int items) { BuildNtInstances(items, share); },
      [&state] {
        CleanRegistryNT();
        if (PackageEntryLeft()) state.SkipWithError("the Uninstall entry stayed");
      });
}

void Clean9x(benchmark::State& state, Share share) {
  TimeOnFreshMachines(
      state,
      [share](int items) {
        Fresh9xMachine();
        Add9xMachineItems(items, share);
      },
      [&state] {
        CleanRegistryWin9x();
        if (PackageEntryLeft()) state.SkipWithError("the Uninstall entry stayed");
      });
}

const bool registered = [] {
  RegisterOnMachineSizes("CollectInfFiles", CollectInf);
  RegisterOnMachineSizes("CleanRegistryNT/few", [](benchmark::State& state) { CleanNT(state, Share::kFew); });
  RegisterOnMachineSizes("CleanRegistryNT/all", [](benchmark::State& state) { CleanNT(state, Share::kAll); });
  RegisterOnMachineSizes("CleanRegistryWin9x/few", [](benchmark::State& state) { Clean9x(state, Share::kFew); });
  RegisterOnMachineSizes("CleanRegistryWin9x/all", [](benchmark::State& state) { Clean9x(state, Share::kAll); });
  return true;
}();

}  // namespace
