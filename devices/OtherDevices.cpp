#include "devices/OtherDevices.h"

#include <cstring>
#include <string>

#include "devices/DeviceScan.h"
#include "devices/HardwareIdRead.h"

namespace {

const char kClassRootPath[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
const DWORD kTextSize = 256;

bool IsMissing(LSTATUS status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

// The device's "Driver" value; false when it cannot be read for any reason
// but its absence (then *driverKey is left empty).
bool ReadDriverKey(HDEVINFO devices, PSP_DEVINFO_DATA device, CString* driverKey) {
  char text[kTextSize + 1];
  std::memset(text, 0, sizeof(text));
  DWORD type = REG_NONE;
  DWORD required = 0;
  if (SetupDiGetDeviceRegistryPropertyA(devices, device, SPDRP_DRIVER, &type, reinterpret_cast<PBYTE>(text),
                                        kTextSize, &required)) {
    *driverKey = text;
    return true;
  }
  return GetLastError() == ERROR_INVALID_DATA;
}

// The driver key's "InfPath"; false when the key or the value is there and
// cannot be read. A value too long for any INF name names none we collect.
bool ReadInfName(const CString& driverKey, CString* infName) {
  HKEY key = nullptr;
  const LSTATUS opened =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, CString(kClassRootPath) + driverKey, 0, KEY_QUERY_VALUE, &key);
  if (IsMissing(opened)) return true;
  if (opened != ERROR_SUCCESS) return false;
  char text[kTextSize + 1];
  std::memset(text, 0, sizeof(text));
  DWORD size = kTextSize;
  const LSTATUS read = RegQueryValueExA(key, "InfPath", nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &size);
  RegCloseKey(key);
  if (read == ERROR_SUCCESS) *infName = text;
  return read == ERROR_SUCCESS || read == ERROR_MORE_DATA || IsMissing(read);
}

// A driver key names one instance below one class: "{GUID}\NNNN".
bool NamesAClassInstance(const CString& driverKey) {
  const char* text = driverKey;
  const char* separator = std::strchr(text, '\\');
  return text[0] != '\0' && separator != nullptr && separator != text && separator[1] != '\0' &&
         std::string(text).find("..") == std::string::npos;
}

}  // namespace

const DeviceUse* OtherDevicesUse::ByInf(const char* infName) const {
  for (const DeviceUse& use : uses) {
    if (!use.infName.IsEmpty() && lstrcmpiA(use.infName, infName) == 0) return &use;
  }
  return nullptr;
}

const DeviceUse* OtherDevicesUse::ByDriverKey(const char* driverKey) const {
  for (const DeviceUse& use : uses) {
    if (lstrcmpiA(use.driverKey, driverKey) == 0) return &use;
  }
  return nullptr;
}

namespace {

OtherDevicesUse FindDevicesUse(bool packageDevicesToo) {
  OtherDevicesUse found;
  const BOOL walked = WalkDevices(
      EVERY_DEVICE,
      [&found, packageDevicesToo](HDEVINFO devices, PSP_DEVINFO_DATA device, const char* hardwareId) {
        if (!found.complete || (!packageDevicesToo && IsPackageDevice(hardwareId))) return;
        DeviceUse use;
        use.hardwareId = hardwareId;
        if (!ReadDriverKey(devices, device, &use.driverKey) || !ReadInfName(use.driverKey, &use.infName)) {
          found.complete = false;
          return;
        }
        if (NamesAClassInstance(use.driverKey)) found.uses.push_back(use);
      },
      true);
  // A walk cut short saw only part of the devices.
  if (!walked || GetLastError() != ERROR_NO_MORE_ITEMS) found.complete = false;
  return found;
}

}  // namespace

OtherDevicesUse FindOtherDevicesUse() { return FindDevicesUse(false); }

OtherDevicesUse FindEveryDevicesUse() { return FindDevicesUse(true); }

CString UsedByText(const DeviceUse& use) {
  if (use.hardwareId.IsEmpty()) return "used by a device of another product";
  return CString("used by ") + use.hardwareId;
}
