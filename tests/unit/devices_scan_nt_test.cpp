#include "tests/unit/devices_fixture.h"

namespace {

using ScanNT = DeviceTest;

TEST_F(ScanNT, CountsEveryDeviceAndEntryPair) {
  Primary("PCI\\VEN_1234");
  Primary("PCI\\VEN_1234&DEV");
  Device("PCI\\VEN_1234&DEV_5678\\1", {"PCI\\VEN_1234&DEV_5678"});
  Device("PCI\\VEN_1234&DEV_9999\\1", {"PCI\\VEN_1234&DEV_9999"});
  // Two devices each matching both entries: four pairs, not two devices.
  EXPECT_EQ(ScanDevicesNT(), 4);
  ExpectNothingLeaked();
}

TEST_F(ScanNT, TwoDevicesOfOneEntryCountAsMuchAsOneDeviceEach) {
  Primary("PCI\\VEN_1234");
  Primary("PCI\\VEN_ABCD");
  Device("PCI\\VEN_1234&DEV_0001\\1", {"PCI\\VEN_1234&DEV_0001"});
  Device("PCI\\VEN_1234&DEV_0002\\1", {"PCI\\VEN_1234&DEV_0002"});
  EXPECT_EQ(ScanDevicesNT(), 2);
}

TEST_F(ScanNT, MatchesIgnoringCaseBothWays) {
  Primary("pci\\ven_1234");
  Primary("USB\\VID_AAAA");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("USB\\VID_AAAA&PID_1\\1", {"usb\\vid_aaaa&pid_1"});
  EXPECT_EQ(ScanDevicesNT(), 2);
}

TEST_F(ScanNT, OnlyTheFirstHardwareIdTakesPart) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_9999&DEV_1\\1", {"PCI\\VEN_9999&DEV_1", "PCI\\VEN_1234&DEV_1"});
  EXPECT_EQ(ScanDevicesNT(), 0);
}

TEST_F(ScanNT, AnIdShorterThanThePrefixDoesNotMatch) {
  Primary("PCI\\VEN_1234&DEV_5678");
  Device("PCI\\VEN_1234\\1", {"PCI\\VEN_1234"});
  EXPECT_EQ(ScanDevicesNT(), 0);
}

TEST_F(ScanNT, NoMatchingDeviceGivesZeroAndChangesNothing) {
  Primary("PCI\\VEN_1234");
  Variant("PCI\\VEN_1234&DEV_1", "Variant");
  Device("PCI\\VEN_5555&DEV_1\\1", {"PCI\\VEN_5555&DEV_1"});
  EXPECT_EQ(ScanDevicesNT(), 0);
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvID, "PCI\\VEN_1234");
}

TEST_F(ScanNT, AMatchingVariantReplacesAllFourFields) {
  Primary("PCI\\VEN_1234", "Generic", "generic.sys", "generic.inf");
  Variant("PCI\\VEN_1234&DEV_5678", "Model A", "a.sys", "a.inf");
  Device("PCI\\VEN_1234&DEV_5678\\1", {"PCI\\VEN_1234&DEV_5678&SUBSYS_1"});
  EXPECT_EQ(ScanDevicesNT(), 1);
  const DRVENTRY& entry = theApp.m_DevDrv[0];
  EXPECT_STREQ(entry.szDrvID, "PCI\\VEN_1234&DEV_5678");
  EXPECT_STREQ(entry.szDrvName, "Model A");
  EXPECT_STREQ(entry.szDrvSYS, "a.sys");
  EXPECT_STREQ(entry.szDrvINF, "a.inf");
}

TEST_F(ScanNT, TheLastMatchingVariantWins) {
  Primary("PCI\\VEN_1234");
  Variant("PCI\\VEN_1234&DEV_5678", "First");
  Variant("PCI\\VEN_9999", "Other");
  Variant("PCI\\VEN_1234", "Last");
  Device("PCI\\VEN_1234&DEV_5678\\1", {"PCI\\VEN_1234&DEV_5678"});
  EXPECT_EQ(ScanDevicesNT(), 1);
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvName, "Last");
}

