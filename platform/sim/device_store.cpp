#include "platform/sim/device_store.h"

#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"

namespace sim {
namespace devices {

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

}  // namespace devices
}  // namespace sim
