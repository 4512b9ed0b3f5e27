#include "tools/scenario/run_program.h"

#include "app/DrvUninstApp.h"
#include "removal/Leftovers.h"

namespace scenario {

void ResetProgramState() {
  static_cast<UninstProfile&>(theApp) = UninstProfile{};
  g_nVenIDNum = 0;
  g_nCxIDNum = 0;
  g_bUsbDevice = FALSE;
  for (CString& id : g_strVenID) id = "";
  for (CString& id : g_strCxID) id = "";
  g_szClassKey[0] = '\0';
  theApp.m_pMainWnd = nullptr;
  ResetLeftovers();
}

int RunProgram() {
  ResetProgramState();
  return AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
}

}  // namespace scenario
