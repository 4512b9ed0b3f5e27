// Registry paths and name matching shared by the registry clean-ups.
#pragma once

#include <vector>

#include "platform/afx/afxstr.h"
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

// Deletes each named subkey of an open key with its subtree; empty names are
// skipped so the key itself is never emptied.
void DeleteNamedSubkeys(HKEY parent, const std::vector<CString>& names);

// Deletes the product's Uninstall entry; an empty name deletes nothing.
void DeleteUninstallEntry(const char* subkeyName);
