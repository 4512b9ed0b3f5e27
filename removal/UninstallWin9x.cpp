// The whole removal on Windows 95, 98 and ME, run inside the OK button's handler.
#include "app/DrvUninstApp.h"
#include "app/DrvUninstDlg.h"
#include "devices/DeviceScan.h"
#include "removal/RemovalSteps.h"
#include "removal/RestartDeletion.h"
#include "removal/Removal.h"

namespace {

void DeleteInfFiles(CDrvUninstDlg& dialog, const DRVENTRY* entries, int count, bool withPnf) {
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

int CDrvUninstDlg::UninstallWin9x() {
  // Windows 9x has no MoveFileEx: its next start reads WININIT.INI.
  UseRestartList(RESTART_LIST_WININIT);
  ShowProgressDisplay(*this);
  ScanDevicesWin9x();

  DeleteInfFiles(*this, theApp.m_DevDrv, theApp.m_nDevIDNum, true);
  DeleteInfFiles(*this, theApp.m_ExtDevDrv, theApp.m_nExtDevIDNum, true);
  DeleteInfFiles(*this, theApp.m_PossibleDevDrv, theApp.m_nPossibleDevIDNum, false);

  DeleteDriverFiles(*this, theApp.m_DevDrv, theApp.m_nDevIDNum);
  DeleteDriverFiles(*this, theApp.m_ExtDevDrv, theApp.m_nExtDevIDNum);

  const int supportFiles = UsableCount(theApp.m_nExtDllFileNum, MAX_DRV_ENTRIES);
  for (int i = 0; i < supportFiles; ++i) {
    CString path;
    if (BuildRemovalPath("\\system\\", theApp.m_szExtCopyFileName[i], &path)) DeleteShownFile(*this, path, true);
    StepProgress(*this, true);
  }

  DeleteUninstaller(*this);

  CleanRegistryWin9x();
  SetProgress(*this, 100);

  OnOK();
  ShowFinalMessage(*this);
  return 1;
}
