// Registry paths and name matching shared by the registry clean-ups.
#pragma once

#include <functional>

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
// ... of a primary or an extension entry: the package's class instances.
bool DescriptionIsThePackages(const char* description);

// Walks the subkeys of HKLM\classKeyPath and deletes, with their subtrees,
// those the instance is the package's for. They are collected during the walk
// and deleted after it, so deleting one never makes the walk pass over another.
void DeleteClassInstances(const char* classKeyPath, const std::function<bool(HKEY instance)>& isPackageInstance);

// Deletes the product's Uninstall entry in every registry view that holds it
// (on 64-bit Windows both may); an empty name deletes nothing. An entry that
// stays where it exists is noted as a leftover.
void DeleteUninstallEntry(const char* subkeyName);
