// The whole removal on the NT family, run inside the OK button's handler.
#include <cstring>

#include "devices/DeviceScan.h"
#include "devices/OtherDevices.h"
#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "log/UserMessage.h"
#include "platform/system/WindowsVersion.h"
#include "profile/RunProfile.h"
#include "removal/DriverPackage.h"
#include "removal/InfCollection.h"
#include "removal/RegistryNames.h"
#include "removal/Removal.h"
#include "removal/RemovalSequences.h"
#include "removal/RemovalSteps.h"
#include "removal/RestartDeletion.h"

namespace {

// The pair is shown at its step, as the user has always seen it; the files
// themselves go after the devices (see DriverPackages).
void ShowInfAndPnf(CWnd& dialog, const char* infName, const OtherDevicesUse& others,
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

int RunUninstallNT(CDialog& dialog, int* foundDevices) {
  // The device scan completes its matched entries in place; the steps read them so.
  const UninstProfile& profile = TheProfile();
  UseRestartList(RESTART_LIST_PENDING_RENAMES);
  ShowProgressDisplay(dialog);

  *foundDevices = ScanDevicesNT();
  // A walk cut short by a failure counted only part of the devices; its
  // count must not pass for the package's, or the removal would go on
  // unconfirmed and take devices the check never saw.
  const bool listedToTheEnd = GetLastError() == ERROR_NO_MORE_ITEMS;
  const bool confirmed = *foundDevices == profile.m_nDevIDNum && listedToTheEnd;
  LogDeviceCount(*foundDevices, profile.m_nDevIDNum, listedToTheEnd, confirmed);
  if (!confirmed) {
    dialog.OnOK();
    // Owned by the ended dialog, as the final message is.
    TellUserInBox(dialog.m_hWnd, profile.m_szUnInstDrvAppTitle, profile.m_szUnInstDrvNoDevMsg, MB_ICONWARNING);
    return 0;
  }

  if (GetNTMinorVersion() != 0) KillProcessByName("ehRecvr.exe");

  ChooseClassKey(profile.m_szMediaClass);
  InfList infFiles;
  CollectInfFiles(&infFiles);
  DriverPackages packages;
  if (infFiles.count > 0) {
    const OtherDevicesUse others = FindOtherDevicesUse();
    for (int i = 0; i < infFiles.count; ++i) ShowInfAndPnf(dialog, infFiles.slots[i], others, &packages);
  }

  DeleteDriverFiles(dialog, profile.m_DevDrv, profile.m_nDevIDNum);
  DeleteDriverFiles(dialog, profile.m_ExtDevDrv, profile.m_nExtDevIDNum);

  const int supportFiles = UsableCount(profile.m_nExtDllFileNum, MAX_DRV_ENTRIES);
  for (int i = 0; i < supportFiles; ++i) {
    CString path;
    if (BuildRemovalPath("\\system32\\", profile.m_szExtCopyFileName[i], &path)) DeleteShownFile(dialog, path, true);
  }

  DeleteUninstaller(dialog);

  RemoveMatchedDevices();
  packages.RemoveAfterDevices();
  SetProgress(dialog, 90);
  CleanRegistryNT();
  SetProgress(dialog, 100);

  dialog.OnOK();
  ShowFinalMessage(dialog);
  return 1;
}
