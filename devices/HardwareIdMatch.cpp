#include <cstring>

#include "devices/DeviceScan.h"
#include "platform/win32.h"

bool HardwareIdMatches(const char* hardwareId, const char* prefix) {
  // Comparing zero characters would match every device on the machine.
  if (prefix[0] == '\0') return false;
  return _strnicmp(hardwareId, prefix, strlen(prefix)) == 0;
}