TEST_F(ScanNT, ARewriteNarrowsTheEntryForLaterDevices) {
  Primary("PCI\\VEN_1234");
  Variant("PCI\\VEN_1234&DEV_0001", "One");
  Device("PCI\\VEN_1234&DEV_0001\\1", {"PCI\\VEN_1234&DEV_0001"});
  Device("PCI\\VEN_1234&DEV_0002\\1", {"PCI\\VEN_1234&DEV_0002"});
  // The second device only matches the former, shorter prefix.
  EXPECT_EQ(ScanDevicesNT(), 1);
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvName, "One");
}

TEST_F(ScanNT, ARewriteByALaterDeviceLeavesEarlierCountsStanding) {
  Primary("PCI\\VEN_1234");
  Variant("PCI\\VEN_1234&DEV_0002", "Two");
  Device("PCI\\VEN_1234&DEV_0001\\1", {"PCI\\VEN_1234&DEV_0001"});
  Device("PCI\\VEN_1234&DEV_0002\\1", {"PCI\\VEN_1234&DEV_0002"});
  EXPECT_EQ(ScanDevicesNT(), 2);
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvName, "Two");
}

TEST_F(ScanNT, OneDeviceGivesEachMatchingEntryTheSameVariant) {
  Primary("PCI\\VEN_1234");
  Primary("PCI\\VEN_1234&DEV");
  Variant("PCI\\VEN_1234&DEV_5678", "Model");
  Device("PCI\\VEN_1234&DEV_5678\\1", {"PCI\\VEN_1234&DEV_5678"});
  EXPECT_EQ(ScanDevicesNT(), 2);
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvName, "Model");
  EXPECT_STREQ(theApp.m_DevDrv[1].szDrvName, "Model");
}

TEST_F(ScanNT, NoPrimaryEntriesStillReadsEveryDevice) {
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  Fill(&theApp.m_DevDrv[0], "PCI\\", "x", "x", "x");
  theApp.m_nDevIDNum = -1;
  EXPECT_EQ(ScanDevicesNT(), 0);
  EXPECT_GE(sim::CountCalls("SetupDiGetDeviceRegistryPropertyA"), 2u);
}

TEST_F(ScanNT, NoVariantsCountsWithoutRewriting) {
  Primary("PCI\\VEN_1234");
  Fill(&theApp.m_PossibleDevDrv[0], "PCI\\VEN_1234", "Variant", "v.sys", "v.inf");
  theApp.m_nPossibleDevIDNum = -2;
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  EXPECT_EQ(ScanDevicesNT(), 1);
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvID, "PCI\\VEN_1234");
}

TEST_F(ScanNT, CountsAboveTheListSizeWalkOnlyTheFifteenEntries) {
  for (int i = 0; i < MAX_DRV_ENTRIES; ++i) Primary("PCI\\");
  theApp.m_nDevIDNum = 1000;
  theApp.m_nPossibleDevIDNum = 1000;
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  EXPECT_EQ(ScanDevicesNT(), MAX_DRV_ENTRIES);
}

TEST_F(ScanNT, AnEmptyPrefixMatchesNoDevice) {
  Primary("");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  EXPECT_EQ(ScanDevicesNT(), 0);
}

TEST_F(ScanNT, AnEmptyVariantNeverWidensTheEntry) {
  Primary("PCI\\VEN_1234");
  Variant("", "Empty");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  EXPECT_EQ(ScanDevicesNT(), 1);
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvID, "PCI\\VEN_1234");
}

TEST_F(ScanNT, ADeviceWithoutHardwareIdsIsSkipped) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  EXPECT_EQ(ScanDevicesNT(), 1);
  ExpectNothingLeaked();
}

