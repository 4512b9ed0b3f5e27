// A package may register one of its services as a filter of a whole device
// class (UpperFilters / LowerFilters of Control\Class\{GUID}). Once the
// service key is gone every device of that class fails to start, and on a
// disk class Windows no longer boots: so the name leaves the lists with it.
#pragma once

#include <vector>

#include "platform/afx/afxstr.h"

// Removes each of the names, whole and with case ignored, from both filter
// lists of every class key. The other names keep their order; a list left
// with no name is deleted, and so is a REG_SZ value that is one of the names;
// a value of another form that names one stays, and is named.
void RemoveFromClassFilters(const std::vector<CString>& serviceNames);
