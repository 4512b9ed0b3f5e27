#include "platform/system/WindowsBitness.h"

#include <cstring>

#include "platform/system/SystemFunction.h"

bool IsWindows64Bit() {
  // Windows XP and later; without it the system is a 32-bit one.
  auto getNativeSystemInfo = GetSystemFunctionAs<void(WINAPI*)(LPSYSTEM_INFO)>("kernel32.dll", "GetNativeSystemInfo");
  if (getNativeSystemInfo == nullptr) return false;
  SYSTEM_INFO info;
  std::memset(&info, 0, sizeof(info));
  getNativeSystemInfo(&info);
  const WORD architecture = info.wProcessorArchitecture;
  return architecture == PROCESSOR_ARCHITECTURE_AMD64 || architecture == PROCESSOR_ARCHITECTURE_IA64 ||
         architecture == PROCESSOR_ARCHITECTURE_ARM64;
}

bool RunsUnderWow64() {
  // Windows 2000 and XP before SP2 lack it; neither runs 32-bit programs on 64 bits.
  auto isWow64Process = GetSystemFunctionAs<BOOL(WINAPI*)(HANDLE, PBOOL)>("kernel32.dll", "IsWow64Process");
  if (isWow64Process == nullptr) return false;
  BOOL wow64 = FALSE;
  HANDLE self = GetCurrentProcess();
  if (!isWow64Process(self, &wow64)) return false;
  return wow64 != FALSE;
}

int SoftwareRegistryViews(REGSAM views[MAX_REGISTRY_VIEWS]) {
  if (!IsWindows64Bit()) {
    views[0] = 0;
    return 1;
  }
  views[0] = KEY_WOW64_64KEY;
  views[1] = KEY_WOW64_32KEY;
  return 2;
}
