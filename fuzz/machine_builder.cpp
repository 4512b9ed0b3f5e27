#include "fuzz/machine_builder.h"

#include <cstring>
#include <vector>

#include "fuzz/fuzz_pools.h"
#include "platform/sim/device_store.h"
#include "platform/sim/driver_store.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/window_store.h"

namespace fuzzcase {
namespace {

const char kNtMedia[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}";
const char kNtImaging[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";
const char kNtKeyboard[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96B-E325-11CE-BFC1-08002BE10318}";
const char k9xMedia[] = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Class\\MEDIA";
const char kUninstall[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kServices[] = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\";
const char kMediaGuid[] = "{4d36e96c-e325-11ce-bfc1-08002be10318}";

std::string CountryText(const Case& c) {
  switch (c.country) {
    case 0:
      return "1";
    case 1:
      return "49";
    case 2:
      return "886";
    default:
      return c.countryText;
  }
}

std::string SectionName(const ProfileLine& line) {
  switch (line.pick % 6) {
    case 0:
      return "1";
    case 1:
      return "49";
    case 2:
      return "886";
    case 3:
      return " 1 ";
    default:
      return Resolve(line.value);
  }
}

void SetText(const std::string& key, const char* name, const std::string& text) {
  std::vector<BYTE> data;
  data.reserve(text.size() + 1);
  data.assign(text.begin(), text.end());
  data.push_back(0);
  sim::registry::SetValue(key, name, REG_SZ, data);
}

// Names that would be the parent itself are left out: the machine has no
// key without a name.
bool UsableKeyName(const std::string& name) {
  for (char c : name) {
    if (c != '\\') return true;
  }
  return false;
}

void AddBaseline() {
  SetText(std::string(kServices) + "Disk", "ImagePath", "System32\\drivers\\disk.sys");
  SetText(std::string(kNtMedia), "Class", "MEDIA");
  SetText(std::string(kNtMedia) + "\\0099", "DriverDesc", "Other Vendor Sound");
  SetText(std::string(kNtMedia) + "\\0099", "InfPath", "wdma_other.inf");
  SetText(std::string(kNtImaging), "Class", "Image");
  SetText(std::string(k9xMedia), "Class", "MEDIA");
  SetText(std::string(kUninstall) + "OtherProgram", "DisplayName", "Other Program");
  const std::string legacy = std::string(sim::devices::EnumRoot()) + "\\ROOT\\LEGACY_BEEP\\0000";
  sim::registry::SetMultiString(legacy, "HardwareID", {"ROOT\\LEGACY_BEEP"});
  SetText(legacy, "ClassGUID", "{8ecc055d-047f-11d1-a537-0000f8753ed1}");
  sim::files::Write("inf\\machine.inf", "x");
  sim::files::Write("inf\\machine.pnf", "x");
  sim::files::Write("system32\\drivers\\disk.sys", "x");
  sim::files::Write("system32\\kernel32.dll", "x");
  sim::files::Write("system\\vmm.vxd", "x");
  sim::files::Write("explorer.exe", "x");
  sim::processes::Start("explorer.exe");
  sim::windows::AddForeignWindow(sim::windows::ForeignWindow{"Untitled - Notepad", "Notepad", false, true});
}

void SetBytes(const std::string& key, const char* name, DWORD type, const std::string& bytes) {
  sim::registry::SetValue(key, name, type, std::vector<BYTE>(bytes.begin(), bytes.end()));
}

// A filter the device names itself, beside another one or alone, in the
// forms setups write.
void AddDeviceFilter(const std::string& key, const Device& d) {
  const std::string name = Resolve(d.filterName);
  if (d.filterForm == 1) SetBytes(key, "UpperFilters", REG_MULTI_SZ, "partmgr" + std::string(1, '\0') + name + std::string(2, '\0'));
  if (d.filterForm == 2) SetBytes(key, "LowerFilters", REG_SZ, name + std::string(1, '\0'));
  if (d.filterForm == 3) SetBytes(key, "UpperFilters", REG_EXPAND_SZ, name + std::string(1, '\0'));
}

// Another model installed from the INF one of the case's class instances
// names: a driver key of its own, described alike or the same.
void BindToAnInstancesInf(const std::string& key, const Device& d, const std::vector<ClassInstance>& instances,
                          int number) {
  if (instances.empty()) return;
  const ClassInstance& from = instances[static_cast<size_t>(number) % instances.size()];
  char name[8];
  std::snprintf(name, sizeof(name), "%04d", 50 + number);
  const std::string driverKey = std::string(kNtMedia) + "\\" + name;
  SetText(driverKey, "DriverDesc", from.hasDesc ? Resolve(from.desc) + (d.instance % 2 ? " Pro" : "") : "Other Model");
  if (from.hasInf) SetText(driverKey, "InfPath", Resolve(from.inf));
  SetText(key, "Driver", std::string(kMediaGuid) + "\\" + name);
}

void AddDevice(const Device& d, const std::vector<ClassInstance>& instances, int number) {
  static const char* const kBuses[] = {"PCI", "USB", "STREAM", "ROOT", "pci", "HDAUDIO"};
  static const char* const kInstances[] = {"0000", "3&11583659&0&08", "4&2A&0", "1"};
  std::vector<std::string> ids;
  for (const Text& t : d.ids) ids.push_back(Resolve(t));
  std::string name;
  if (d.nameKind == 0) {
    const std::string first = ids.empty() ? "" : ids[0];
    const size_t slash = first.find('\\');
    name = slash == std::string::npos ? "" : first.substr(slash + 1);
  } else {
    name = Resolve(d.name);
  }
  if (!UsableKeyName(name)) name = "DEV_0000";
  const std::string instanceId = std::string(kBuses[d.bus % 6]) + "\\" + name + "\\" + kInstances[d.instance % 4];
  const std::string key = std::string(sim::devices::EnumRoot()) + "\\" + instanceId;
  sim::registry::Create(key);
  if (d.unplugged) sim::devices::SetPluggedIn(instanceId, false);
  AddDeviceFilter(key, d);
  if (!ids.empty()) {
    std::vector<BYTE> multi;
    for (const std::string& id : ids) {
      multi.insert(multi.end(), id.begin(), id.end());
      multi.push_back(0);
    }
    multi.push_back(0);
    sim::registry::SetValue(key, "HardwareID", REG_MULTI_SZ, multi);
  }
  static const char* const kGuids[] = {kMediaGuid, "{6bdd1fc6-810f-11d0-bec7-08002be2092f}",
                                       "{4d36e96b-e325-11ce-bfc1-08002be10318}"};
  if (d.classGuid < 3) SetText(key, "ClassGUID", kGuids[d.classGuid]);
  if (d.classGuid == 4) SetText(key, "ClassGUID", "notaguid");
  if (d.driver >= 1 && d.driver <= 3) SetText(key, "Driver", std::string(kMediaGuid) + "\\000" + char('0' + d.driver - 1));
  if (d.driver == 4) SetText(key, "Driver", kMediaGuid);
  if (d.driver == 5) SetText(key, "Driver", std::string(kMediaGuid) + "\\");
  if (d.driver == 6) BindToAnInstancesInf(key, d, instances, number);
}

void AddInstance(const ClassInstance& k) {
  static const char* const kClasses[] = {kNtMedia, kNtImaging, k9xMedia, kNtKeyboard};
  char name[8];
  std::snprintf(name, sizeof(name), "%04d", k.subkey);
  const std::string key = std::string(kClasses[k.classKey % 4]) + "\\" + name;
  sim::registry::Create(key);
  if (k.hasDesc) SetText(key, "DriverDesc", Resolve(k.desc));
  if (k.hasInf) SetText(key, "InfPath", Resolve(k.inf));
  if (k.subkey % 2) SetText(key + "\\Settings", "Tuner", "1");
}

void AddFilter(const Filter& f) {
  static const char* const kClasses[] = {kNtMedia, kNtImaging, kNtKeyboard,
                                         "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
                                         "{4D36E967-E325-11CE-BFC1-08002BE10318}"};
  std::string data;
  for (const Text& t : f.names) data += Resolve(t) + std::string(1, '\0');
  DWORD type = REG_MULTI_SZ;
  if (f.form == 0 || f.form == 3) data += std::string(1, '\0');
  if (f.form == 1 && !data.empty()) data.pop_back();
  if (f.form == 2) type = REG_SZ;
  if (f.form == 3) data += std::string("LumexFlt\0\0", 10);
  sim::registry::SetValue(kClasses[f.classKey % 4], f.lower ? "LowerFilters" : "UpperFilters", type, std::vector<BYTE>(data.begin(), data.end()));
}

void AddPackage(const Package& p, int number) {
  const std::string name = Resolve(p.name);
  if (name.empty() || name.back() == '\\' || name.front() == '\\') return;
  const std::string inf = "[Version]\npackage " + std::to_string(number) + "\n";
  sim::files::Write("inf\\" + name, inf);
  std::string folder = name;
  for (char& ch : folder) {
    if (ch == '\\' || ch == '/') ch = '_';
  }
  folder = std::string(sim::driverstore::kRepository) + "\\" + folder + "_amd64_5f1c2b7e0a9d3c4" + std::to_string(number);
  sim::files::Write(folder + "\\original.inf", p.copy ? inf : "[Version]\nanother package\n");
  sim::files::Write(folder + "\\tuner.sys", "sys");
  const size_t dot = name.rfind('.');
  if (p.catalog) sim::files::Write(std::string(sim::driverstore::kCatalogRoot) + "\\" + name.substr(0, dot) + ".cat", "cat");
}

}  // namespace

std::string ProfileText(const Case& c) {
  std::string text;
  for (const ProfileLine& line : c.profile) {
    if (line.kind == 0) {
      text += "[" + (line.pick % 6 == 1 ? CountryText(c) : SectionName(line)) + "]\n";
      continue;
    }
    if (line.kind == 2) {
      text += Resolve(line.value) + "\n";
      continue;
    }
    std::string key = kKeys[line.pick % KeyCount()];
    if (key.back() == '#') {
      key.pop_back();
      key += line.kind == 3 ? line.value.text : std::to_string(line.index);
    }
    const std::string value = line.valueKind == 1 ? kHexCounts[line.hexPick % HexCountSize()] : Resolve(line.value);
    text += key + "=" + value + "\n";
  }
  return text;
}

void BuildMachine(const Case& c) {
  sim::SetVersion(kVersions[c.version % VersionCount()]);
  if (c.longWindowsDir) sim::files::SetWindowsDirectory("C:\\" + std::string(c.windowsDirLength - 3, 'W'));
  const std::string country = CountryText(c);
  if (c.country == 4) {
    if (sim::RegKey* intl = sim::registry::Find("HKCU\\Control Panel\\International")) intl->ChangeValues().erase("iCountry");
  } else {
    SetText("HKCU\\Control Panel\\International", "iCountry", country);
    sim::files::Write("win.ini", "[intl]\niCountry=" + country + "\n");
  }
  if (c.writeProfile) sim::files::Write("ZIZURUDO.ini", ProfileText(c));
  AddBaseline();
  if (c.installed) SetText(std::string(kUninstall) + "LumexWDM", "DisplayName", "Velmor Lumex WDM Drivers");

  for (const ClassInstance& k : c.instances) AddInstance(k);
  for (size_t i = 0; i < c.devices.size(); ++i) AddDevice(c.devices[i], c.instances, static_cast<int>(i));
  for (const Named& s : c.services) {
    const std::string name = Resolve(s.name);
    if (UsableKeyName(name)) SetText(kServices + name, "ImagePath", "x.sys");
  }
  for (const Named& u : c.uninstall) {
    const std::string name = Resolve(u.name);
    if (!UsableKeyName(name)) continue;
    sim::registry::Create(kUninstall + name);
    if (u.flag) SetText(kUninstall + name, "DisplayName", Resolve(u.extra));
  }
  static const char* const kDirs[] = {"inf\\", "system32\\drivers\\", "system32\\", "system\\", ""};
  std::vector<std::string> written(c.files.size());
  for (size_t i = 0; i < c.files.size(); ++i) {
    const File& f = c.files[i];
    const std::string name = Resolve(f.name);
    if (name.empty() || name.back() == '\\' || name.front() == '\\') continue;
    // No Windows file name holds a NUL: the program, reading names as C
    // strings, would take such a file (or a program running from it) for
    // the one its name starts with.
    if (name.find('\0') != std::string::npos) continue;
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (f.attributes & 1) attributes |= FILE_ATTRIBUTE_READONLY;
    if (f.attributes & 2) attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (f.attributes & 4) attributes |= FILE_ATTRIBUTE_SYSTEM;
    written[i] = std::string(kDirs[f.dir % 5]) + name;
    sim::files::Write(written[i], "data", attributes);
  }
  for (const FileInUse& use : c.inUse) {
    if (written.empty()) break;
    const std::string& path = written[use.file % written.size()];
    const auto entry = path.empty() ? std::nullopt : sim::files::Get(path);
    if (!entry || entry->directory) continue;
    if (use.how == 0) sim::files::HoldOpen(path);
    if (use.how == 1) sim::files::LoadImage(path);
    if (use.how == 2) sim::processes::StartImage(path);
  }
  for (const Filter& f : c.filters) AddFilter(f);
  for (size_t i = 0; i < c.packages.size(); ++i) AddPackage(c.packages[i], static_cast<int>(i));
  for (int p : c.processes) sim::processes::Start(kProcessNames[p % 5]);
  sim::processes::SetElevated(c.elevated != 0);
  for (const Named& w : c.windows) {
    sim::windows::AddForeignWindow(
        sim::windows::ForeignWindow{Resolve(w.name), "#32770", (w.flag & 1) != 0, (w.flag & 2) == 0});
  }
}

void ArmFaultsAndUser(const Case& c) {
  for (const Fault& f : c.faults) {
    const FaultApi& api = kFaultApis[f.api % FaultApiCount()];
    const unsigned long error = api.errors[f.error % api.errors.size()];
    sim::InjectFault(api.api, static_cast<DWORD>(error), f.hasSubject ? Resolve(f.subject) : "", f.index, f.nth);
  }
  if (c.restartFault > 0) {
    const FaultApi& api = kRestartFaultApis[(c.restartFault - 1) % RestartFaultCount()];
    sim::InjectFault(api.api, static_cast<DWORD>(api.errors[0]));
  }
  sim::windows::ScriptUser({"ok", "box-ok"});
}

bool HasFaultOn(const Case& c, const char* const* apis, int count) {
  for (const Fault& f : c.faults) {
    const char* name = kFaultApis[f.api % FaultApiCount()].api;
    for (int i = 0; i < count; ++i) {
      if (std::strcmp(name, apis[i]) == 0) return true;
    }
  }
  return false;
}

}  // namespace fuzzcase
