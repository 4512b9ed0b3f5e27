#include "log/UserMessage.h"

#include "log/RunLog.h"

namespace {
bool g_quiet = false;
}  // namespace

void SetQuietRun(bool quiet) { g_quiet = quiet; }

void TellUserInBox(HWND owner, LPCSTR caption, LPCSTR text, UINT icon) {
  if (g_quiet) {
    LogMessage(caption, text);
    return;
  }
  LogBox(caption, text);
  MessageBoxA(owner, text, caption, MB_OK | icon);
}
