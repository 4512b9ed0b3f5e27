#include "log/Leftovers.h"
#include "platform/sim/modules.h"
#include "tests/unit/devices_fixture.h"

namespace {

using Strings = std::vector<std::string>;
using Removal = DeviceTest;

TEST_F(Removal, RemovesDevicesMatchingPrimaryOrExtensionEntriesOnly) {
  Primary("PCI\\VEN_1234");
  Extension("STREAM\\CX1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("STREAM\\CX1234.AUDIO#2\\1", {"STREAM\\CX1234.AUDIO#2"});
  Device("PCI\\VEN_8086&DEV_1\\1", {"PCI\\VEN_8086&DEV_1"});
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_FALSE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_1\\1"));
  EXPECT_FALSE(sim::devices::DevicePresent("STREAM\\CX1234.AUDIO#2\\1"));
  EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_8086&DEV_1\\1"));
  ExpectNothingLeaked();
}

// A node Windows keeps of a device not plugged in is the package's too: it
// goes after the present ones. The device check still counts present devices
// only, and a present one that stays is named once, though listed twice.
TEST_F(Removal, DevicesNotPluggedInGoAfterThePresentOnesAndAreNotCounted) {
  Primary("USB\\VID_1D7A");
  Device("USB\\VID_1D7A&PID_1\\1", {"USB\\VID_1D7A&PID_1"});
  Device("USB\\VID_1D7A&PID_1\\2", {"USB\\VID_1D7A&PID_1"});
  Device("USB\\VID_1D7A&PID_1\\3", {"USB\\VID_1D7A&PID_1&REV_2"});
  sim::devices::SetPluggedIn("USB\\VID_1D7A&PID_1\\2", false);
  EXPECT_EQ(ScanDevicesNT(), 2);
  sim::InjectFault("SetupDiRemoveDevice", ERROR_ACCESS_DENIED, "USB\\VID_1D7A&PID_1\\3");
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_FALSE(sim::devices::DevicePresent("USB\\VID_1D7A&PID_1\\1"));
  EXPECT_FALSE(sim::devices::DevicePresent("USB\\VID_1D7A&PID_1\\2"));
  EXPECT_EQ(sim::devices::RemovalRequests(),
            (Strings{"USB\\VID_1D7A&PID_1\\1", "USB\\VID_1D7A&PID_1\\3", "USB\\VID_1D7A&PID_1\\2",
                     "USB\\VID_1D7A&PID_1\\3"}));
  ASSERT_EQ(LeftoverCount(), 1);
  EXPECT_STREQ(LeftoverAt(0), "USB\\VID_1D7A&PID_1&REV_2");
  ExpectNothingLeaked();
}

// The removal function is looked up at run time: a Windows that lacks it
// (NT 4.0 here; 98 and ME would not even load a program importing it) gets
// no call through a null pointer and no half-walked device list.
TEST_F(Removal, AWindowsWithoutTheRemovalFunctionRemovesNothingAndNamesWhatStays) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  sim::modules::SetExportMissing("setupapi.dll", "SetupDiRemoveDevice", true);
  EXPECT_EQ(RemoveMatchedDevices(), 0);
  EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_1\\1"));
  ASSERT_EQ(LeftoverCount(), 1);
  EXPECT_STREQ(LeftoverAt(0), "PCI\\VEN_1234&DEV_1");
  ResetLeftovers();
  ExpectNothingLeaked();

  sim::modules::SetExportMissing("setupapi.dll", "SetupDiRemoveDevice", false);
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_FALSE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_1\\1"));
}

TEST_F(Removal, ADeviceIsAskedOncePerMatchingEntry) {
  Primary("PCI\\VEN_1234");
  Primary("PCI\\VEN_1234&DEV");
  Extension("PCI\\");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_EQ(sim::devices::RemovalRequests(), Strings(3, "PCI\\VEN_1234&DEV_1\\1"));
  EXPECT_FALSE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_1\\1"));
}

TEST_F(Removal, AnEntryNarrowedByTheScanSparesDevicesOfItsFormerPrefix) {
  Primary("PCI\\VEN_1234");
  Variant("PCI\\VEN_1234&DEV_0001", "One");
  Device("PCI\\VEN_1234&DEV_0001\\1", {"PCI\\VEN_1234&DEV_0001"});
  Device("PCI\\VEN_1234&DEV_0002\\1", {"PCI\\VEN_1234&DEV_0002"});
  ASSERT_EQ(ScanDevicesNT(), 1);
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_FALSE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_0001\\1"));
  EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_0002\\1"));
}

TEST_F(Removal, VariantsTakeNoPartInRemoval) {
  Primary("PCI\\VEN_1234");
  Variant("PCI\\VEN_5555", "Other");
  Device("PCI\\VEN_5555&DEV_1\\1", {"PCI\\VEN_5555&DEV_1"});
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_5555&DEV_1\\1"));
}

TEST_F(Removal, NoEntriesRemoveNothing) {
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Fill(&theApp.m_DevDrv[0], "PCI\\", "x", "x", "x");
  Fill(&theApp.m_ExtDevDrv[0], "PCI\\", "x", "x", "x");
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_TRUE(sim::devices::RemovalRequests().empty());
}

TEST_F(Removal, EmptyPrefixesRemoveNothing) {
  Primary("");
  Extension("");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("ACPI\\PNP0A03\\0", {"ACPI\\PNP0A03"});
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_TRUE(sim::devices::RemovalRequests().empty());
  EXPECT_TRUE(sim::devices::DevicePresent("ACPI\\PNP0A03\\0"));
}

TEST_F(Removal, CountsAboveTheListSizeWalkOnlyTheFifteenEntries) {
  for (int i = 0; i < MAX_DRV_ENTRIES; ++i) Primary("PCI\\");
  theApp.m_nDevIDNum = 500;
  theApp.m_nExtDevIDNum = 500;
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_EQ(sim::devices::RemovalRequests().size(), static_cast<size_t>(MAX_DRV_ENTRIES));
}

TEST_F(Removal, ADeviceWithoutHardwareIdsIsSkipped) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_1\\1"));
  EXPECT_FALSE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_2\\1"));
  ExpectNothingLeaked();
}

TEST_F(Removal, AFailedReadStopsTheWalkAndRemovedDevicesStayRemoved) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  Device("PCI\\VEN_1234&DEV_3\\1", {"PCI\\VEN_1234&DEV_3"});
  sim::InjectFault("SetupDiGetDeviceRegistryPropertyA", ERROR_ACCESS_DENIED, "DEV_2");
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_FALSE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_1\\1"));
  EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_2\\1"));
  EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_3\\1"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ExpectNothingLeaked();
}

TEST_F(Removal, AFailedRemovalDoesNotStopTheWalk) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  sim::InjectFault("SetupDiRemoveDevice", ERROR_ACCESS_DENIED, "DEV_1");
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_1\\1"));
  EXPECT_FALSE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_2\\1"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
}

TEST_F(Removal, NoDeviceListGivesZero) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  sim::InjectFault("SetupDiGetClassDevsA", ERROR_ACCESS_DENIED);
  EXPECT_EQ(RemoveMatchedDevices(), 0);
  EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_1234&DEV_1\\1"));
}

TEST_F(Removal, NothingPresentThatMatchesStillSucceeds) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_8086&DEV_1\\1", {"PCI\\VEN_8086&DEV_1"});
  EXPECT_EQ(RemoveMatchedDevices(), 1);
  EXPECT_TRUE(sim::devices::RemovalRequests().empty());
}

}  // namespace
