// Last error, local memory, string helpers and Sleep of the simulated machine.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sim/faults.h"
#include "platform/sim/kernel_state.h"
#include "platform/sim/machine.h"
#include "platform/sim/win32_api.h"

namespace sim {
namespace {

struct KernelState {
  DWORD lastError = 0;
  unsigned long long sleptMs = 0;
  size_t liveBlocks = 0;
};

KernelState& State() {
  static KernelState state;
  return state;
}

ResetHook resetKernel([] { State() = KernelState(); });

}  // namespace

unsigned long long SleptMilliseconds() { return State().sleptMs; }
size_t LiveLocalBlocks() { return State().liveBlocks; }

}  // namespace sim

DWORD GetLastError(void) { return sim::State().lastError; }
void SetLastError(DWORD dwErrCode) { sim::State().lastError = dwErrCode; }

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes) {
  if (DWORD fault = sim::CheckFault("LocalAlloc", std::to_string(uBytes))) {
    SetLastError(fault);
    return nullptr;
  }
  void* block = (uFlags & LMEM_ZEROINIT) ? std::calloc(uBytes == 0 ? 1 : uBytes, 1)
                                         : std::malloc(uBytes == 0 ? 1 : uBytes);
  if (block == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  ++sim::State().liveBlocks;
  return block;
}

HLOCAL LocalFree(HLOCAL hMem) {
  if (hMem != nullptr) {
    std::free(hMem);
    --sim::State().liveBlocks;
  }
  return nullptr;
}

int lstrcmpiA(LPCSTR a, LPCSTR b) {
  if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
  return strcasecmp(a, b);
}

int lstrcmpA(LPCSTR a, LPCSTR b) {
  if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
  return std::strcmp(a, b);
}

LPSTR lstrcatA(LPSTR a, LPCSTR b) { return std::strcat(a, b); }
LPSTR lstrcpyA(LPSTR a, LPCSTR b) { return std::strcpy(a, b); }

LPSTR lstrcpynA(LPSTR a, LPCSTR b, int max) {
  if (max <= 0) return a;
  int i = 0;
  for (; i < max - 1 && b[i] != '\0'; ++i) a[i] = b[i];
  a[i] = '\0';
  return a;
}

int lstrlenA(LPCSTR s) { return s == nullptr ? 0 : static_cast<int>(std::strlen(s)); }

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  // wsprintf never writes more than 1024 characters.
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(buffer, 1025, format, args);
  va_end(args);
  return written > 1024 ? 1024 : written;
}

void Sleep(DWORD dwMilliseconds) {
  sim::CheckFault("Sleep", std::to_string(dwMilliseconds));
  sim::State().sleptMs += dwMilliseconds;
}
