#include "tools/scenario/snapshot.h"

#include <cstdio>

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/window_store.h"

namespace scenario {
namespace {

const char kEnumPath[] = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\";

void Walk(const sim::RegKey* key, MachineSnapshot* snapshot) {
  const std::string path = key->Path();
  snapshot->keys.push_back(path);
  for (const auto& value : key->values) {
    snapshot->values[path + "|" + value.second.name] = DescribeValue(value.second.type, value.second.data);
  }
  // A device is an instance key three levels under Enum that names its class.
  if (sim::ContainsNoCase(path, kEnumPath) && path.size() > sizeof(kEnumPath) - 1) {
    const std::string below = path.substr(sizeof(kEnumPath) - 1);
    size_t levels = 1;
    for (char c : below) levels += c == '\\';
    if (levels == 3 && key->values.count("ClassGUID")) snapshot->devices.push_back(below);
  }
  for (const auto& child : key->subkeys) Walk(child.second.get(), snapshot);
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

MachineSnapshot CaptureMachine() {
  MachineSnapshot snapshot;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) Walk(sim::registry::Root(root), &snapshot);
  for (const sim::files::FileEntry& entry : sim::files::All()) {
    if (!entry.directory) snapshot.files[entry.path] = entry.attributes;
  }
  snapshot.processes = sim::processes::Running();
  snapshot.windows = sim::windows::AliveForeignWindowTitles();
  return snapshot;
}

}  // namespace scenario
