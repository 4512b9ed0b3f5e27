#include "preview/DeviceCheck.h"

#include <algorithm>
#include <vector>

#include "devices/DeviceScan.h"
#include "devices/DrvEntryCopy.h"
#include "devices/HardwareIdRead.h"

namespace preview {
namespace {

std::string InstanceIdOf(HDEVINFO devices, PSP_DEVINFO_DATA device) {
  char id[512];
  DWORD required = 0;
  if (!SetupDiGetDeviceInstanceIdA(devices, device, id, sizeof(id), &required)) return "(instance ID not readable)";
  return id;
}

}  // namespace

DeviceCheck CheckDevices(const UninstProfile& profile) {
  DeviceCheck check;
  const int primaries = UsableCount(profile.m_nDevIDNum, MAX_DRV_ENTRIES);
  const int variants = UsableCount(profile.m_nPossibleDevIDNum, MAX_DRV_ENTRIES);
  check.expected = profile.m_nDevIDNum;
  std::vector<DRVENTRY> entries(profile.m_DevDrv, profile.m_DevDrv + primaries);
  for (int i = 0; i < primaries; ++i) check.entries.push_back({i, entries[i].szDrvID, {}});

  check.listed = WalkPresentDevices([&](HDEVINFO devices, PSP_DEVINFO_DATA device, const char* hardwareId) {
    for (int i = 0; i < primaries; ++i) {
      // The entry as earlier devices left it: a variant's longer prefix counts.
      if (!HardwareIdMatches(hardwareId, entries[i].szDrvID)) continue;
      ++check.count;
      MatchedDevice match{InstanceIdOf(devices, device), hardwareId, {}};
      for (int j = 0; j < variants; ++j) {
        if (!HardwareIdMatches(hardwareId, profile.m_PossibleDevDrv[j].szDrvID)) continue;
        CopyDrvEntry(&entries[i], profile.m_PossibleDevDrv[j]);
        match.variants.push_back(j);
      }
      check.entries[i].devices.push_back(match);
    }
  });
  const DWORD error = GetLastError();
  if (check.listed && error != ERROR_NO_MORE_ITEMS && error != ERROR_SUCCESS) {
    check.walkEnd = "the device walk ended early, error " + std::to_string(error) +
                    ": devices after that point were not compared";
  }
  return check;
}

}  // namespace preview
