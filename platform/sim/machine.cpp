#include "platform/sim/machine.h"

#include <vector>

#include "platform/sim/faults.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/win32_api.h"

namespace sim {
namespace {

std::vector<void (*)()>& Hooks() {
  static std::vector<void (*)()> hooks;
  return hooks;
}

VersionInfo& CurrentVersion() {
  static VersionInfo version{VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1"};
  return version;
}

struct NamedVersion {
  const char* name;
  VersionInfo info;
};

// As Wine reports them for its Version setting to this program, whose
// manifest declares Windows 8.1 and 10: those report their own numbers to it
// (to a program without such a manifest both say 6.2, as Windows 8 does).
// Windows 10's build depends on its release; Wine gives 1903's.
const NamedVersion kVersions[] = {
    {"win95", {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0x040003B6, ""}},
    {"win98", {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A08AE, " A "}},
    {"winme", {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0x045A0BB8, " "}},
    {"nt40", {VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6a"}},
    {"win2k", {VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4"}},
    {"winxp", {VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3"}},
    {"win2003", {VER_PLATFORM_WIN32_NT, 5, 2, 3790, "Service Pack 2"}},
    {"vista", {VER_PLATFORM_WIN32_NT, 6, 0, 6002, "Service Pack 2"}},
    {"win7", {VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1"}},
    {"win8", {VER_PLATFORM_WIN32_NT, 6, 2, 9200, ""}},
    {"win81", {VER_PLATFORM_WIN32_NT, 6, 3, 9600, ""}},
    {"win10", {VER_PLATFORM_WIN32_NT, 10, 0, 18362, ""}},
};

ResetHook resetVersion([] { SetVersion("win7"); });

}  // namespace

ResetHook::ResetHook(void (*reset)()) { Hooks().push_back(reset); }

void Reset() {
  ClearFaults();
  ClearCallLog();
  SetCallLogging(true);
  for (auto hook : Hooks()) hook();
  // What every installed Windows has before any package is added.
  registry::SetString("HKCU\\Control Panel\\International", "iCountry", "1");
  registry::SetString("HKCU\\Control Panel\\International", "Locale", "00000409");
  registry::Create("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  registry::Create("HKLM\\SYSTEM\\CurrentControlSet\\Services");
  registry::Create("HKLM\\SYSTEM\\CurrentControlSet\\Enum");
  registry::Create("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager");
  SetLastError(0);
}

bool SetVersion(const std::string& name) {
  for (const NamedVersion& known : kVersions) {
    if (EqualsNoCase(name, known.name)) {
      CurrentVersion() = known.info;
      return true;
    }
  }
  return false;
}

void SetVersion(const VersionInfo& version) { CurrentVersion() = version; }
const VersionInfo& Version() { return CurrentVersion(); }
bool IsWin9xFamily() { return CurrentVersion().platformId == VER_PLATFORM_WIN32_WINDOWS; }

}  // namespace sim

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (DWORD fault = sim::CheckFault("GetVersionExA", "")) {
    SetLastError(fault);
    return FALSE;
  }
  const sim::VersionInfo& v = sim::Version();
  info->dwMajorVersion = v.major;
  info->dwMinorVersion = v.minor;
  info->dwBuildNumber = v.build;
  info->dwPlatformId = v.platformId;
  size_t n = v.csd.size() < sizeof(info->szCSDVersion) - 1 ? v.csd.size() : sizeof(info->szCSDVersion) - 1;
  for (size_t i = 0; i < n; ++i) info->szCSDVersion[i] = v.csd[i];
  info->szCSDVersion[n] = '\0';
  return TRUE;
}
