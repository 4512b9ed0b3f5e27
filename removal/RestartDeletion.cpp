#include "removal/RestartDeletion.h"

#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "removal/WininitRename.h"

namespace {
RestartList g_restartList = RESTART_LIST_PENDING_RENAMES;
}  // namespace

void UseRestartList(RestartList list) { g_restartList = list; }

bool ScheduleDeletionAtRestart(LPCSTR path) {
  if (g_restartList == RESTART_LIST_WININIT) return AddWininitDeletion(path);
  return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

void DeleteFileOrSchedule(LPCSTR path) {
  if (DeleteFileA(path)) {
    LogEvent("file", path, "removed");
    return;
  }
  ScheduleFileLeftBehind(path);
}

DWORD AttributesOfFileToActOn(LPCSTR path, const char* goneOutcome) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD lookup = GetLastError();
    // Only "not found" says the file is gone; one whose state cannot be read
    // (access denied, a network error) may well be there still.
    if (lookup == ERROR_FILE_NOT_FOUND || lookup == ERROR_PATH_NOT_FOUND) {
      LogEvent("file", path, goneOutcome);
    } else {
      LogEvent("file", path, "state unreadable");
      NoteLeftover(path);
    }
    return INVALID_FILE_ATTRIBUTES;
  }
  // A name given as a file may be a directory here: not ours to touch.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    LogEvent("file", path, "kept: a directory");
    return INVALID_FILE_ATTRIBUTES;
  }
  return attributes;
}

void ScheduleFileLeftBehind(LPCSTR path) {
  if (AttributesOfFileToActOn(path, "already gone") == INVALID_FILE_ATTRIBUTES) return;
  if (ScheduleDeletionAtRestart(path)) {
    LogEvent("file", path, "removed at the restart");
    return;
  }
  LogEvent("file", path, "neither deleted nor scheduled for the restart");
  NoteLeftover(path);
}
