// The 32-bit program on 64-bit Windows: the run goes to the 64-bit program it
// carries, or, when that cannot start, nothing is removed and the user is told.
#include "app/CarriedProgram.h"
#include "app/DrvUninstApp.h"
#include "log/RunLog.h"

namespace {
const char kCarriedFileName[] = "DrvUninst.exe";
const DWORD kHandOverFailed = 1;
}  // namespace

void CDrvUninstApp::HandOverTo64BitProgram() {
  DWORD exitCode = 0;
  if (RunCarriedProgram(kCarriedFileName, "", &exitCode)) {
    m_dwExitCode = exitCode;
    return;
  }
  LogEvent("hand-over", kCarriedFileName, "the 64-bit program could not run");
  LogBox(m_szUnInstDrvAppTitle, m_szUnInstDrv64FailMsg);
  MessageBoxA(nullptr, m_szUnInstDrv64FailMsg, m_szUnInstDrvAppTitle, MB_ICONERROR);
  m_dwExitCode = kHandOverFailed;
}
