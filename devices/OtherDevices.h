// What the devices of other products use. One INF may install several
// models, and a profile may name only one of them: the INF, its driver
// package and a driver key another device is bound to are that device's too.
#pragma once

#include <vector>

#include "platform/afx/afxstr.h"

struct DeviceUse {
  CString driverKey;   // "{class GUID}\NNNN", the device's "Driver" value
  CString infName;     // its driver key's "InfPath"; empty when it has none
  CString hardwareId;  // the device's first hardware ID, by which the user finds it
};

struct OtherDevicesUse {
  // Every device was read; when not, any INF may be another device's.
  bool complete = true;
  std::vector<DeviceUse> uses;

  const DeviceUse* ByInf(const char* infName) const;
  const DeviceUse* ByDriverKey(const char* driverKey) const;
};

// Walks every device, present or not, that the profile does not match, and
// notes the driver key and the INF each is installed from.
OtherDevicesUse FindOtherDevicesUse();
// The same for every device still there, the package's included: what
// Windows' own check sees before it lets a package go.
OtherDevicesUse FindEveryDevicesUse();

// "used by <hardware ID>", for the list of what was kept.
CString UsedByText(const DeviceUse& use);
