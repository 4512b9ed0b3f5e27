#include "devices/HardwareIdRead.h"

#include <cstring>

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
    if (error != ERROR_INSUFFICIENT_BUFFER) return HARDWARE_ID_FAILED;
    // Asking for no room at all (some platforms answer so for a zero-length
    // value), or for more at every try, is no list to read.
    if (required == 0 || attempt == kReadAttempts) return HARDWARE_ID_UNREADABLE;
    *block = LocalFree(*block);
    *block = LocalAlloc(LMEM_ZEROINIT, required + kTerminatorRoom);
    if (*block == nullptr) return HARDWARE_ID_FAILED;
    size = required;
  }
  // An empty value reads without any block: it names no hardware ID.
  *firstId = size == 0 ? "" : static_cast<const char*>(*block);
  return HARDWARE_ID_READ;
}

BOOL WalkPresentDevices(const DeviceVisit& visit) { return WalkDevices(PRESENT_DEVICES, visit); }

BOOL WalkDevices(DeviceWalk which, const DeviceVisit& visit, bool visitWithoutIds) {
  const DWORD flags = which == PRESENT_DEVICES ? DIGCF_PRESENT | DIGCF_ALLCLASSES : DIGCF_ALLCLASSES;
  HDEVINFO devices = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, flags);
  if (devices == INVALID_HANDLE_VALUE) return FALSE;

  SP_DEVINFO_DATA device;
  std::memset(&device, 0, sizeof(device));
  device.cbSize = sizeof(SP_DEVINFO_DATA);
  HLOCAL buffer = nullptr;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const char* hardwareId = nullptr;
    const HardwareIdRead read = ReadFirstHardwareId(devices, &device, &buffer, &hardwareId);
    if (read == HARDWARE_ID_FAILED) break;
    if (read == HARDWARE_ID_READ) visit(devices, &device, hardwareId);
    if (read != HARDWARE_ID_READ && visitWithoutIds) visit(devices, &device, "");
    buffer = LocalFree(buffer);
  }

  // The error that ended the walk outlives the list's destruction.
  const DWORD lastError = GetLastError();
  LocalFree(buffer);
  SetupDiDestroyDeviceInfoList(devices);
  SetLastError(lastError);
  return TRUE;
}
