#include <set>
#include <string>

#include "devices/DeviceScan.h"
#include "devices/HardwareIdRead.h"
#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "platform/system/SystemFunction.h"
#include "profile/RunProfile.h"

namespace {

// Looked up at run time: Windows 98 and ME lack it, and one missing import
// keeps their loader from starting the whole program.
using RemoveDeviceFunction = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA);

struct RemovalOutcome {
  bool matched = false;
  bool gone = false;  // one request succeeded, or the device was already gone
  DWORD error = ERROR_SUCCESS;  // why the last request failed
};

// One removal request per matching entry; a device matching two entries is
// simply asked twice, and the second request finds it gone.
void RemoveIfMatching(RemoveDeviceFunction removeDevice, HDEVINFO devices, PSP_DEVINFO_DATA device,
                      const char* hardwareId, const DRVENTRY* entries, int count, RemovalOutcome* outcome) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    if (!HardwareIdMatches(hardwareId, entries[i].szDrvID)) continue;
    outcome->matched = true;
    // A Windows without the function can remove no device: each stays.
    const BOOL removed = removeDevice != nullptr && removeDevice(devices, device);
    const DWORD error = removed ? ERROR_SUCCESS : removeDevice == nullptr ? ERROR_PROC_NOT_FOUND : GetLastError();
    if (removed || error == ERROR_NO_SUCH_DEVINST) outcome->gone = true;
    if (!removed) outcome->error = error;
  }
}

// Walks the devices the list names and removes the package's. FALSE when
// there was no list; *cutShort when the walk ended early and may have passed
// over one.
BOOL RemoveFromList(DeviceWalk which, RemoveDeviceFunction removeDevice, std::set<std::string>* named,
                    bool* cutShort) {
  const BOOL walked = WalkDevices(which, [removeDevice, named](HDEVINFO devices, PSP_DEVINFO_DATA device,
                                                               const char* hardwareId) {
    const UninstProfile& profile = TheProfile();
    RemovalOutcome outcome;
    RemoveIfMatching(removeDevice, devices, device, hardwareId, profile.m_DevDrv, profile.m_nDevIDNum, &outcome);
    RemoveIfMatching(removeDevice, devices, device, hardwareId, profile.m_ExtDevDrv, profile.m_nExtDevIDNum, &outcome);
    // The user finds a device by its hardware ID in Device Manager. A present
    // device that stayed is listed again with the others: named once.
    if (outcome.matched && outcome.gone) LogEvent("device", hardwareId, "removed");
    if (outcome.matched && !outcome.gone && named->insert(hardwareId).second) {
      LogEvent("device", hardwareId, ("removal refused, error " + std::to_string(outcome.error)).c_str());
      NoteLeftover(hardwareId);
    }
  });
  if (!walked || GetLastError() != ERROR_NO_MORE_ITEMS) *cutShort = true;
  return walked;
}

}  // namespace

int RemoveMatchedDevices() {
  const RemoveDeviceFunction removeDevice =
      GetSystemFunctionAs<RemoveDeviceFunction>("setupapi.dll", "SetupDiRemoveDevice");
  std::set<std::string> named;
  bool cutShort = false;
  const BOOL walked = RemoveFromList(PRESENT_DEVICES, removeDevice, &named, &cutShort);
  // A node Windows keeps of a device not plugged in now still binds it to
  // the package's driver and services, and counts as a device using its INF.
  RemoveFromList(EVERY_DEVICE, removeDevice, &named, &cutShort);
  if (cutShort) {
    LogEvent("device list", "", "could not be read to its end");
    NoteLeftover("Devices: the device list could not be read to its end");
  }
  return walked && removeDevice != nullptr ? 1 : 0;
}
