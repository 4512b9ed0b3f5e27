#include <cstring>

#include "app/DrvUninstApp.h"
#include "devices/DeviceScan.h"
#include "devices/DrvEntryCopy.h"
#include "devices/HardwareIdRead.h"

namespace {

// Counts the primary entries the device matches and completes each from
// every variant the device also matches; the last matching variant stays.
int MatchPrimaryEntries(const char* hardwareId) {
  int matches = 0;
  const int primaries = UsableCount(theApp.m_nDevIDNum, MAX_DRV_ENTRIES);
  const int variants = UsableCount(theApp.m_nPossibleDevIDNum, MAX_DRV_ENTRIES);
  for (int i = 0; i < primaries; ++i) {
    if (!HardwareIdMatches(hardwareId, theApp.m_DevDrv[i].szDrvID)) continue;
    ++matches;
    for (int j = 0; j < variants; ++j) {
      if (HardwareIdMatches(hardwareId, theApp.m_PossibleDevDrv[j].szDrvID)) {
        CopyDrvEntry(&theApp.m_DevDrv[i], theApp.m_PossibleDevDrv[j]);
      }
    }
  }
  return matches;
}

}  // namespace

int ScanDevicesNT() {
  int count = 0;
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
    if (read == HARDWARE_ID_READ) count += MatchPrimaryEntries(hardwareId);
    buffer = LocalFree(buffer);
  }

  // The error that ended the walk outlives the list's destruction.
  const DWORD lastError = GetLastError();
  LocalFree(buffer);
  SetupDiDestroyDeviceInfoList(devices);
  SetLastError(lastError);
  return count;
}
