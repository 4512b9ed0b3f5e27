// Reading a device's hardware-ID list on the NT family: ask for the size,
// then read into a zero-filled block of that size.
#pragma once

#include <functional>

#include "platform/win32.h"

enum HardwareIdRead {
  HARDWARE_ID_READ,     // *firstId points at the device's first hardware ID
  HARDWARE_ID_MISSING,  // the device has no hardware-ID property
  // The platform keeps asking for room it never fills (a zero-length value,
  // or a list that grows at every read): passed over like a missing list,
  // so one odd device cannot stop the walk.
  HARDWARE_ID_UNREADABLE,
  HARDWARE_ID_FAILED,   // any other failure; the last error tells which
};

// *block is the caller's: a block held from before is released here before a
// new one is allocated, and the caller releases the last one.
HardwareIdRead ReadFirstHardwareId(HDEVINFO devices, PSP_DEVINFO_DATA device, HLOCAL* block,
                                   const char** firstId);

using DeviceVisit = std::function<void(HDEVINFO, PSP_DEVINFO_DATA, const char*)>;

// Which devices a walk lists: those plugged in now, or every device Windows
// keeps a node of (a stick seen on another port, one unplugged) as well.
enum DeviceWalk { PRESENT_DEVICES, EVERY_DEVICE };

// Hands each listed device of every class its first hardware ID; a device
// without hardware IDs, or whose list cannot be read as one, is passed over
// (or, with visitWithoutIds, handed "") and any other failed read ends the
// walk. The error that ended it is the last error on return. Returns FALSE
// when there was no device list to walk.
BOOL WalkDevices(DeviceWalk which, const DeviceVisit& visit, bool visitWithoutIds = false);
BOOL WalkPresentDevices(const DeviceVisit& visit);
