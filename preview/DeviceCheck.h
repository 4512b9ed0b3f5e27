// The device check of a removal, entry by entry: which present devices each
// primary entry matches, which variants complete it, and the count the
// uninstaller holds against DevIDNum.
#pragma once

#include <string>
#include <vector>

#include "profile/UninstProfile.h"

namespace preview {

struct MatchedDevice {
  std::string instanceId;
  std::string hardwareId;     // the first one, the one that is compared
  std::vector<int> variants;  // variant entries that completed the entry, in order
};

struct EntryDevices {
  int index = 0;
  std::string prefix;  // as the profile gives it
  std::vector<MatchedDevice> devices;
};

struct DeviceCheck {
  bool listed = false;  // the device list could be had
  std::vector<EntryDevices> entries;
  int count = 0;        // matches, as the uninstaller counts them
  int expected = 0;     // DevIDNum
  std::string walkEnd;  // why the walk ended early, if it did
};

// Walks the present devices as the scan does, on a copy of the entries, so
// the profile itself is left as loaded.
DeviceCheck CheckDevices(const UninstProfile& profile);

}  // namespace preview
