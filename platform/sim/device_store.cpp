#include "platform/sim/device_store.h"

#include <set>

#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"

namespace sim {
namespace devices {

namespace {

// Upper-cased instance IDs, as SetupAPI reports them.
std::set<std::string>& Unplugged() {
  static std::set<std::string> unplugged;
  return unplugged;
}

ResetHook resetPresence([] { Unplugged().clear(); });

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

const char* EnumRoot() { return IsWin9xFamily() ? kEnumPath9x : kEnumPath; }

void AddDevice(const std::string& instanceId, const std::vector<std::string>& hardwareIds,
               const std::string& classGuid) {
  const std::string path = std::string(EnumRoot()) + "\\" + instanceId;
  registry::Create(path);
  if (!hardwareIds.empty()) registry::SetMultiString(path, "HardwareID", hardwareIds);
  if (!classGuid.empty()) registry::SetString(path, "ClassGUID", classGuid);
}

bool DevicePresent(const std::string& instanceId) {
  return registry::Exists(std::string(EnumRoot()) + "\\" + instanceId);
}

void SetPluggedIn(const std::string& instanceId, bool pluggedIn) {
  if (pluggedIn) Unplugged().erase(Upper(instanceId));
  else Unplugged().insert(Upper(instanceId));
}

bool IsPluggedIn(const std::string& instanceId) { return Unplugged().count(Upper(instanceId)) == 0; }

}  // namespace devices
}  // namespace sim
