// The simulated Plug-and-Play devices. As on Windows, a device is the key
// HKLM\SYSTEM\CurrentControlSet\Enum\<bus>\<device>\<instance> with a
// "HardwareID" (REG_MULTI_SZ) and a braced "ClassGUID"; the registry is the
// only store, so a machine image describes its devices with its keys.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/win32_types.h"

namespace sim {
namespace devices {

constexpr const char* kEnumPath = "HKLM\\SYSTEM\\CurrentControlSet\\Enum";
constexpr const char* kEnumPath9x = "HKLM\\Enum";

// Where the running family keeps its devnodes: Windows 9x under HKLM\Enum,
// the NT family under CurrentControlSet.
const char* EnumRoot();
constexpr const char* kClassPath = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class";
// The media class, where the tuners of this package register.
constexpr const char* kMediaClassGuid = "{4d36e96c-e325-11ce-bfc1-08002be10318}";

// Writes the device's Enum key: instanceId is "<bus>\<device>\<instance>".
// An empty hardwareIds list writes no HardwareID value.
void AddDevice(const std::string& instanceId, const std::vector<std::string>& hardwareIds,
               const std::string& classGuid = kMediaClassGuid);
// The device's Enum key still exists.
bool DevicePresent(const std::string& instanceId);

// Presence is no registry value on Windows but the live devnode: a device
// seen once (a stick on another port, one unplugged) keeps its Enum key and
// is listed only without DIGCF_PRESENT. Every device is plugged in unless
// marked here; the mark goes with the machine's reset.
void SetPluggedIn(const std::string& instanceId, bool pluggedIn);
bool IsPluggedIn(const std::string& instanceId);

// Instance IDs passed to SetupDiRemoveDevice, in call order (also failed calls).
const std::vector<std::string>& RemovalRequests();
// Device-information sets obtained and not yet destroyed.
size_t OpenDeviceSets();

}  // namespace devices
}  // namespace sim
