#include "harness/collateral_oracle.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <utility>

#include "harness/lower_case_view.h"
#include "platform/sim/driver_store.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/win32.h"

namespace harness {
namespace {

using image::MachineSnapshot;
using image::StoredValue;
using Keys = std::map<std::string, KeyView>;
using Files = std::map<std::string, FileView>;
using sim::ToLower;
using sim::StartsWithNoCase;

const char kEnum[] = "hklm\\system\\currentcontrolset\\enum";
// Windows 9x keeps its devnodes here; either branch may hold the machine's devices.
const char kEnum9x[] = "hklm\\enum";
const char* const kEnumRoots[] = {kEnum, kEnum9x};

bool IsUnder(const std::string& path, const char* root) {
  const size_t n = std::strlen(root);
  return path.compare(0, n, root) == 0 && (path.size() == n || path[n] == '\\');
}
const char kClass[] = "hklm\\system\\currentcontrolset\\control\\class";
const char* const kInstanceParents[] = {
    "hklm\\system\\currentcontrolset\\control\\class\\{4d36e96c-e325-11ce-bfc1-08002be10318}",
    "hklm\\system\\currentcontrolset\\control\\class\\{6bdd1fc6-810f-11d0-bec7-08002be2092f}",
    "hklm\\system\\currentcontrolset\\services\\class\\media",
};
const char kServices[] = "hklm\\system\\currentcontrolset\\services";
const char kUninstall[] = "hklm\\software\\microsoft\\windows\\currentversion\\uninstall";

// "a\\b\" under a key: its non-empty parts joined; empty when it names no
// key below the parent.
std::string Below(const std::string& parent, const std::string& name) {
  std::string out;
  std::string part;
  for (char c : name + "\\") {
    if (c != '\\') {
      part += c;
    } else if (!part.empty()) {
      out += "\\" + part;
      part.clear();
    }
  }
  return out.empty() ? "" : ToLower(parent + out);
}

const StoredValue* FindValue(const std::vector<StoredValue>& values, const std::string& name) {
  for (const StoredValue& value : values) {
    if (sim::EqualsNoCase(value.name, name)) return &value;
  }
  return nullptr;
}

// A value's text as a string read stops at its first NUL.
std::string ValueText(const KeyView& key, const char* name) {
  const StoredValue* value = FindValue(*key.stored, name);
  if (value == nullptr) return "";
  return value->data.substr(0, value->data.find('\0'));
}

bool HasValue(const KeyView& key, const char* name) { return FindValue(*key.stored, name) != nullptr; }

// Whether Windows would take the name out of the directory it is joined to:
// a leading separator, a drive, or a part of dots (two or more) and blanks.
bool ClimbsOut(const std::string& name) {
  if (!name.empty() && (name[0] == '\\' || name[0] == '/')) return true;
  if (name.size() >= 2 && name[1] == ':') return true;
  size_t start = 0;
  while (start <= name.size()) {
    const size_t end = std::min(name.find_first_of("\\/", start), name.size());
    const std::string part = name.substr(start, end - start);
    if (part.find("..") != std::string::npos && part.find_first_not_of(". ") == std::string::npos) return true;
    start = end + 1;
  }
  return false;
}

// The file a name reaches, as Windows resolves the joined path; a name that
// climbs out of its directory names nothing.
std::string FilePath(const std::string& windows, const char* sub, const std::string& name) {
  if (ClimbsOut(name)) return "";
  return ToLower(sim::files::Absolute(windows + sub + name));
}

// Both ways the program may name an INF's precompiled twin.
void AddInfPair(const std::string& windows, const std::string& inf, std::set<std::string>* files) {
  files->insert(FilePath(windows, "\\inf\\", inf));
  size_t start = inf.find_first_not_of('.');
  std::string token = start == std::string::npos ? "" : inf.substr(start, inf.find('.', start) - start);
  files->insert(FilePath(windows, "\\inf\\", token + ".pnf"));
  std::string replaced = ToLower(inf);
  for (size_t at = replaced.find(".inf"); at != std::string::npos; at = replaced.find(".inf", at + 4)) {
    replaced.replace(at, 4, ".pnf");
  }
  files->insert(FilePath(windows, "\\inf\\", replaced));
}

// The first hardware ID of an Enum key, if it has the value.
bool FirstId(const KeyView& key, std::string* id) {
  const StoredValue* value = FindValue(*key.stored, "HardwareID");
  if (value == nullptr) return false;
  *id = value->data.substr(0, value->data.find('\0'));
  return true;
}

int Depth(const std::string& path) { return static_cast<int>(std::count(path.begin(), path.end(), '\\')); }

// What uninstalling a published INF takes along, as the machine itself says:
// its catalog and its package in the driver store.
void AddPackageOf(const std::string& windows, const std::string& infPath, NamedThings* named) {
  const std::string inf = ToLower(windows + "\\inf\\");
  if (infPath.compare(0, inf.size(), inf) != 0 || infPath.find('\\', inf.size()) != std::string::npos) return;
  const std::string name = infPath.substr(inf.size());
  named->files.insert(ToLower(windows + "\\" + sim::driverstore::kCatalogRoot + "\\" + name.substr(0, name.rfind('.')) +
                            ".cat"));
  named->files.insert(ToLower(windows + "\\inf\\" + name.substr(0, name.rfind('.')) + ".pnf"));
  const std::string folder = sim::driverstore::PackageFolderOf(infPath);
  if (!folder.empty()) named->folders.insert(ToLower(folder));
}

// A braced GUID, as SetupAPI wants a device's ClassGUID to list it.
bool IsBracedGuid(const std::string& text) {
  static const char kShape[] = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
  if (text.size() != sizeof(kShape) - 1) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (kShape[i] != 'x' ? text[i] != kShape[i] : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

// What the devices the program lists on the NT family use: those of other
// products (their first hardware ID begins with no profile prefix) keep
// their INFs and driver keys; a driver key a device of the package shares
// may still go with that device.
struct DevicesUse {
  std::set<std::string> otherInfs;        // lower-case INF names
  std::set<std::string> otherDriverKeys;  // lower-case key paths
  std::set<std::string> packageDriverKeys;
};

DevicesUse WhatDevicesUse(const ProfileNames& p, const Keys& before) {
  DevicesUse use;
  for (const auto& entry : before) {
    if (!IsUnder(entry.first, kEnum) || Depth(entry.first) != Depth(kEnum) + 3) continue;
    const StoredValue* guid = FindValue(*entry.second.stored, "ClassGUID");
    if (guid == nullptr || guid->type != REG_SZ ||
        !IsBracedGuid(ValueText(entry.second, "ClassGUID"))) {
      continue;
    }
    std::string id;
    FirstId(entry.second, &id);
    bool package = false;
    for (const std::string& prefix : p.ids) package = package || (!prefix.empty() && StartsWithNoCase(id, prefix));
    const std::string driver = Below(kClass, ValueText(entry.second, "Driver"));
    if (Depth(driver) < Depth(kClass) + 2) continue;
    if (package) {
      use.packageDriverKeys.insert(driver);
      continue;
    }
    use.otherDriverKeys.insert(driver);
    auto key = before.find(driver);
    if (key != before.end() && HasValue(key->second, "InfPath")) use.otherInfs.insert(ToLower(ValueText(key->second, "InfPath")));
  }
  return use;
}

NamedThings WhatTheProfileNames(const ProfileNames& p, const Keys& before, Family family) {
  NamedThings named;
  const std::string windows = sim::files::WindowsDirectory();

  for (const std::string& s : p.services) {
    const std::string key = Below(kServices, s);
    if (!key.empty()) named.keyRoots.insert(key);
  }
  for (const std::string& u : p.uninstallPaths) {
    const std::string key = Below(kUninstall, u);
    if (!key.empty()) named.keyRoots.insert(key);
  }

  // Class instances by description: whole or by prefix, any letter case;
  // on the NT family not those another product's device uses.
  const DevicesUse use = family.nt ? WhatDevicesUse(p, before) : DevicesUse();
  for (const char* parent : kInstanceParents) {
    auto it = before.find(parent);
    if (it == before.end()) continue;
    for (const std::string& child : it->second.children) {
      const KeyView& instance = before.at(child);
      if (!HasValue(instance, "DriverDesc")) continue;
      const std::string desc = ValueText(instance, "DriverDesc");
      for (const std::string& name : p.names) {
        if (!StartsWithNoCase(desc, name)) continue;
        const bool othersKey = use.otherDriverKeys.count(child) && !use.packageDriverKeys.count(child);
        if (!othersKey || family.w9x) named.keyRoots.insert(child);
        const std::string inf = ValueText(instance, "InfPath");
        const bool othersInf = use.otherInfs.count(ToLower(inf)) != 0;
        if (!inf.empty() && (!othersInf || family.w9x)) AddInfPair(windows, inf, &named.files);
      }
    }
  }

  // Devices, plugged in or not, whose first hardware ID begins with a profile
  // prefix.
  for (const auto& entry : before) {
    const std::string& path = entry.first;
    bool isDevice = false;
    for (const char* root : kEnumRoots) isDevice = isDevice || (IsUnder(path, root) && Depth(path) == Depth(root) + 3);
    if (!isDevice) continue;
    std::string id;
    if (!FirstId(entry.second, &id)) continue;
    bool matches = false;
    for (const std::string& prefix : p.ids) matches = matches || StartsWithNoCase(id, prefix);
    if (!matches) continue;
    if (family.nt) {
      named.keyRoots.insert(path);
      const std::string driver = Below(kClass, ValueText(entry.second, "Driver"));
      if (Depth(driver) >= Depth(kClass) + 2) named.keyRoots.insert(driver);
    }
    if (family.w9x) named.enum9xNames.insert(id);
  }
  if (family.w9x) {
    for (const std::string& prefix : p.ids) named.enum9xNames.insert(prefix);
  }

  // The profile's own INF names only the 9x sequence deletes.
  if (family.w9x) {
    for (const std::string& f : p.infFiles) AddInfPair(windows, f, &named.files);
  }
  for (const std::string& f : p.sysFiles) named.files.insert(FilePath(windows, "\\system32\\drivers\\", f));
  for (const std::string& f : p.supportFiles) {
    named.files.insert(FilePath(windows, "\\system32\\", f));
    named.files.insert(FilePath(windows, "\\system\\", f));
  }
  for (const std::string& f : p.appNames) named.files.insert(FilePath(windows, "\\", f));
  for (const std::string& t : p.remoteTitles) named.titles.insert(ToLower(t));
  named.receiver = family.nt;
  if (family.nt) {
    const std::set<std::string> infs = named.files;
    for (const std::string& f : infs) AddPackageOf(windows, f, &named);
    for (const std::string& s : p.services) named.services.insert(ToLower(s));
  }
  return named;
}

bool UnderRoot(const NamedThings& named, const std::string& path) {
  for (std::string at = path;; at = at.substr(0, at.rfind('\\'))) {
    if (named.keyRoots.count(at)) return true;
    if (at.find('\\') == std::string::npos) return false;
  }
}

// A 9x enumeration key named by a text the device scan may cut from a
// matching ID or profile prefix.
bool Named9xEnumKey(const NamedThings& named, const std::string& path) {
  static const char* const kParents[] = {"\\pci\\", "\\usb\\", "\\stream\\"};
  for (const char* root : kEnumRoots) {
  for (const char* parent : kParents) {
    const std::string base = std::string(root) + parent;
    if (path.compare(0, base.size(), base) != 0) continue;
    for (std::string at = path; at.size() > base.size(); at = at.substr(0, at.rfind('\\'))) {
      const std::string below = at.substr(base.size());
      for (const std::string& text : named.enum9xNames) {
        if (ToLower(text).find(below) != std::string::npos) return true;
      }
    }
  }
  }
  return false;
}

// An Enum bus or device key that a device removal left with no subkeys.
bool EmptiedEnumParent(const NamedThings& named, const Keys& before, const std::string& path, const Keys& after);

bool DeletionNamed(const NamedThings& named, const Keys& before, const std::string& path, const Keys& after) {
  return UnderRoot(named, path) || Named9xEnumKey(named, path) || EmptiedEnumParent(named, before, path, after);
}

bool EmptiedEnumParent(const NamedThings& named, const Keys& before, const std::string& path, const Keys& after) {
  const char* root = IsUnder(path, kEnum9x) ? kEnum9x : kEnum;
  const int depth = Depth(path) - Depth(root);
  if (!IsUnder(path, root) || depth < 1 || depth > 2) return false;
  const KeyView& key = before.at(path);
  if (key.children.empty()) return false;
  for (const std::string& child : key.children) {
    if (after.count(child) || !DeletionNamed(named, before, child, after)) return false;
  }
  return true;
}

bool InNamedFolder(const NamedThings& named, const std::string& path) {
  for (const std::string& folder : named.folders) {
    if (path.compare(0, folder.size(), folder) == 0 && (path.size() == folder.size() || path[folder.size()] == '\\')) {
      return true;
    }
  }
  return false;
}

// The names of a filter list as Windows reads them: up to the first empty
// string, or the end of the data.
std::vector<std::string> FilterNames(const std::string& data) {
  std::vector<std::string> names;
  size_t at = 0;
  while (at < data.size()) {
    size_t end = data.find('\0', at);
    if (end == std::string::npos) end = data.size();
    if (end == at) break;
    names.push_back(data.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

bool SameValue(const StoredValue* a, const StoredValue* b) {
  return a != nullptr && b != nullptr && a->type == b->type && a->data == b->data;
}

// Both lists are in the registry's order of names, so equal lists are equal
// one by one.
bool SameValues(const std::vector<StoredValue>& a, const std::vector<StoredValue>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!sim::EqualsNoCase(a[i].name, b[i].name) || !SameValue(&a[i], &b[i])) return false;
  }
  return true;
}

// A filter list of a class or of a device may lose names of the profile's
// services, nothing else: the names left are the old ones in their order,
// less some of those; a list with none left may go, and so may a REG_SZ value
// that is one of those names.
bool FilterChangeAllowed(const NamedThings& named, const std::string& key, const std::string& valueName,
                         const StoredValue* was, const StoredValue* now) {
  const bool classKey = Depth(key) == Depth(kClass) + 1 && IsUnder(key, kClass);
  const bool deviceKey = Depth(key) == Depth(kEnum) + 3 && IsUnder(key, kEnum);
  if (!classKey && !deviceKey) return false;
  if (valueName != "upperfilters" && valueName != "lowerfilters") return false;
  if (was != nullptr && was->type == REG_SZ && now == nullptr) {
    std::vector<std::string> pieces;
    const std::string& text = was->data;
    for (size_t at = 0; at < text.size();) {
      const size_t end = std::min(text.find('\0', at), text.size());
      if (end > at) pieces.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    return pieces.size() == 1 && named.services.count(ToLower(pieces[0])) != 0;
  }
  if (was == nullptr || was->type != REG_MULTI_SZ) return false;
  const std::vector<std::string> old = FilterNames(was->data);
  std::vector<std::string> left;
  if (now != nullptr) {
    if (now->type != REG_MULTI_SZ) return false;
    left = FilterNames(now->data);
  }
  size_t next = 0;
  for (const std::string& name : old) {
    if (next < left.size() && left[next] == name) {
      ++next;
    } else if (!named.services.count(ToLower(name))) {
      return false;
    }
  }
  return next == left.size() && (now != nullptr || left.empty());
}

// The values' lower-case names, each once, in order.
std::set<std::string> LowerNames(const std::vector<StoredValue>& values) {
  std::set<std::string> names;
  for (const StoredValue& value : values) names.insert(ToLower(value.name));
  return names;
}

bool ValuesChangeAllowed(const NamedThings& named, const std::string& key, const std::vector<StoredValue>& before,
                         const std::vector<StoredValue>& after) {
  std::set<std::string> names = LowerNames(before);
  names.merge(LowerNames(after));
  for (const std::string& name : names) {
    const StoredValue* was = FindValue(before, name);
    const StoredValue* now = FindValue(after, name);
    if (!SameValue(was, now) && !FilterChangeAllowed(named, key, name, was, now)) return false;
  }
  return true;
}

std::string Describe(const std::vector<StoredValue>& values) {
  std::string out;
  for (const std::string& name : LowerNames(values)) out += " " + name;
  return out;
}

}  // namespace

MachineSnapshot CaptureForOracle() {
  image::CaptureOptions options;
  options.wanted = [](const std::string&) { return false; };
  options.stored = true;
  options.scheduledGone = true;
  return image::CaptureMachine(options);
}

CollateralOracle::CollateralOracle(const ProfileNames& profile, MachineSnapshot before, Family family)
    : before_(std::move(before)),
      keys_(KeysByLowerPath(before_)),
      files_(FilesByLowerPath(before_)),
      named_(WhatTheProfileNames(profile, keys_, family)) {}

std::vector<std::string> CollateralOracle::Outside(const MachineSnapshot& afterSnapshot) const {
  const Keys& before = keys_;
  const Keys after = KeysByLowerPath(afterSnapshot);
  std::vector<std::string> problems;
  for (const auto& entry : before) {
    auto now = after.find(entry.first);
    if (now == after.end()) {
      if (!DeletionNamed(named_, before, entry.first, after)) problems.push_back("key deleted: " + *entry.second.path);
      continue;
    }
    const std::vector<StoredValue>& was = *entry.second.stored;
    const std::vector<StoredValue>& is = *now->second.stored;
    if (!SameValues(was, is) && !ValuesChangeAllowed(named_, entry.first, was, is)) {
      problems.push_back("values changed in " + *entry.second.path + ":" + Describe(was) + " ->" + Describe(is));
    }
  }
  for (const auto& entry : after) {
    if (!before.count(entry.first)) problems.push_back("key created: " + *entry.second.path);
  }

  const Files& filesBefore = files_;
  const Files filesAfter = FilesByLowerPath(afterSnapshot);
  for (const auto& entry : filesBefore) {
    const FileView& was = entry.second;
    auto now = filesAfter.find(entry.first);
    const bool named_file = (!was.directory && named_.files.count(entry.first)) || InNamedFolder(named_, entry.first);
    if (now == filesAfter.end()) {
      if (!named_file) problems.push_back(std::string(was.directory ? "directory" : "file") + " deleted: " + *was.path);
    } else if (now->second.attributes != was.attributes && !named_file) {
      problems.push_back("attributes changed: " + *was.path + " " + std::to_string(was.attributes) + " -> " +
                         std::to_string(now->second.attributes));
    }
  }
  for (const auto& entry : filesAfter) {
    if (!filesBefore.count(entry.first)) problems.push_back("file created: " + *entry.second.path);
  }

  std::multiset<std::string> ended(before_.processes.begin(), before_.processes.end());
  for (const std::string& p : afterSnapshot.processes) {
    auto it = ended.find(p);
    if (it == ended.end()) problems.push_back("process started: " + p);
    else ended.erase(it);
  }
  for (const std::string& p : ended) {
    if (p != "ehRecvr.exe" || !named_.receiver) problems.push_back("process ended: " + p);
  }
  if (ended.count("ehRecvr.exe") > 1) problems.push_back("more than one ehRecvr.exe ended");

  std::multiset<std::string> closed(before_.windows.begin(), before_.windows.end());
  for (const std::string& w : afterSnapshot.windows) {
    auto it = closed.find(w);
    if (it != closed.end()) closed.erase(it);
  }
  for (const std::string& w : closed) {
    if (!named_.titles.count(ToLower(w))) problems.push_back("window closed: \"" + w + "\"");
  }
  if (closed.size() > 1) problems.push_back("more than one window closed");
  return problems;
}

}  // namespace harness
