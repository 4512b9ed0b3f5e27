#include "devices/DeviceScan.h"
#include "devices/DrvEntryCopy.h"
#include "devices/HardwareIdRead.h"
#include "profile/RunProfile.h"

namespace {

// Counts the primary entries the device matches and completes each from
// every variant the device also matches; the last matching variant stays.
int MatchPrimaryEntries(const char* hardwareId) {
  int matches = 0;
  UninstProfile& profile = TheProfile();
  const int primaries = UsableCount(profile.m_nDevIDNum, MAX_DRV_ENTRIES);
  const int variants = UsableCount(profile.m_nPossibleDevIDNum, MAX_DRV_ENTRIES);
  for (int i = 0; i < primaries; ++i) {
    if (!HardwareIdMatches(hardwareId, profile.m_DevDrv[i].szDrvID)) continue;
    ++matches;
    for (int j = 0; j < variants; ++j) {
      if (HardwareIdMatches(hardwareId, profile.m_PossibleDevDrv[j].szDrvID)) {
        CopyDrvEntry(&profile.m_DevDrv[i], profile.m_PossibleDevDrv[j]);
      }
    }
  }
  return matches;
}

}  // namespace

int ScanDevicesNT() {
  int count = 0;
  WalkPresentDevices([&count](HDEVINFO, PSP_DEVINFO_DATA, const char* hardwareId) {
    count += LogDeviceMatches(hardwareId, MatchPrimaryEntries(hardwareId));
  });
  return count;
}
