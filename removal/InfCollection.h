// The INF files of the package's device-class instances, found by driver
// description.
#pragma once

enum { INF_LIST_SLOTS = 10, INF_SLOT_SIZE = 256 };

struct InfList {
  char slots[INF_LIST_SLOTS][INF_SLOT_SIZE];
  int count;
};

// Walks the class key in g_szClassKey; every (instance, entry) match whose
// description begins with the entry's name adds the instance's "InfPath".
// An INF past the list's capacity, and not in it already, is named as a
// leftover when it is there.
void CollectInfFiles(InfList* list);

#include "platform/afx/afxstr.h"

// The PNF name for an INF name: the text before its first dot (after any
// leading dots) + ".pnf", however long the name.
CString PnfNameFor(const char* infName);
