#include "app/RunStart.h"

#include <string>

#include "app/DrvUninstApp.h"
#include "log/RunLog.h"
#include "platform/system/WindowsBitness.h"
#include "platform/system/WindowsVersion.h"

namespace {

// As res/DrvUninst.rc states it.
const char kProgramVersion[] = "3.1.0.1";

// The process's own bitness, asked of Windows as everything else is: a
// 32-bit process on 64-bit Windows runs under WOW64, any other one there is
// 64-bit.
const char* ProcessBitness() { return IsWindows64Bit() && !RunsUnderWow64() ? "64-bit" : "32-bit"; }

std::string WindowsDescription() {
  OSVERSIONINFOA info;
  if (!QueryWindowsVersion(&info)) return "version unknown";
  std::string text = std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + " build " +
                     std::to_string(info.dwBuildNumber & 0xFFFF);
  text += info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? ", 9x family" : ", NT family";
  text += IsWindows64Bit() ? ", 64-bit" : ", 32-bit";
  return text;
}

std::string ProfilePath() {
  char directory[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(directory, sizeof(directory));
  if (length == 0 || length >= sizeof(directory)) return "ZIZURUDO.ini";
  return std::string(directory) + "\\ZIZURUDO.ini";
}

}  // namespace

void LogRunStart(const CDrvUninstApp& app) {
  if (!RunLogIsOpen()) return;
  LogEvent("program", "DrvUninst.exe", (std::string("version ") + kProgramVersion + ", " + ProcessBitness()).c_str());
  LogEvent("windows", "", WindowsDescription().c_str());
  LogEvent("command line", "", app.m_lpCmdLine);
  LogEvent("profile", ProfilePath().c_str(), (std::string("section [") + app.m_szSection + "]").c_str());
}
