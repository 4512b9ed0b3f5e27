// A file the removal cannot delete now (a loaded DLL or driver, a file held
// open, a running uninstaller) is deleted at the next restart, which the
// final message asks for anyway.
#pragma once

#include "platform/win32.h"

// Where the running family keeps what the next restart deletes: the Session
// Manager's pending list (MoveFileExA) on the NT family, WININIT.INI on 9x.
enum RestartList { RESTART_LIST_PENDING_RENAMES, RESTART_LIST_WININIT };

// Each removal sequence names its family's list before it deletes anything.
void UseRestartList(RestartList list);

// Deletes the file; one that stays is scheduled for the next restart, and
// noted as a leftover when even that fails. A file already gone, or a
// directory, is left as it is; one whose state cannot be read is noted.
void DeleteFileOrSchedule(LPCSTR path);

// The attributes of a file the removal may act on. INVALID_FILE_ATTRIBUTES
// for one already gone (logged with goneOutcome), a directory, or a file whose
// state cannot be read, which may still be there and is named as left.
DWORD AttributesOfFileToActOn(LPCSTR path, const char* goneOutcome);

// The second half of the above, for a DeleteFileA that already failed.
void ScheduleFileLeftBehind(LPCSTR path);

// The next restart deletes the file; false when it cannot be scheduled.
bool ScheduleDeletionAtRestart(LPCSTR path);
