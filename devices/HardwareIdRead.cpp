#include "devices/HardwareIdRead.h"

namespace {

// Two NUL bytes past the reported size, so a list stored without its
// terminators still ends inside the block.
const DWORD kTerminatorRoom = 2;

// A list that keeps growing between the size query and the read is given a
// few chances, not an endless loop.
const int kReadAttempts = 4;

}  // namespace

HardwareIdRead ReadFirstHardwareId(HDEVINFO devices, PSP_DEVINFO_DATA device, HLOCAL* block,
                                   const char** firstId) {
  DWORD type = 0;
  DWORD required = 0;
  DWORD size = 0;
  for (int attempt = 1; !SetupDiGetDeviceRegistryPropertyA(devices, device, SPDRP_HARDWAREID, &type,
                                                           static_cast<PBYTE>(*block), size, &required);
       ++attempt) {
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_DATA) return HARDWARE_ID_MISSING;
    if (error != ERROR_INSUFFICIENT_BUFFER || attempt == kReadAttempts) return HARDWARE_ID_FAILED;
    *block = LocalFree(*block);
    *block = LocalAlloc(LMEM_ZEROINIT, required + kTerminatorRoom);
    if (*block == nullptr) return HARDWARE_ID_FAILED;
    size = required;
  }
  // An empty value reads without any block: it names no hardware ID.
  *firstId = size == 0 ? "" : static_cast<const char*>(*block);
  return HARDWARE_ID_READ;
}
