#include <cstring>

#include "app/DrvUninstApp.h"
#include "devices/DeviceScan.h"
#include "devices/HardwareIdRead.h"

namespace {

// One removal request per matching entry; the platform's answer is not ours
// to act on, so a device matching two entries is simply asked twice.
void RemoveIfMatching(HDEVINFO devices, PSP_DEVINFO_DATA device, const char* hardwareId,
                      const DRVENTRY* entries, int count) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    if (HardwareIdMatches(hardwareId, entries[i].szDrvID)) SetupDiRemoveDevice(devices, device);
  }
}

}  // namespace

int RemoveMatchedDevices() {
  HDEVINFO devices = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (devices == INVALID_HANDLE_VALUE) return 0;

  SP_DEVINFO_DATA device;
  memset(&device, 0, sizeof(device));
  device.cbSize = sizeof(SP_DEVINFO_DATA);
  HLOCAL buffer = nullptr;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const char* hardwareId = nullptr;
    const HardwareIdRead read = ReadFirstHardwareId(devices, &device, &buffer, &hardwareId);
    if (read == HARDWARE_ID_FAILED) break;
    if (read == HARDWARE_ID_READ) {
      RemoveIfMatching(devices, &device, hardwareId, theApp.m_DevDrv, theApp.m_nDevIDNum);
      RemoveIfMatching(devices, &device, hardwareId, theApp.m_ExtDevDrv, theApp.m_nExtDevIDNum);
    }
    buffer = LocalFree(buffer);
  }

  const DWORD lastError = GetLastError();
  LocalFree(buffer);
  SetupDiDestroyDeviceInfoList(devices);
  SetLastError(lastError);
  return 1;
}
