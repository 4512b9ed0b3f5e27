#include "image/run_program.h"

#include <sstream>

#include "app/DrvUninstApp.h"
#include "log/Kept.h"
#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "log/UserMessage.h"
#include "platform/sim/file_store.h"
#include "platform/sim/program_start.h"
#include "platform/sim/wow64.h"

namespace image {
namespace {

int g_lastExitCode = 0;

int StartFresh(const char* arguments) {
  ResetProgramState();
  return AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(arguments), SW_SHOWNORMAL);
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
  theApp.m_lpCmdLine = "";
  theApp.m_options = RunOptions();
  ResetLeftovers();
  ResetKept();
  SetQuietRun(false);
  CloseRunLog();
}

int RunProgram(int processBits) {
  sim::wow64::SetProcessBits(processBits);
  const int exitCode = StartFresh(sim::programs::StartArguments().c_str());
  g_lastExitCode = exitCode;
  // Whoever looks at the machine afterwards sees it as its own build would.
  sim::wow64::SetProcessBits(0);
  return exitCode;
}

int LastExitCode() { return g_lastExitCode; }

bool RunLogLines(std::vector<std::string>* lines) {
  RunOptions options;
  if (!ReadCommandLine(sim::programs::StartArguments().c_str(), &options) || !options.logged) return false;
  const auto file = sim::files::Get(static_cast<const char*>(options.logPath));
  if (!file || file->directory) return false;
  std::istringstream in(file->content);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines->push_back(line);
  }
  return true;
}

}  // namespace image
