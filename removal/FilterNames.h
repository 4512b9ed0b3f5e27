// Taking deleted services' names out of a filter list (UpperFilters or
// LowerFilters of a class key or of a device), whatever form the value has.
#pragma once

#include <string>
#include <vector>

#include "platform/afx/afxstr.h"
#include "platform/win32.h"

enum FilterChange {
  FILTER_UNCHANGED,  // names none of the services
  FILTER_REWRITE,    // a list that still names others: write *data back as REG_MULTI_SZ
  FILTER_DELETE,     // it named only the services: delete the value
  FILTER_NAMES_IT,   // names one in a form we do not rewrite: a leftover
};

// A REG_MULTI_SZ list loses the names, whole and case ignored, the others
// keeping their order and bytes; a REG_SZ that is one of the names goes; any
// other value that holds one as a whole string is left as it is and named.
FilterChange DropFilterNames(DWORD type, const std::vector<CString>& serviceNames, std::string* data);