TEST_F(ScanNT, AnEmptyHardwareIdValueIsSkippedAndTheWalkGoesOn) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {});
  sim::registry::SetValue(EnumKey("PCI\\VEN_1234&DEV_1\\1"), "HardwareID", REG_MULTI_SZ, {});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  EXPECT_EQ(ScanDevicesNT(), 1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  ExpectNothingLeaked();
}

TEST_F(ScanNT, AnUnterminatedHardwareIdIsNotReadPastItsEnd) {
  Primary("PCI\\VEN_1234&DEV_5678");
  Device("PCI\\VEN_1\\1", {});
  const std::string id = "PCI\\VEN_1";
  sim::registry::SetValue(EnumKey("PCI\\VEN_1\\1"), "HardwareID", REG_BINARY,
                          std::vector<BYTE>(id.begin(), id.end()));
  EXPECT_EQ(ScanDevicesNT(), 0);
  ExpectNothingLeaked();
}

TEST_F(ScanNT, AFailedReadStopsTheWalkAndKeepsWhatWasDone) {
  Primary("PCI\\VEN_1234");
  Variant("PCI\\VEN_1234&DEV_0001", "One");
  Device("PCI\\VEN_1234&DEV_0001\\1", {"PCI\\VEN_1234&DEV_0001"});
  Device("PCI\\VEN_1234&DEV_0001\\2", {"PCI\\VEN_1234&DEV_0001"});
  Device("PCI\\VEN_1234&DEV_0001\\3", {"PCI\\VEN_1234&DEV_0001"});
  sim::InjectFault("SetupDiGetDeviceRegistryPropertyA", ERROR_ACCESS_DENIED, "DEV_0001\\2");
  EXPECT_EQ(ScanDevicesNT(), 1);
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvName, "One");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(sim::CountCalls("SetupDiEnumDeviceInfo"), 2u);
  ExpectNothingLeaked();
}

TEST_F(ScanNT, AnEnumerationFailingMidwayEndsTheWalk) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  Device("PCI\\VEN_1234&DEV_3\\1", {"PCI\\VEN_1234&DEV_3"});
  sim::InjectFault("SetupDiEnumDeviceInfo", ERROR_NOT_ENOUGH_MEMORY, "", 1);
  EXPECT_EQ(ScanDevicesNT(), 1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  ExpectNothingLeaked();
}

TEST_F(ScanNT, TheEndOfTheListIsTheLastErrorAfterTheListIsDestroyed) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  EXPECT_EQ(ScanDevicesNT(), 1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
}

TEST_F(ScanNT, NoDeviceListMeansNothingHappens) {
  Primary("PCI\\VEN_1234");
  Variant("PCI\\VEN_1234&DEV_1", "Variant");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  sim::InjectFault("SetupDiGetClassDevsA", ERROR_ACCESS_DENIED);
  EXPECT_EQ(ScanDevicesNT(), 0);
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvID, "PCI\\VEN_1234");
  EXPECT_EQ(sim::CountCalls("SetupDiEnumDeviceInfo"), 0u);
  EXPECT_EQ(sim::CountCalls("SetupDiDestroyDeviceInfoList"), 0u);
}

}  // namespace

// Wine answers every read of a zero-length list with "more room" and a
// size of 0; a list may also grow at every read. Either way the device is
// passed over and the walk still reaches the end of the list.
TEST_F(ScanNT, ADeviceWhoseListCannotBeReadIsSkippedAndTheWalkGoesOn) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  Device("PCI\\VEN_1234&DEV_3\\1", {"PCI\\VEN_1234&DEV_3"});
  sim::InjectFault("SetupDiGetDeviceRegistryPropertyA", ERROR_INSUFFICIENT_BUFFER, "DEV_2");
  EXPECT_EQ(ScanDevicesNT(), 2);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_LE(sim::CountCalls("SetupDiGetDeviceRegistryPropertyA"), 4u + 4u);
  ExpectNothingLeaked();
}
