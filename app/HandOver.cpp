// The 32-bit program on 64-bit Windows: the run goes to the 64-bit program it
// carries, or, when that cannot start, nothing is removed and the user is told.
#include "app/CarriedProgram.h"
#include "app/DrvUninstApp.h"
#include "app/ExitCodes.h"
#include "app/RunStart.h"
#include "log/RunLog.h"

namespace {
const char kCarriedFileName[] = "DrvUninst.exe";
}  // namespace

void CDrvUninstApp::HandOverTo64BitProgram() {
  DWORD exitCode = 0;
  // The command line as it came: the 64-bit program reads the same switches.
  if (RunCarriedProgram(kCarriedFileName, m_lpCmdLine, &exitCode)) {
    m_dwExitCode = exitCode;
    return;
  }
  // No program did the work, so this one writes what happened, if it can.
  if (m_options.logged && OpenRunLog(m_options.logPath)) LogRunStart(*this);
  LogEvent("hand-over", kCarriedFileName, "the 64-bit program could not run");
  TellUser(nullptr, m_szUnInstDrv64FailMsg, MB_ICONERROR);
  m_dwExitCode = EXIT_FAILED;
}
