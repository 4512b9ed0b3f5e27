// Completing a primary entry from the variant that matched its device.
#pragma once

#include "platform/win32.h"
#include "profile/UninstProfile.h"

inline void CopyDrvEntry(DRVENTRY* to, const DRVENTRY& from) {
  lstrcpynA(to->szDrvID, from.szDrvID, DRV_FIELD_SIZE);
  lstrcpynA(to->szDrvName, from.szDrvName, DRV_FIELD_SIZE);
  lstrcpynA(to->szDrvSYS, from.szDrvSYS, DRV_FIELD_SIZE);
  lstrcpynA(to->szDrvINF, from.szDrvINF, DRV_FIELD_SIZE);
}
