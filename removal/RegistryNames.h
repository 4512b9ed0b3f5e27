// Registry paths and name matching shared by the registry clean-ups.
#pragma once

#include <functional>

#include "platform/afx/afxstr.h"
#include "platform/win32.h"
#include "profile/UninstProfile.h"

extern const char kUninstallKeyPath[];
extern const char kMediaClassKeyPath[];
extern const char kImagingClassKeyPath[];

// Picks the class key from m_szMediaClass ("No..." means imaging) and keeps
// it in g_szClassKey.
const char* ChooseClassKey(const char* mediaClass);

// Whether a description equals, as a whole and ignoring case, the driver
// name of one of the first count entries. An empty name matches nothing.
bool DescriptionEqualsAnyName(const char* description, const DRVENTRY* entries, int count);
// ... of a primary or an extension entry: the package's class instances.
bool DescriptionIsThePackages(const char* description);

// Walks the subkeys of HKLM\classKeyPath and deletes, with their subtrees,
// those the instance is the package's for. They are collected during the walk
// and deleted after it, so deleting one never makes the walk pass over another.
// One that stays is noted as left over when noteWhatStays is set, as is
// one that cannot be opened for deleting (or every one of the package's
// when the class key cannot be), unless a read shows it is not the package's.
void DeleteClassInstances(const char* classKeyPath,
                          const std::function<bool(HKEY instance, const char* name)>& isPackageInstance,
                          bool noteWhatStays = true);

// After a deletion that failed: notes HKLM\parentPath\name as left over
// unless it is gone (a key that was not there is no leftover). Returns
// whether it was noted.
bool NoteIfStillThere(HKEY parent, const char* parentPath, const char* name);
// SHDeleteKeyA, and the note when the key stays. Returns whether it is gone.
bool DeleteKeyOrNoteIt(HKEY parent, const char* parentPath, const char* name);
// The same with RegDeleteKeyA, which on Windows 9x takes the subkeys along.
bool DeleteWholeKeyOrNoteIt(HKEY parent, const char* parentPath, const char* name);
// The parent could not be opened for the deletion: the key is noted when it
// is there at all.
void NoteKeyIfThere(const char* parentPath, const char* name);

// HKLM\Software\pathBelowSoftware as regedit shows it in the view, for the
// list of what stayed.
CString SoftwareKeyName(REGSAM view, const char* pathBelowSoftware);

// Deletes the product's Uninstall entry in every registry view that holds it
// (on 64-bit Windows both may); an empty name deletes nothing. An entry that
// stays where it exists is noted as a leftover.
void DeleteUninstallEntry(const char* subkeyName);
