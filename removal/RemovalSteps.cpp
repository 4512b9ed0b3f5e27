#include "removal/RemovalSteps.h"

#include <cstring>

#include "app/DrvUninstApp.h"
#include "log/RunLog.h"
#include "removal/FinalMessage.h"
#include "removal/Leftovers.h"
#include "removal/RestartDeletion.h"

namespace {
const UINT kDirectorySize = 100;
const DWORD kStepPauseMs = 20;

// A name whose last part is empty, "." or ".." names a directory, never a
// file: "\" would be the directory itself.
bool NamesNoFile(const char* fileName) {
  const char* last = fileName;
  for (const char* c = fileName; *c != '\0'; ++c) {
    if (*c == '\\' || *c == '/') last = c + 1;
  }
  return std::strcmp(last, "") == 0 || std::strcmp(last, ".") == 0 || std::strcmp(last, "..") == 0;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Windows takes ".." (and "...", ". .", with trailing dots and blanks cut)
// as the parent: any part of only dots and blanks with two dots or more.
bool IsParentPart(const char* begin, const char* end) {
  int dots = 0;
  for (const char* c = begin; c != end; ++c) {
    if (*c != '.' && *c != ' ') return false;
    dots += *c == '.' ? 1 : 0;
  }
  return dots >= 2;
}

void SetItemText(CDrvUninstDlg& dialog, int id, LPCSTR text) {
  if (CWnd* item = dialog.GetDlgItem(id)) item->SetWindowText(text);
}

LRESULT SendToProgressBar(CDrvUninstDlg& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* bar = dialog.GetDlgItem(IDC_PROGRESS);
  return bar == nullptr ? 0 : bar->SendMessage(message, wParam, lParam);
}
}  // namespace

bool LeavesItsDirectory(const char* fileName) {
  if (IsSeparator(fileName[0])) return true;
  if (fileName[0] != '\0' && fileName[1] == ':') return true;
  const char* part = fileName;
  for (const char* c = fileName;; ++c) {
    if (*c != '\0' && !IsSeparator(*c)) continue;
    if (IsParentPart(part, c)) return true;
    if (*c == '\0') return false;
    part = c + 1;
  }
}

void ShowProgressDisplay(CDrvUninstDlg& dialog) {
  SetItemText(dialog, IDC_TOP_LINE, "");
  SetItemText(dialog, IDC_HEADING, "Delete Files:");
  SetItemText(dialog, IDC_FILE_LINE, "");
  SetItemText(dialog, IDC_PROMPT, "");
  if (CWnd* bar = dialog.GetDlgItem(IDC_PROGRESS)) bar->ShowWindow(SW_SHOW);
  SendToProgressBar(dialog, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendToProgressBar(dialog, PBM_SETSTEP, 6, 0);
  dialog.UpdateWindow();
}

bool BuildRemovalPath(const char* subdirectory, const char* fileName, CString* path) {
  if (NamesNoFile(fileName) || LeavesItsDirectory(fileName)) return false;
  char directory[kDirectorySize];
  const UINT length = GetWindowsDirectoryA(directory, kDirectorySize);
  // The file is the package's, but this run cannot reach it: it stays, and
  // is named as staying.
  if (length == 0 || length >= kDirectorySize || length + std::strlen(subdirectory) >= kDirectorySize) {
    const CString unreached = CString("%windir%") + subdirectory + fileName;
    LogEvent("file", unreached, "skipped: the Windows directory could not be read or is too long");
    NoteLeftover(unreached);
    return false;
  }
  lstrcatA(directory, subdirectory);
  *path = CString(directory) + fileName;
  path->MakeLower();
  return true;
}

void ShowStatusLine(CDrvUninstDlg& dialog, LPCSTR text) { SetItemText(dialog, IDC_FILE_LINE, text); }

bool NamesADirectory(LPCSTR path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsReadOnly(LPCSTR path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

void DeleteShownFile(CDrvUninstDlg& dialog, const CString& path, bool resetAttributes) {
  ShowStatusLine(dialog, path);
  // The handler holds the thread until the end; paint now or the user sees nothing.
  dialog.UpdateWindow();
  if (NamesADirectory(path)) {
    LogEvent("file", path, "kept: a directory");
    return;
  }
  if (resetAttributes) SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
  if (DeleteFileA(path)) {
    LogEvent("file", path, "removed");
    return;
  }
  // The read-only uninstaller stays, as it always has: not deleted later either.
  if (!resetAttributes && IsReadOnly(path)) {
    LogEvent("file", path, "kept: read-only");
    return;
  }
  ScheduleFileLeftBehind(path);
}

void DeleteDriverFiles(CDrvUninstDlg& dialog, const DRVENTRY* entries, int count) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    CString path;
    if (BuildRemovalPath("\\system32\\drivers\\", entries[i].szDrvSYS, &path)) DeleteShownFile(dialog, path, true);
    StepProgress(dialog, true);
  }
}

void DeleteUninstaller(CDrvUninstDlg& dialog) {
  CString uninstaller;
  if (BuildRemovalPath("\\", theApp.m_szDrvUninstAppName, &uninstaller)) DeleteShownFile(dialog, uninstaller, false);
  StepProgress(dialog, false);
}

void StepProgress(CDrvUninstDlg& dialog, bool pause) {
  SendToProgressBar(dialog, PBM_STEPIT, 0, 0);
  dialog.UpdateWindow();
  if (pause) Sleep(kStepPauseMs);
}

void SetProgress(CDrvUninstDlg& dialog, int position) {
  SendToProgressBar(dialog, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  dialog.UpdateWindow();
}

void ShowFinalMessage(CDrvUninstDlg& dialog) {
  const UINT icon = RunLeftSomething() ? MB_ICONWARNING : MB_ICONINFORMATION;
  theApp.TellUser(dialog.m_hWnd, FinalMessageText(), icon);
}
