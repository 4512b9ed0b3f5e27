#include "tools/scenario/run_program.h"

#include "app/DrvUninstApp.h"
#include "platform/sim/program_start.h"
#include "platform/sim/wow64.h"
#include "removal/Kept.h"
#include "removal/Leftovers.h"

namespace scenario {
namespace {

int StartFresh() {
  ResetProgramState();
  return AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
}

// A program the program starts (the carried 64-bit build) starts fresh too.
const bool kEntrySet = (sim::programs::SetProgramEntry(StartFresh), true);

}  // namespace

void ResetProgramState() {
  static_cast<UninstProfile&>(theApp) = UninstProfile{};
  theApp.m_dwExitCode = 0;
  g_nVenIDNum = 0;
  g_nCxIDNum = 0;
  g_bUsbDevice = FALSE;
  for (CString& id : g_strVenID) id = "";
  for (CString& id : g_strCxID) id = "";
  g_szClassKey[0] = '\0';
  theApp.m_pMainWnd = nullptr;
  ResetLeftovers();
  ResetKept();
}

int RunProgram(int processBits) {
  sim::wow64::SetProcessBits(processBits);
  const int exitCode = StartFresh();
  // Whoever looks at the machine afterwards sees it as its own build would.
  sim::wow64::SetProcessBits(0);
  return exitCode;
}

}  // namespace scenario
