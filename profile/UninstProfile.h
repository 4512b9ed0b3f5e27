// Everything the uninstaller knows about the package it removes, filled once
// from the profile file, and the globals the 9x device scan hands on to the
// 9x registry clean-up.
#pragma once

#include "platform/afx/afxstr.h"

// Fixed capacities of the profile and of the 9x ID lists.
enum {
  DRV_FIELD_SIZE = 128,
  MAX_DRV_ENTRIES = 15,
  MAX_ENUM_IDS = 10,
  TEXT_SIZE = 260,
};

struct DRVENTRY {
  char szDrvID[DRV_FIELD_SIZE];    // hardware-ID prefix
  char szDrvName[DRV_FIELD_SIZE];  // driver description ("DriverDesc")
  char szDrvSYS[DRV_FIELD_SIZE];   // kernel driver file name
  char szDrvINF[DRV_FIELD_SIZE];   // INF file name
};

// The profile members of the application object; kept in a plain base so a
// fresh, zero-filled profile is one assignment away.
struct UninstProfile {
  int m_nDevIDNum;
  int m_nExtDevIDNum;
  DRVENTRY m_DevDrv[MAX_DRV_ENTRIES];
  DRVENTRY m_ExtDevDrv[MAX_DRV_ENTRIES];
  int m_nExtDllFileNum;
  char m_szExtCopyFileName[MAX_DRV_ENTRIES][TEXT_SIZE];
  int m_nPossibleDevIDNum;
  DRVENTRY m_PossibleDevDrv[MAX_DRV_ENTRIES];
  int m_nPossibleExtDevIDNum;
  DRVENTRY m_PossibleExtDevDrv[MAX_DRV_ENTRIES];
  char m_szSection[32];
  char m_szDrvUninstRegKeyPath[DRV_FIELD_SIZE];
  char m_szDrvUninstRegKeyName[DRV_FIELD_SIZE];
  char m_szDrvUninstAppName[DRV_FIELD_SIZE];
  char m_szUnInstDrvAppTitle[TEXT_SIZE];
  char m_szUnInstNoRegKeyMsg[TEXT_SIZE];
  char m_szUnInstDrvPassMsg[TEXT_SIZE];
  char m_szUnInstDrvPassMsg2[TEXT_SIZE];
  char m_szUnInstDrvRunTipMsg[TEXT_SIZE];
  char m_szUnInstDrvLeftMsg[TEXT_SIZE];   // final message when items remain
  char m_szUnInstDrvLeftMoreMsg[TEXT_SIZE];  // "and %d more" after the items shown
  char m_szUnInstDrv64FailMsg[TEXT_SIZE]; // the 64-bit part could not be started
  char m_szUnInstDrvNoDevMsg[TEXT_SIZE];  // the device check stopped the removal
  char m_szMediaClass[DRV_FIELD_SIZE];
  int m_nUnInstServiceNum;
  char m_szUnInstService[MAX_DRV_ENTRIES][TEXT_SIZE];
  char m_szUnInstRemoteTitleName[TEXT_SIZE];
  char m_szOKText[32];
  // The maker's own keys, as paths below HKLM\Software ("Maker\Product").
  int m_nUnInstRegKeyNum;
  char m_szUnInstRegKey[MAX_DRV_ENTRIES][TEXT_SIZE];
};

extern CString g_strVenID[MAX_ENUM_IDS];
extern int g_nVenIDNum;
extern CString g_strCxID[MAX_ENUM_IDS];
extern int g_nCxIDNum;
extern BOOL g_bUsbDevice;
extern CString g_strUsbPrefix;
extern char g_szClassKey[256];

// The number of entries of a list that may be walked: its count, at most
// what the list holds, and nothing for a count of 0 or below.
inline int UsableCount(int count, int capacity) {
  if (count <= 0) return 0;
  return count < capacity ? count : capacity;
}
