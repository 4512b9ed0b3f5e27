// The machine's and the process's bitness, IsWow64Process and
// GetNativeSystemInfo, and the WOW64 registry view and file redirection, as
// Microsoft documents them ("Registry Keys Affected by WOW64", "File System
// Redirector").
#include "platform/sim/wow64.h"

#include <vector>

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/modules.h"
#include "platform/sim/win32_api.h"
#include "platform/sim/win32_api_wow64.h"

namespace sim {
namespace wow64 {
namespace {

struct Bitness {
  int machine = 0;
  int process = 0;
};

Bitness& State() {
  static Bitness state;
  return state;
}

ResetHook resetBitness([] { State() = Bitness(); });

// Windows XP (5.1) and later; Windows Server 2003 SP1 and XP SP2 brought
// IsWow64Process, which every version the machine names here has.
bool FromWindowsXp(const VersionInfo& v) {
  return v.platformId == VER_PLATFORM_WIN32_NT && (v.major > 5 || (v.major == 5 && v.minor >= 1));
}

// The first 64-bit edition on x64 reported 5.2 (Windows XP x64, Server 2003).
bool HasA64BitEdition(const VersionInfo& v) {
  return v.platformId == VER_PLATFORM_WIN32_NT && (v.major > 5 || (v.major == 5 && v.minor >= 2));
}

bool OnWindows7OrLater(const VersionInfo& v) { return v.major > 6 || (v.major == 6 && v.minor >= 1); }

std::vector<std::string> SplitParts(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path + "\\") {
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  return parts;
}

std::string JoinParts(const std::vector<std::string>& parts) {
  std::string path;
  for (const std::string& part : parts) path += (path.empty() ? "" : "\\") + part;
  return path;
}

// Folders below system32 that a 32-bit process reaches unredirected.
bool IsExempt(const std::vector<std::string>& below) {
  if (below.empty()) return false;
  const std::string first = ToLower(below[0]);
  if (first == "catroot" || first == "catroot2" || first == "logfiles" || first == "spool") return true;
  if (first == "driverstore") return OnWindows7OrLater(Version());
  return first == "drivers" && below.size() > 1 && EqualsNoCase(below[1], "etc");
}

modules::Export isWow64Export("kernel32.dll", "IsWow64Process", reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&IsWow64Process)),
                              FromWindowsXp);
modules::Export nativeInfoExport("kernel32.dll", "GetNativeSystemInfo",
                                 reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&GetNativeSystemInfo)), FromWindowsXp);

}  // namespace

void SetMachineBits(int bits) { State().machine = bits; }

int MachineBits() {
  if (State().machine != 0) return State().machine;
  return HasA64BitEdition(Version()) ? 64 : 32;
}

void SetProcessBits(int bits) { State().process = bits; }

int ProcessBits() { return State().process != 0 ? State().process : MachineBits(); }

bool ProcessIsWow64() { return MachineBits() == 64 && ProcessBits() == 32; }

bool Reaches32BitView(DWORD sam) {
  if (MachineBits() != 64) return false;
  return (sam & KEY_WOW64_32KEY) != 0 || (ProcessBits() == 32 && (sam & KEY_WOW64_64KEY) == 0);
}

std::string RegistryViewPath(const std::string& logicalPath, DWORD sam) {
  if (!Reaches32BitView(sam)) return "";
  std::vector<std::string> parts = SplitParts(logicalPath);
  const bool machineRoot = !parts.empty() && (EqualsNoCase(parts[0], "HKLM") || EqualsNoCase(parts[0], "HKEY_LOCAL_MACHINE"));
  if (!machineRoot || parts.size() < 2 || !EqualsNoCase(parts[1], "Software")) return "";
  // A path that names the 32-bit view already stays as it is.
  if (parts.size() > 2 && EqualsNoCase(parts[2], "Wow6432Node")) return "";
  parts.insert(parts.begin() + 2, "Wow6432Node");
  return JoinParts(parts);
}

std::string RedirectFilePath(const std::string& absolutePath) {
  if (!ProcessIsWow64()) return absolutePath;
  char windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windows, sizeof(windows));
  if (length == 0 || length >= sizeof(windows)) return absolutePath;
  const std::vector<std::string> base = SplitParts(windows);
  std::vector<std::string> parts = SplitParts(absolutePath);
  if (parts.size() <= base.size()) return absolutePath;
  for (size_t i = 0; i < base.size(); ++i) {
    if (!EqualsNoCase(parts[i], base[i])) return absolutePath;
  }
  std::string& folder = parts[base.size()];
  const bool trailingSlash = absolutePath.back() == '\\' || absolutePath.back() == '/';
  if (EqualsNoCase(folder, "sysnative") && Version().major >= 6) {
    folder = "system32";
  } else if (EqualsNoCase(folder, "system32") &&
             !IsExempt(std::vector<std::string>(parts.begin() + base.size() + 1, parts.end()))) {
    folder = "SysWOW64";
  } else {
    return absolutePath;
  }
  return JoinParts(parts) + (trailingSlash ? "\\" : "");
}

}  // namespace wow64
}  // namespace sim

using namespace sim::wow64;

BOOL IsWow64Process(HANDLE hProcess, PBOOL Wow64Process) {
  if (DWORD fault = sim::CheckFault("IsWow64Process", "")) {
    SetLastError(fault);
    return FALSE;
  }
  if (Wow64Process == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The program asks only about itself; other processes count as native.
  *Wow64Process = hProcess == GetCurrentProcess() && ProcessIsWow64() ? TRUE : FALSE;
  return TRUE;
}

void GetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
  sim::CheckFault("GetNativeSystemInfo", "");
  if (lpSystemInfo == nullptr) return;
  *lpSystemInfo = SYSTEM_INFO();
  lpSystemInfo->wProcessorArchitecture =
      MachineBits() == 64 ? PROCESSOR_ARCHITECTURE_AMD64 : PROCESSOR_ARCHITECTURE_INTEL;
  lpSystemInfo->dwPageSize = 4096;
  lpSystemInfo->dwNumberOfProcessors = 2;
  lpSystemInfo->dwAllocationGranularity = 65536;
}
