// The steps both removal sequences share: the progress display, the paths
// they build, the deletion of one shown file and the final message.
#pragma once

#include "platform/afx/afxwin.h"
#include "profile/UninstProfile.h"

// Clears the prompt, shows "Delete Files:" and the progress bar, 0..100 by 6.
void ShowProgressDisplay(CWnd& dialog);

// Windows directory + subdirectory text + file name, lower-cased. False for
// a name that names no file (empty, or ending in a backslash, "." or ".."), a
// refused name (see IsRefusedFileName) or a Windows directory that does not
// fit the 100 characters the directory is built in: such a path is skipped.
// A refused name is noted as a leftover, joined to its directory; so is a
// file the directory keeps out of reach.
bool BuildRemovalPath(const char* subdirectory, const char* fileName, CString* path);

// A name that would reach outside the directory it is joined to: a parent
// part ("..", or dots and blanks as Windows reads them), a drive, or a
// leading separator (the root of the drive).
bool LeavesItsDirectory(const char* fileName);

// A name with a ":" (a drive, or a file's alternate data stream), or with a
// part that is a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any
// extension): no file of the package.
bool NamesAStreamOrDevice(const char* fileName);

// Either of the above: the uninstaller does not act on the name.
bool IsRefusedFileName(const char* fileName);

void ShowStatusLine(CWnd& dialog, LPCSTR text);

// A name the profile gives as a file may be a directory on this machine: its
// attributes are not ours to reset.
bool NamesADirectory(LPCSTR path);

// Shows the path in the status line and deletes it, first clearing
// read-only, hidden and system when resetAttributes is set. A file in use is
// deleted at the next restart; without resetAttributes a read-only file stays.
// A directory is left alone; a path whose state cannot be read is not acted
// on and is noted as a leftover.
void DeleteShownFile(CWnd& dialog, const CString& path, bool resetAttributes);

// The driver files of the first count entries, from system32\drivers: each
// shown, its attributes reset, deleted, then a step and a pause.
void DeleteDriverFiles(CWnd& dialog, const DRVENTRY* entries, int count);

// The product's own uninstaller in the Windows directory, deleted as it is:
// a read-only one stays. One step, no pause.
void DeleteUninstaller(CWnd& dialog);

// One step of the bar, then a pause when asked.
void StepProgress(CWnd& dialog, bool pause);
void SetProgress(CWnd& dialog, int position);

// The reboot message, owned by the (already ended) dialog; after a run that
// left something behind, a warning that names it.
void ShowFinalMessage(CWnd& dialog);
