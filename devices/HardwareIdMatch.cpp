#include <cstring>
#include <string>

#include "devices/DeviceScan.h"
#include "log/RunLog.h"
#include "platform/win32.h"
#include "profile/RunProfile.h"

bool HardwareIdMatches(const char* hardwareId, const char* prefix) {
  // Comparing zero characters would match every device on the machine.
  if (prefix[0] == '\0') return false;
  return _strnicmp(hardwareId, prefix, strlen(prefix)) == 0;
}

namespace {

bool MatchesAnyEntry(const char* hardwareId, const DRVENTRY* entries, int count) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    if (HardwareIdMatches(hardwareId, entries[i].szDrvID)) return true;
  }
  return false;
}

}  // namespace

bool IsPackageDevice(const char* hardwareId) {
  const UninstProfile& profile = TheProfile();
  return MatchesAnyEntry(hardwareId, profile.m_DevDrv, profile.m_nDevIDNum) ||
         MatchesAnyEntry(hardwareId, profile.m_ExtDevDrv, profile.m_nExtDevIDNum);
}

int LogDeviceMatches(const char* hardwareId, int matches) {
  if (matches == 1) LogEvent("device", hardwareId, "present, matches an entry");
  if (matches > 1) LogEvent("device", hardwareId, ("present, matches " + std::to_string(matches) + " entries").c_str());
  return matches;
}

void LogDeviceCount(int found, int expected, bool listedToTheEnd, bool goesOn) {
  std::string line = std::to_string(found) + " found, DevIDNum " + std::to_string(expected);
  if (!listedToTheEnd) line += ", the device list could not be read to its end";
  line += goesOn ? ": the removal goes on" : ": the removal stops";
  LogEvent("device check", "", line.c_str());
}
