#include "removal/DriverPackage.h"

#include <cstring>
#include <string>

#include "app/SystemFunction.h"
#include "log/RunLog.h"

namespace {

using UninstallOemInfFunction = BOOL(WINAPI*)(PCSTR, DWORD, PVOID);

// The function takes a name in the INF directory, never a path.
bool IsBareFileName(const char* name) { return name[0] != '\0' && std::strpbrk(name, "\\/:") == nullptr; }

}  // namespace

void UninstallDriverPackage(const char* infName) {
  if (!IsBareFileName(infName)) return;
  const UninstallOemInfFunction uninstall =
      GetSystemFunctionAs<UninstallOemInfFunction>("setupapi.dll", "SetupUninstallOEMInfA");
  if (uninstall == nullptr) return;
  if (uninstall(infName, SUOI_FORCEDELETE, nullptr)) {
    LogEvent("driver package", infName, "uninstalled");
    return;
  }
  const std::string refused = "not uninstalled, error " + std::to_string(GetLastError());
  LogEvent("driver package", infName, refused.c_str());
}
