#include "platform/sim/standard_devices.h"

#include <string>
#include <vector>

#include "platform/sim/device_store.h"
#include "platform/sim/registry_store.h"

namespace sim {
namespace devices {
namespace {

const char* const kMonitorClass = "{4D36E96E-E325-11CE-BFC1-08002BE10318}";
const char* const kDisplayClass = "{4D36E968-E325-11CE-BFC1-08002BE10318}";
const char* const kHidClass = "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}";
const char* const kSystemClass = "{4D36E97D-E325-11CE-BFC1-08002BE10318}";

struct StandardDevice {
  const char* instanceId;
  const char* className;
  const char* classGuid;
  const char* description;
  const char* driverIndex;  // under the class's driver key
  std::vector<std::string> hardwareIds;
  std::vector<std::string> compatibleIds;
  const char* service;  // "" for none
};

// As measured in a fresh Wine 8 prefix, 64-bit and 32-bit alike.
const std::vector<StandardDevice>& Devices() {
  static const std::vector<StandardDevice> devices = {
      {"DISPLAY\\Default_Monitor\\0000&0000", "Monitor", kMonitorClass, "Generic Non-PnP Monitor", "0000",
       {"MONITOR\\Default_Monitor"}, {}, ""},
      {"HID\\VID_845E&PID_0001\\0&0000&0&0", "HIDClass", kHidClass, "Wine HID device", "0003",
       {"HID\\VID_845E&PID_0001\\0&0000&0&0", "HID\\VID_845E&PID_0001", "HID"},
       {"HID\\VID_845E&PID_0001\\0&0000&0&0", "HID\\VID_845E&PID_0001", "HID"}, ""},
      {"HID\\VID_845E&PID_0002\\0&0000&0&0", "HIDClass", kHidClass, "Wine HID device", "0002",
       {"HID\\VID_845E&PID_0002\\0&0000&0&0", "HID\\VID_845E&PID_0002", "HID"},
       {"HID\\VID_845E&PID_0002\\0&0000&0&0", "HID\\VID_845E&PID_0002", "HID"}, ""},
      {"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000&REV_00\\00000000", "Display", kDisplayClass, "Wine Adapter", "0000",
       {"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000&REV_00"}, {}, ""},
      {"ROOT\\WINE\\WINEBUS", "System", kSystemClass, "Wine HID bus driver", "0000", {"root\\winebus"}, {},
       "winebus"},
      {"ROOT\\WINE\\WINEUSB", "System", kSystemClass, "Wine USB bus driver", "0001", {"root\\wineusb"}, {},
       "wineusb"},
      {"WINEBUS\\VID_845E&PID_0001\\0&0000&0&0", "HIDClass", kHidClass, "Wine HID compatible device", "0000",
       {"WINEBUS\\VID_845E&PID_0001"}, {"WINEBUS\\WINE_COMP_HID"}, "winehid"},
      {"WINEBUS\\VID_845E&PID_0002\\0&0000&0&0", "HIDClass", kHidClass, "Wine HID compatible device", "0001",
       {"WINEBUS\\VID_845E&PID_0002"}, {"WINEBUS\\WINE_COMP_HID"}, "winehid"},
  };
  return devices;
}

}  // namespace

void AddStandardDevices() {
  for (const StandardDevice& device : Devices()) {
    const std::string path = std::string(EnumRoot()) + "\\" + device.instanceId;
    registry::Create(path + "\\Device Parameters");
    registry::SetString(path, "Class", device.className);
    registry::SetString(path, "ClassGUID", device.classGuid);
    registry::SetString(path, "DeviceDesc", device.description);
    registry::SetString(path, "Driver", std::string(device.classGuid) + "\\" + device.driverIndex);
    registry::SetMultiString(path, "HardwareID", device.hardwareIds);
    if (!device.compatibleIds.empty()) registry::SetMultiString(path, "CompatibleIDs", device.compatibleIds);
    if (device.service[0] != '\0') registry::SetString(path, "Service", device.service);
  }
}

}  // namespace devices
}  // namespace sim
