// Finding the package's present devices by hardware-ID prefix, and removing them.
#pragma once

// NT family: counts (device, primary entry) matches and completes matched
// primary entries from the variants.
int ScanDevicesNT();
// 9x family: as above, and records the devices' enumeration-key names into
// g_strVenID / g_strCxID.
int ScanDevicesWin9x();
// NT family: removes the devices matching a primary or extension entry, the
// present ones first, then those Windows keeps a node of without the device
// being plugged in.
int RemoveMatchedDevices();

// The package's device: its first hardware ID matches a primary entry (as
// the scan completed it) or an extension entry.
bool IsPackageDevice(const char* hardwareId);

// A device's first hardware ID begins with the entry's prefix, case ignored.
// An empty prefix matches nothing.
bool HardwareIdMatches(const char* hardwareId, const char* prefix);

// The device check's account of one present device the profile's entries
// match (none: no line); returns the matches.
int LogDeviceMatches(const char* hardwareId, int matches);
// The device check's verdict: the count against DevIDNum.
void LogDeviceCount(int found, int expected, bool listedToTheEnd, bool goesOn);
