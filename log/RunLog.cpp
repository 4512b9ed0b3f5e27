#include "log/RunLog.h"

#include "platform/afx/afxstr.h"

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;

void WriteText(const CString& text) {
  if (g_log == INVALID_HANDLE_VALUE) return;
  // The steps around a line read the error of their own last call.
  const DWORD lastError = GetLastError();
  DWORD written = 0;
  // A write that fails loses that line only; the run goes on as without a log.
  WriteFile(g_log, static_cast<LPCSTR>(text), static_cast<DWORD>(text.GetLength()), &written, nullptr);
  SetLastError(lastError);
}

}  // namespace

bool OpenRunLog(const char* path) {
  CloseRunLog();
  if (path == nullptr || path[0] == '\0') return false;
  // Others may read it while the run goes on; nobody else writes it.
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  g_log = file;
  return true;
}

void CloseRunLog() {
  if (g_log == INVALID_HANDLE_VALUE) return;
  CloseHandle(g_log);
  g_log = INVALID_HANDLE_VALUE;
}

bool RunLogIsOpen() { return g_log != INVALID_HANDLE_VALUE; }

void LogEvent(const char* what, const char* subject, const char* outcome) {
  if (g_log == INVALID_HANDLE_VALUE) return;
  CString line(what);
  if (subject != nullptr && subject[0] != '\0') line += CString(" ") + subject;
  if (outcome != nullptr && outcome[0] != '\0') line += CString(": ") + outcome;
  WriteText(line + "\r\n");
}

void LogLine(const char* text) {
  if (g_log == INVALID_HANDLE_VALUE) return;
  WriteText(CString(text) + "\r\n");
}

namespace {

void LogText(const char* what, const char* caption, const char* text) {
  if (g_log == INVALID_HANDLE_VALUE) return;
  CString oneLine(text);
  oneLine.Replace("\r", "");
  oneLine.Replace("\n", "\\n");
  LogEvent(what, caption, oneLine);
}

}  // namespace

void LogBox(const char* caption, const char* text) { LogText("box", caption, text); }

void LogMessage(const char* caption, const char* text) { LogText("message", caption, text); }
