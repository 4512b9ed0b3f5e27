#include "removal/RemovalSteps.h"

#include <cstring>
#include <string>

#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "log/UserMessage.h"
#include "profile/RunProfile.h"
#include "removal/FinalMessage.h"
#include "removal/ProgressControls.h"
#include "removal/RestartDeletion.h"

namespace {
const UINT kDirectorySize = 100;
const DWORD kStepPauseMs = 20;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The next character: a double-byte character of the system code page is one
// character, and its second byte may look like a separator.
const char* NextCharacter(const char* c) {
  if (IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(*c)) && c[1] != '\0') return c + 2;
  return c + 1;
}

// Calls visit(begin, end) for each part between separators, the last one
// included; stops at the first part for which it returns true.
template <typename Visit>
bool AnyPart(const char* name, Visit visit) {
  const char* part = name;
  for (const char* c = name;; c = NextCharacter(c)) {
    if (*c != '\0' && !IsSeparator(*c)) continue;
    if (visit(part, c)) return true;
    if (*c == '\0') return false;
    part = c + 1;
  }
}

// A name whose last part is empty, "." or ".." names a directory, never a
// file: "\" would be the directory itself.
bool NamesNoFile(const char* fileName) {
  const char* last = fileName;
  AnyPart(fileName, [&last](const char* begin, const char*) {
    last = begin;
    return false;
  });
  return std::strcmp(last, "") == 0 || std::strcmp(last, ".") == 0 || std::strcmp(last, "..") == 0;
}

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

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices in every folder, with
// any extension and with blanks before it ("nul .txt"), case ignored.
bool IsDevicePart(const char* begin, const char* end) {
  const char* base = begin;
  while (base != end && *base != '.') ++base;
  while (base != begin && base[-1] == ' ') --base;
  const size_t length = static_cast<size_t>(base - begin);
  const std::string name(begin, length);
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (lstrcmpiA(name.c_str(), device) == 0) return true;
  }
  if (length != 4 || begin[3] < '1' || begin[3] > '9') return false;
  return _strnicmp(begin, "COM", 3) == 0 || _strnicmp(begin, "LPT", 3) == 0;
}

void SetItemText(CWnd& dialog, int id, LPCSTR text) {
  if (CWnd* item = dialog.GetDlgItem(id)) item->SetWindowText(text);
}

LRESULT SendToProgressBar(CWnd& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* bar = dialog.GetDlgItem(IDC_PROGRESS);
  return bar == nullptr ? 0 : bar->SendMessage(message, wParam, lParam);
}
}  // namespace

bool LeavesItsDirectory(const char* fileName) {
  if (IsSeparator(fileName[0])) return true;
  if (fileName[0] != '\0' && fileName[1] == ':') return true;
  return AnyPart(fileName, IsParentPart);
}

bool NamesAStreamOrDevice(const char* fileName) {
  return std::strchr(fileName, ':') != nullptr || AnyPart(fileName, IsDevicePart);
}

bool IsRefusedFileName(const char* fileName) {
  return LeavesItsDirectory(fileName) || NamesAStreamOrDevice(fileName);
}

void ShowProgressDisplay(CWnd& dialog) {
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
  if (NamesNoFile(fileName)) return false;
  const bool refused = IsRefusedFileName(fileName);
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
  CString joined = CString(directory) + fileName;
  joined.MakeLower();
  // The profile meant something to go: what was not acted on stays, and is said so.
  if (refused) {
    LogEvent("file", joined, "refused: not a file of its folder");
    NoteLeftover(joined);
    return false;
  }
  *path = joined;
  return true;
}

void ShowStatusLine(CWnd& dialog, LPCSTR text) { SetItemText(dialog, IDC_FILE_LINE, text); }

bool NamesADirectory(LPCSTR path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void DeleteShownFile(CWnd& dialog, const CString& path, bool resetAttributes) {
  ShowStatusLine(dialog, path);
  // The handler holds the thread until the end; paint now or the user sees nothing.
  dialog.UpdateWindow();
  const DWORD attributes = AttributesOfFileToActOn(path, "not there");
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (resetAttributes) SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
  if (DeleteFileA(path)) {
    LogEvent("file", path, "removed");
    return;
  }
  // The read-only uninstaller stays, as it always has: not deleted later either.
  if (!resetAttributes && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    LogEvent("file", path, "kept: read-only");
    return;
  }
  ScheduleFileLeftBehind(path);
}

void DeleteDriverFiles(CWnd& dialog, const DRVENTRY* entries, int count) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    CString path;
    if (BuildRemovalPath("\\system32\\drivers\\", entries[i].szDrvSYS, &path)) DeleteShownFile(dialog, path, true);
    StepProgress(dialog, true);
  }
}

void DeleteUninstaller(CWnd& dialog) {
  CString uninstaller;
  const char* name = TheProfile().m_szDrvUninstAppName;
  if (BuildRemovalPath("\\", name, &uninstaller)) DeleteShownFile(dialog, uninstaller, false);
  StepProgress(dialog, false);
}

void StepProgress(CWnd& dialog, bool pause) {
  SendToProgressBar(dialog, PBM_STEPIT, 0, 0);
  dialog.UpdateWindow();
  if (pause) Sleep(kStepPauseMs);
}

void SetProgress(CWnd& dialog, int position) {
  SendToProgressBar(dialog, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  dialog.UpdateWindow();
}

void ShowFinalMessage(CWnd& dialog) {
  const UINT icon = RunLeftSomething() ? MB_ICONWARNING : MB_ICONINFORMATION;
  TellUserInBox(dialog.m_hWnd, TheProfile().m_szUnInstDrvAppTitle, FinalMessageText(), icon);
}
