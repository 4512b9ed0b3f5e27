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
  const BOOL walked = WalkPresentDevices([](HDEVINFO devices, PSP_DEVINFO_DATA device, const char* hardwareId) {
    RemoveIfMatching(devices, device, hardwareId, theApp.m_DevDrv, theApp.m_nDevIDNum);
    RemoveIfMatching(devices, device, hardwareId, theApp.m_ExtDevDrv, theApp.m_nExtDevIDNum);
  });
  return walked ? 1 : 0;
}
