#include <cstring>

#include "devices/DeviceScan.h"
#include "devices/DrvEntryCopy.h"
#include "devices/EnumKeyNames.h"
#include "devices/HardwareIdRead.h"
#include "profile/RunProfile.h"

namespace {

const DWORD kInitialBufferSize = 256;
const DWORD kGrowth = 16;
// NUL bytes kept past the size handed to the platform, so the first ID
// always ends inside the block.
const DWORD kTerminatorRoom = 2;
// A list that keeps growing between reads is given a few chances, not an
// endless loop.
const int kReadAttempts = 4;

// One block serves every device; it is replaced only when too small.
struct PropertyBuffer {
  HLOCAL block;
  DWORD capacity;  // bytes the platform may write
  DWORD size;      // passed as the buffer size; receives the reported size
};

HardwareIdRead ReadHardwareIds(HDEVINFO devices, PSP_DEVINFO_DATA device, PropertyBuffer* buffer) {
  DWORD type = 0;
  // A size reported on a failed read must never exceed the block.
  if (buffer->size > buffer->capacity) buffer->size = buffer->capacity;
  for (int attempt = 1; !SetupDiGetDeviceRegistryPropertyA(devices, device, SPDRP_HARDWAREID, &type,
                                                           static_cast<PBYTE>(buffer->block), buffer->size,
                                                           &buffer->size);
       ++attempt) {
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_DATA) return HARDWARE_ID_MISSING;
    if (error != ERROR_INSUFFICIENT_BUFFER) return HARDWARE_ID_FAILED;
    // A list that wants more room at every try cannot be read as one.
    if (attempt == kReadAttempts) return HARDWARE_ID_UNREADABLE;
    buffer->block = LocalFree(buffer->block);
    buffer->size += kGrowth;
    buffer->capacity = buffer->size;
    buffer->block = LocalAlloc(LMEM_ZEROINIT, buffer->capacity + kTerminatorRoom);
    if (buffer->block == nullptr) return HARDWARE_ID_FAILED;
  }
  // The block still holds the previous device's list past this one's end.
  memset(static_cast<char*>(buffer->block) + buffer->size, 0, kTerminatorRoom);
  return HARDWARE_ID_READ;
}

// Every matching variant completes the entry and names the device's key.
void CompleteFromVariants(DRVENTRY* entry, const char* hardwareId) {
  const UninstProfile& profile = TheProfile();
  const int variants = UsableCount(profile.m_nPossibleDevIDNum, MAX_DRV_ENTRIES);
  for (int j = 0; j < variants; ++j) {
    if (!HardwareIdMatches(hardwareId, profile.m_PossibleDevDrv[j].szDrvID)) continue;
    CopyDrvEntry(entry, profile.m_PossibleDevDrv[j]);
    RecordEnumKeyName(g_strVenID, &g_nVenIDNum, TailAt(hardwareId, "VEN"));
  }
}

// Without variants the key name comes from the entry itself for a USB
// device, and from the device's ID under the PCI branch.
void RecordOwnEntry(const DRVENTRY& entry, const char* hardwareId) {
  if (HardwareIdMatches(hardwareId, g_strUsbPrefix)) {
    g_bUsbDevice = TRUE;
    RecordEnumKeyName(g_strVenID, &g_nVenIDNum, TailAt(entry.szDrvID, "VID"));
    return;
  }
  RecordEnumKeyName(g_strVenID, &g_nVenIDNum, TailAt(hardwareId, "VEN"));
}

int MatchPrimaryEntries(const char* hardwareId) {
  int matches = 0;
  UninstProfile& profile = TheProfile();
  const int primaries = UsableCount(profile.m_nDevIDNum, MAX_DRV_ENTRIES);
  for (int i = 0; i < primaries; ++i) {
    if (!HardwareIdMatches(hardwareId, profile.m_DevDrv[i].szDrvID)) continue;
    ++matches;
    if (profile.m_nPossibleDevIDNum > 0) {
      CompleteFromVariants(&profile.m_DevDrv[i], hardwareId);
    } else if (profile.m_nPossibleDevIDNum == 0) {
      RecordOwnEntry(profile.m_DevDrv[i], hardwareId);
    }
  }
  return matches;
}

// Extension devices sit under the STREAM branch; the key name ends before '#'.
void RecordExtensionDevices(const char* hardwareId) {
  const UninstProfile& profile = TheProfile();
  const int extensions = UsableCount(profile.m_nExtDevIDNum, MAX_DRV_ENTRIES);
  for (int i = 0; i < extensions; ++i) {
    if (!HardwareIdMatches(hardwareId, profile.m_ExtDevDrv[i].szDrvID)) continue;
    RecordEnumKeyName(g_strCxID, &g_nCxIDNum, TailAt(hardwareId, "CX").SpanExcluding("#"));
  }
}

}  // namespace

int ScanDevicesWin9x() {
  int count = 0;
  HDEVINFO devices = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (devices == INVALID_HANDLE_VALUE) return 0;

  PropertyBuffer buffer;
  buffer.capacity = kInitialBufferSize;
  buffer.size = kInitialBufferSize;
  buffer.block = LocalAlloc(LMEM_ZEROINIT, buffer.capacity + kTerminatorRoom);

  SP_DEVINFO_DATA device;
  memset(&device, 0, sizeof(device));
  device.cbSize = sizeof(SP_DEVINFO_DATA);
  for (DWORD index = 0; buffer.block != nullptr && SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const HardwareIdRead read = ReadHardwareIds(devices, &device, &buffer);
    if (read == HARDWARE_ID_FAILED) break;
    if (read != HARDWARE_ID_READ) continue;
    const char* hardwareId = static_cast<const char*>(buffer.block);
    count += LogDeviceMatches(hardwareId, MatchPrimaryEntries(hardwareId));
    RecordExtensionDevices(hardwareId);
  }

  LocalFree(buffer.block);
  // The error that ended the walk outlives the list's destruction.
  const DWORD lastError = GetLastError();
  SetupDiDestroyDeviceInfoList(devices);
  SetLastError(lastError);
  return count;
}
