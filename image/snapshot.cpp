#include "image/snapshot.h"

#include <cstdio>
#include <set>

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/restart.h"
#include "platform/sim/window_store.h"

namespace image {
namespace {

const char kEnumPath[] = "HKLM\\SYSTEM\\CurrentControlSet\\Enum";

bool Skipped(const CaptureOptions& options, const std::string& path, const sim::RegValue& value) {
  return options.scheduledGone && sim::IsRestartListValue(path, value.name);
}

void TakeValues(const sim::RegKey* key, const std::string& path, const CaptureOptions& options,
                MachineSnapshot* snapshot) {
  std::string valuePath = path + "|";
  const size_t nameAt = valuePath.size();
  for (const auto& value : key->values()) {
    if (Skipped(options, path, value.second)) continue;
    valuePath.resize(nameAt);
    valuePath += value.second.name;
    snapshot->values.emplace_hint(snapshot->values.end(), valuePath,
                                  DescribeValue(value.second.type, value.second.data));
  }
}

void StoreValues(const sim::RegKey* key, const std::string& path, const CaptureOptions& options,
                 MachineSnapshot* snapshot) {
  std::vector<StoredValue>& stored = snapshot->stored.emplace_back();
  stored.reserve(key->values().size());
  for (const auto& value : key->values()) {
    if (Skipped(options, path, value.second)) continue;
    const sim::RegValue& from = value.second;
    stored.push_back(StoredValue{from.name, from.type, std::string(from.data.begin(), from.data.end())});
  }
}

// The path is built on the way down, not asked of each key: a machine of a
// hundred thousand devices is walked twice by the preview. enumLevel counts
// the levels below Enum (0: not under it).
void Walk(const sim::RegKey* key, std::string& path, int enumLevel, const CaptureOptions& options,
          MachineSnapshot* snapshot) {
  snapshot->keys.push_back(path);
  if (options.wanted == nullptr || options.wanted(path)) TakeValues(key, path, options, snapshot);
  if (options.stored) StoreValues(key, path, options, snapshot);
  // A device is an instance key three levels under Enum that names its class.
  if (enumLevel == 3 && key->values().count("ClassGUID")) {
    snapshot->devices.push_back(path.substr(sizeof(kEnumPath)));
  }
  const bool isEnum = enumLevel == 0 && sim::EqualsNoCase(path, kEnumPath);
  const size_t length = path.size();
  for (const auto& child : key->subkeys) {
    path += '\\';
    path += child.second->name;
    Walk(child.second.get(), path, isEnum ? 1 : enumLevel > 0 ? enumLevel + 1 : 0, options, snapshot);
    path.resize(length);
  }
}

void TakeFiles(const CaptureOptions& options, MachineSnapshot* snapshot) {
  std::set<std::string> scheduled;
  if (options.scheduledGone) scheduled = sim::ScheduledDeletions();
  for (const sim::files::FileEntry& entry : sim::files::All()) {
    if (options.scheduledGone && (scheduled.count(sim::ToLower(entry.path)) || sim::IsRestartListFile(entry.path))) {
      continue;
    }
    (entry.directory ? snapshot->directories : snapshot->files)[entry.path] = entry.attributes;
  }
}

}  // namespace

std::string DescribeValue(unsigned type, const std::vector<unsigned char>& data) {
  char hex[4];
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::string text(data.begin(), data.end());
    text = text.substr(0, text.find('\0'));
    return (type == REG_EXPAND_SZ ? "expand:\"" : "\"") + text + "\"";
  }
  if (type == REG_DWORD && data.size() == 4) {
    const unsigned value = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<unsigned>(data[3]) << 24);
    char text[20];
    std::snprintf(text, sizeof(text), "dword:%08x", value);
    return text;
  }
  if (type == REG_MULTI_SZ) {
    // Every string, empty ones too (a pending deletion has an empty
    // destination); only the list's closing NUL ends it.
    std::vector<std::string> strings;
    std::string current;
    for (unsigned char c : data) {
      if (c != 0) {
        current += static_cast<char>(c);
        continue;
      }
      strings.push_back(current);
      current.clear();
    }
    if (!current.empty()) strings.push_back(current);
    if (!strings.empty() && strings.back().empty()) strings.pop_back();
    std::string out = "multi:";
    for (size_t i = 0; i < strings.size(); ++i) out += (i ? ",\"" : "\"") + strings[i] + "\"";
    return out;
  }
  std::snprintf(hex, sizeof(hex), "%x", type);
  std::string out = std::string("hex(") + hex + "):";
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(hex, sizeof(hex), "%02x", data[i]);
    out += (i ? "," : "") + std::string(hex);
  }
  return out;
}

MachineSnapshot CaptureMachine(ValuesWanted wanted) {
  CaptureOptions options;
  options.wanted = wanted;
  return CaptureMachine(options);
}

MachineSnapshot CaptureMachine(const CaptureOptions& options) {
  MachineSnapshot snapshot;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    const sim::RegKey* key = sim::registry::Root(root);
    std::string path = key->Path();
    Walk(key, path, 0, options, &snapshot);
  }
  TakeFiles(options, &snapshot);
  snapshot.processes = sim::processes::Running();
  snapshot.windows = sim::windows::AliveForeignWindowTitles();
  return snapshot;
}

}  // namespace image
