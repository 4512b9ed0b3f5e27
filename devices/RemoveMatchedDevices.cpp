#include <set>
#include <string>

#include "app/DrvUninstApp.h"
#include "app/SystemFunction.h"
#include "devices/DeviceScan.h"
#include "devices/HardwareIdRead.h"
#include "removal/Leftovers.h"

namespace {

// Looked up at run time: Windows 98 and ME lack it, and one missing import
// keeps their loader from starting the whole program.
using RemoveDeviceFunction = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA);

struct RemovalOutcome {
  bool matched = false;
  bool gone = false;  // one request succeeded, or the device was already gone
};

// One removal request per matching entry; a device matching two entries is
// simply asked twice, and the second request finds it gone.
void RemoveIfMatching(RemoveDeviceFunction removeDevice, HDEVINFO devices, PSP_DEVINFO_DATA device,
                      const char* hardwareId, const DRVENTRY* entries, int count, RemovalOutcome* outcome) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    if (!HardwareIdMatches(hardwareId, entries[i].szDrvID)) continue;
    outcome->matched = true;
    const BOOL removed = removeDevice(devices, device);
    if (removed || GetLastError() == ERROR_NO_SUCH_DEVINST) outcome->gone = true;
  }
}

}  // namespace

int RemoveMatchedDevices() {
  const RemoveDeviceFunction removeDevice =
      GetSystemFunctionAs<RemoveDeviceFunction>("setupapi.dll", "SetupDiRemoveDevice");
  if (removeDevice == nullptr) return 0;  // a Windows without it can remove no device
  // A present device that stayed is listed again with the others: it is
  // asked once more, and named once.
  std::set<std::string> named;
  const auto removeMatching = [removeDevice, &named](HDEVINFO devices, PSP_DEVINFO_DATA device,
                                                     const char* hardwareId) {
    RemovalOutcome outcome;
    RemoveIfMatching(removeDevice, devices, device, hardwareId, theApp.m_DevDrv, theApp.m_nDevIDNum, &outcome);
    RemoveIfMatching(removeDevice, devices, device, hardwareId, theApp.m_ExtDevDrv, theApp.m_nExtDevIDNum, &outcome);
    // The user finds a device by its hardware ID in Device Manager.
    if (outcome.matched && !outcome.gone && named.insert(hardwareId).second) NoteLeftover(hardwareId);
  };
  const BOOL walked = WalkDevices(PRESENT_DEVICES, removeMatching);
  // A node Windows keeps of a device not plugged in now still binds it to
  // the package's driver and services, and counts as a device using its INF.
  WalkDevices(EVERY_DEVICE, removeMatching);
  return walked ? 1 : 0;
}
