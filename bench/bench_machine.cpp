#include "bench/bench_machine.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/DrvUninstApp.h"
#include "platform/sim/device_store.h"
#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"
#include "platform/win32.h"
#include "image/run_program.h"

namespace {

const char kUninstallEntry[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BenchTuner";
const char kNtMediaClass[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}";
const char k9xMediaClass[] = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Class\\MEDIA";

// The package's devices, as the profile below names them.
const char* const kPackageDevices[] = {
    "PCI\\VEN_1234&DEV_0001&SUBSYS_00011234",
    "PCI\\VEN_1234&DEV_0002&SUBSYS_00021234",
    "STREAM\\BT1234.AUDIO",
    "PCI\\VEN_1234&DEV_0001&SUBSYS_00031234",
};
const int kPackageDeviceCount = sizeof(kPackageDevices) / sizeof(kPackageDevices[0]);

// Descriptions the removal deletes as a whole; the INF collection also takes
// them as prefixes.
const char* const kPackageDescriptions[] = {"Bench Tuner", "Bench Tuner Pro", "Bench Tuner Audio"};
const int kPackageDescriptionCount = sizeof(kPackageDescriptions) / sizeof(kPackageDescriptions[0]);

// Device classes seen on a common machine, so the listing is not all media.
const char* const kClassGuids[] = {
    "{4d36e96c-e325-11ce-bfc1-08002be10318}",
    "{4d36e972-e325-11ce-bfc1-08002be10318}",
    "{4d36e97d-e325-11ce-bfc1-08002be10318}",
    "{4d36e968-e325-11ce-bfc1-08002be10318}",
};

const char* const kBuses[] = {"PCI", "USB", "ACPI", "ROOT", "HDAUDIO"};

void Fill(DRVENTRY* entry, const char* id, const char* name, const char* sys, const char* inf) {
  lstrcpynA(entry->szDrvID, id, DRV_FIELD_SIZE);
  lstrcpynA(entry->szDrvName, name, DRV_FIELD_SIZE);
  lstrcpynA(entry->szDrvSYS, sys, DRV_FIELD_SIZE);
  lstrcpynA(entry->szDrvINF, inf, DRV_FIELD_SIZE);
}

// Two primary entries, a variant of the second, an extension and its
// variant, two services and the Uninstall entry.
void PackageProfile() {
  theApp.m_nDevIDNum = 2;
  Fill(&theApp.m_DevDrv[0], "PCI\\VEN_1234&DEV_0001", "Bench Tuner", "btuner.sys", "btuner.inf");
  Fill(&theApp.m_DevDrv[1], "PCI\\VEN_1234&DEV_0002", "Bench Tuner Pro", "btunerp.sys", "btunerp.inf");
  theApp.m_nPossibleDevIDNum = 1;
  Fill(&theApp.m_PossibleDevDrv[0], "PCI\\VEN_1234&DEV_0002&SUBSYS_00021234", "Bench Tuner Pro", "btunerp2.sys",
       "btunerp2.inf");
  theApp.m_nExtDevIDNum = 1;
  Fill(&theApp.m_ExtDevDrv[0], "STREAM\\BT1234.AUDIO", "Bench Tuner Audio", "btaudio.sys", "btaudio.inf");
  theApp.m_nPossibleExtDevIDNum = 1;
  Fill(&theApp.m_PossibleExtDevDrv[0], "STREAM\\BT1234.AUDIO2", "Bench Tuner Audio 2", "btaudio2.sys",
       "btaudio2.inf");
  theApp.m_nUnInstServiceNum = 2;
  lstrcpynA(theApp.m_szUnInstService[0], "btuner", TEXT_SIZE);
  lstrcpynA(theApp.m_szUnInstService[1], "btaudio", TEXT_SIZE);
  lstrcpynA(theApp.m_szDrvUninstRegKeyPath, "BenchTuner", DRV_FIELD_SIZE);
  lstrcpynA(theApp.m_szMediaClass, "Yes", DRV_FIELD_SIZE);
}

// What every installed package leaves besides its devices.
void PackageKeys() {
  sim::registry::SetString(kUninstallEntry, "DisplayName", "Bench Tuner");
  for (const char* service : {"btuner", "btaudio", "Tcpip", "Dhcp", "EventLog"}) {
    sim::registry::SetDword(std::string("HKLM\\SYSTEM\\CurrentControlSet\\Services\\") + service, "Start", 3);
  }
}

// Spreads the package's few items evenly over the machine.
bool IsPackageSlot(int index, int count, Share share, int few) {
  if (share == Share::kAll) return true;
  const int stride = count / few;
  return stride > 0 && index % stride == 0 && index / stride < few;
}

std::string Format(const char* format, int a, int b = 0) {
  char text[128];
  std::snprintf(text, sizeof(text), format, a, b);
  return text;
}

// An unrelated device: its own device key under one of the buses.
void AddUnrelatedDevice(int index) {
  const std::string bus = kBuses[index % 5];
  const std::string device = Format("VEN_%04X&DEV_%04X", 0xA000 + (index >> 16), index & 0xFFFF);
  const std::string id = bus + "\\" + device;
  sim::devices::AddDevice(id + "\\" + Format("4&%08X&0&00", index), {id + "&REV_01", id},
                          kClassGuids[index % 4]);
}

void AddInstance(const char* classKey, int index, const std::string& description) {
  const std::string path = std::string(classKey) + "\\" + Format("%04d", index);
  sim::registry::SetString(path, "DriverDesc", description);
  sim::registry::SetString(path, "InfPath", Format("oem%d.inf", index));
  sim::registry::SetString(path, "MatchingDeviceId", Format("pci\\ven_a000&dev_%04x", index & 0xFFFF));
}

std::string InstanceDescription(int index, int count, Share share) {
  if (IsPackageSlot(index, count, share, kPackageDescriptionCount)) {
    return kPackageDescriptions[index % kPackageDescriptionCount];
  }
  return Format("Unrelated Media Device %d", index);
}

void FreshMachine(const char* version) {
  sim::Reset();
  sim::SetCallLogging(false);
  sim::SetVersion(version);
  image::ResetProgramState();
  PackageProfile();
  PackageKeys();
}

}  // namespace

void RegisterOnMachineSizes(const std::string& name, const std::function<void(benchmark::State&)>& run) {
  struct Size {
    int items;
    int runs;
  };
  // Building the largest machine takes seconds; a few runs of it suffice.
  for (const Size size : {Size{100, 100}, Size{1000, 30}, Size{10000, 10}, Size{100000, 3}}) {
    benchmark::RegisterBenchmark(name.c_str(), run)
        ->ArgName("items")
        ->Arg(size.items)
        ->Iterations(size.runs)
        ->Unit(benchmark::kMicrosecond);
  }
}

void FreshNtMachine() { FreshMachine("win7"); }
void Fresh9xMachine() { FreshMachine("win98"); }

void AddNtDevices(int count, Share share) {
  int package = 0;
  for (int i = 0; i < count; ++i) {
    if (!IsPackageSlot(i, count, share, kPackageDeviceCount)) {
      AddUnrelatedDevice(i);
      continue;
    }
    const std::string id = kPackageDevices[package++ % kPackageDeviceCount];
    sim::devices::AddDevice(id + "\\" + Format("5&%08X&0&%02X", i, package), {id});
  }
}

void AddNtClassInstances(int count, Share share) {
  for (int i = 0; i < count; ++i) AddInstance(kNtMediaClass, i, InstanceDescription(i, count, share));
}

void Add9xMachineItems(int count, Share share) {
  for (int i = 0; i < count; ++i) {
    AddInstance(k9xMediaClass, i, InstanceDescription(i, count, share));
    const std::string device = Format("VEN_%04X&DEV_%04X", 0xA000 + (i >> 16), i & 0xFFFF);
    const std::string bus = i % 2 == 0 ? "PCI" : "USB";
    sim::registry::SetString("HKLM\\Enum\\" + bus + "\\" + device + "\\BUS_00&DEV_00&FUNC_00", "HardwareID",
                             bus + "\\" + device);
  }
  // The enumeration keys the 9x device scan names for the package.
  sim::registry::SetString("HKLM\\Enum\\PCI\\VEN_1234&DEV_0001\\BUS_01&DEV_00&FUNC_00", "HardwareID",
                           "PCI\\VEN_1234&DEV_0001");
  sim::registry::SetString("HKLM\\Enum\\STREAM\\BT1234.AUDIO\\0000", "HardwareID", "STREAM\\BT1234.AUDIO");
  g_strVenID[0] = "VEN_1234&DEV_0001";
  g_nVenIDNum = 1;
  g_strCxID[0] = "BT1234.AUDIO";
  g_nCxIDNum = 1;
}

bool PackageEntryLeft() { return sim::registry::Exists(kUninstallEntry); }

void EvictCaches() {
  // Twice the largest last-level cache of the machines this runs on.
  static std::vector<char> other(64 << 20);
  for (size_t i = 0; i < other.size(); i += 64) other[i] = static_cast<char>(other[i] + 1);
  benchmark::ClobberMemory();
}

void ReportPerItem(benchmark::State& state, int64_t items) {
  state.SetItemsProcessed(state.iterations() * items);
  state.counters["per_item"] =
      benchmark::Counter(static_cast<double>(items),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
