// The whole removal on the NT family, run inside the OK button's handler.
#include <cstring>

#include "app/DrvUninstApp.h"
#include "app/DrvUninstDlg.h"
#include "devices/DeviceScan.h"
#include "devices/OtherDevices.h"
#include "log/RunLog.h"
#include "removal/DriverPackage.h"
#include "removal/InfCollection.h"
#include "removal/Leftovers.h"
#include "removal/RegistryNames.h"
#include "removal/RemovalSteps.h"
#include "removal/RestartDeletion.h"
#include "removal/Removal.h"

namespace {

// The pair is shown at its step, as the user has always seen it; the files
// themselves go after the devices (see DriverPackages).
void ShowInfAndPnf(CDrvUninstDlg& dialog, const char* infName, const OtherDevicesUse& others,
                   DriverPackages* packages) {
  const CString pnfName = PnfNameFor(infName);
  CString infPath;
  CString pnfPath;
  const bool infBuilt = BuildRemovalPath("\\inf\\", infName, &infPath);
  const bool pnfBuilt = BuildRemovalPath("\\inf\\", pnfName, &pnfPath);
  // The two go together: one whose partner's path failed stays with it.
  const CString& single = infBuilt ? infPath : pnfPath;
  if (infBuilt != pnfBuilt && GetFileAttributesA(single) != INVALID_FILE_ATTRIBUTES) NoteLeftover(single);
  if (infBuilt && pnfBuilt) {
    ShowStatusLine(dialog, pnfPath);
    ShowStatusLine(dialog, infPath);
    packages->Take(infName, infPath, pnfPath, others);
  }
  StepProgress(dialog, true);
}

}  // namespace

int CDrvUninstDlg::UninstallNT() {
  UseRestartList(RESTART_LIST_PENDING_RENAMES);
  ShowProgressDisplay(*this);

  m_nFoundDevNum = ScanDevicesNT();
  // A walk cut short by a failure counted only part of the devices; its
  // count must not pass for the package's, or the removal would go on
  // unconfirmed and take devices the check never saw.
  const bool listedToTheEnd = GetLastError() == ERROR_NO_MORE_ITEMS;
  const bool confirmed = m_nFoundDevNum == theApp.m_nDevIDNum && listedToTheEnd;
  LogDeviceCount(m_nFoundDevNum, theApp.m_nDevIDNum, listedToTheEnd, confirmed);
  if (!confirmed) {
    OnOK();
    // Owned by the ended dialog, as the final message is.
    theApp.TellUser(m_hWnd, theApp.m_szUnInstDrvNoDevMsg, MB_ICONWARNING);
    return 0;
  }

  if (GetNTMinorVersion() != 0) KillProcessByName("ehRecvr.exe");

  ChooseClassKey(theApp.m_szMediaClass);
  InfList infFiles;
  CollectInfFiles(&infFiles);
  DriverPackages packages;
  if (infFiles.count > 0) {
    const OtherDevicesUse others = FindOtherDevicesUse();
    for (int i = 0; i < infFiles.count; ++i) ShowInfAndPnf(*this, infFiles.slots[i], others, &packages);
  }

  DeleteDriverFiles(*this, theApp.m_DevDrv, theApp.m_nDevIDNum);
  DeleteDriverFiles(*this, theApp.m_ExtDevDrv, theApp.m_nExtDevIDNum);

  const int supportFiles = UsableCount(theApp.m_nExtDllFileNum, MAX_DRV_ENTRIES);
  for (int i = 0; i < supportFiles; ++i) {
    CString path;
    if (BuildRemovalPath("\\system32\\", theApp.m_szExtCopyFileName[i], &path)) DeleteShownFile(*this, path, true);
  }

  DeleteUninstaller(*this);

  RemoveMatchedDevices();
  packages.RemoveAfterDevices();
  SetProgress(*this, 90);
  CleanRegistryNT();
  SetProgress(*this, 100);

  OnOK();
  ShowFinalMessage(*this);
  return 1;
}
