// The whole removal on Windows 95, 98 and ME, run inside the OK button's handler.
#include "devices/DeviceScan.h"
#include "profile/RunProfile.h"
#include "removal/Removal.h"
#include "removal/RemovalSequences.h"
#include "removal/RemovalSteps.h"
#include "removal/RestartDeletion.h"

namespace {

void DeleteInfFiles(CWnd& dialog, const DRVENTRY* entries, int count, bool withPnf) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    CString infPath;
    if (BuildRemovalPath("\\inf\\", entries[i].szDrvINF, &infPath)) {
      DeleteShownFile(dialog, infPath, true);
      CString pnfName(entries[i].szDrvINF);
      pnfName.MakeLower();
      // Only the file name changes: a directory named like "x.inf" stays as it is.
      pnfName.Replace(".inf", ".pnf");
      CString pnfPath;
      if (withPnf && BuildRemovalPath("\\inf\\", pnfName, &pnfPath)) DeleteShownFile(dialog, pnfPath, true);
    }
    StepProgress(dialog, true);
  }
}

}  // namespace

int RunUninstallWin9x(CDialog& dialog) {
  // The device scan completes its matched entries in place; the steps read them so.
  const UninstProfile& profile = TheProfile();
  // Windows 9x has no MoveFileEx: its next start reads WININIT.INI.
  UseRestartList(RESTART_LIST_WININIT);
  ShowProgressDisplay(dialog);
  ScanDevicesWin9x();

  DeleteInfFiles(dialog, profile.m_DevDrv, profile.m_nDevIDNum, true);
  DeleteInfFiles(dialog, profile.m_ExtDevDrv, profile.m_nExtDevIDNum, true);
  DeleteInfFiles(dialog, profile.m_PossibleDevDrv, profile.m_nPossibleDevIDNum, false);

  DeleteDriverFiles(dialog, profile.m_DevDrv, profile.m_nDevIDNum);
  DeleteDriverFiles(dialog, profile.m_ExtDevDrv, profile.m_nExtDevIDNum);

  const int supportFiles = UsableCount(profile.m_nExtDllFileNum, MAX_DRV_ENTRIES);
  for (int i = 0; i < supportFiles; ++i) {
    CString path;
    if (BuildRemovalPath("\\system\\", profile.m_szExtCopyFileName[i], &path)) DeleteShownFile(dialog, path, true);
    StepProgress(dialog, true);
  }

  DeleteUninstaller(dialog);

  CleanRegistryWin9x();
  SetProgress(dialog, 100);

  dialog.OnOK();
  ShowFinalMessage(dialog);
  return 1;
}
