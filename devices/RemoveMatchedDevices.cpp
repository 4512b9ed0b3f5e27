#include "app/DrvUninstApp.h"
#include "app/SystemFunction.h"
#include "devices/DeviceScan.h"
#include "devices/HardwareIdRead.h"

namespace {

// Looked up at run time: Windows 98 and ME lack it, and one missing import
// keeps their loader from starting the whole program.
using RemoveDeviceFunction = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA);

// One removal request per matching entry; the platform's answer is not ours
// to act on, so a device matching two entries is simply asked twice.
void RemoveIfMatching(RemoveDeviceFunction removeDevice, HDEVINFO devices, PSP_DEVINFO_DATA device,
                      const char* hardwareId, const DRVENTRY* entries, int count) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    if (HardwareIdMatches(hardwareId, entries[i].szDrvID)) removeDevice(devices, device);
  }
}

}  // namespace

int RemoveMatchedDevices() {
  const RemoveDeviceFunction removeDevice =
      GetSystemFunctionAs<RemoveDeviceFunction>("setupapi.dll", "SetupDiRemoveDevice");
  if (removeDevice == nullptr) return 0;  // a Windows without it can remove no device
  const BOOL walked = WalkPresentDevices([removeDevice](HDEVINFO devices, PSP_DEVINFO_DATA device,
                                                        const char* hardwareId) {
    RemoveIfMatching(removeDevice, devices, device, hardwareId, theApp.m_DevDrv, theApp.m_nDevIDNum);
    RemoveIfMatching(removeDevice, devices, device, hardwareId, theApp.m_ExtDevDrv, theApp.m_nExtDevIDNum);
  });
  return walked ? 1 : 0;
}
