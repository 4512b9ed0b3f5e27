// A device may name filters of its own (UpperFilters / LowerFilters of its
// Enum key; a setup puts them on disks, volumes and USB devices). Once the
// service key is gone that device no longer starts, a disk's or a volume's
// not even at boot: so the name leaves every device's lists too, present or
// not, by the rules of the class lists.
#pragma once

#include <vector>

#include "platform/afx/afxstr.h"

// Through SetupAPI, which changes a device's properties for us where the
// Enum keys are not ours to write. A list that cannot be changed (or where
// Windows lacks the function) is named as a leftover.
void RemoveFromDeviceFilters(const std::vector<CString>& serviceNames);
