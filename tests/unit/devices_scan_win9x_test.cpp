#include <cstdlib>

#include "tests/unit/devices_fixture.h"

namespace {

using Strings = std::vector<std::string>;
using Scan9x = DeviceTest;

// Sizes asked of LocalAlloc, in order.
std::vector<long> AllocationSizes() {
  std::vector<long> sizes;
  for (const sim::CallRecord& call : sim::CallLog()) {
    if (call.api == "LocalAlloc") sizes.push_back(std::atol(call.subject.c_str()));
  }
  return sizes;
}

std::string IdOfLength(size_t length) {
  std::string id = "PCI\\";
  while (id.size() < length) id += '0';
  return id;
}

TEST_F(Scan9x, APciDeviceWithoutVariantsRecordsItsIdFromTheFirstVEorN) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_5678\\1", {"PCI\\VEN_1234&DEV_5678&SUBSYS_00000000&REV_01"});
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_EQ(VenIDs(), Strings{"VEN_1234&DEV_5678&SUBSYS_00000000&REV_01"});
  EXPECT_FALSE(g_bUsbDevice);
  ExpectNothingLeaked();
}

TEST_F(Scan9x, AUsbDeviceWithoutVariantsRecordsTheProfilesPrefix) {
  Primary("USB\\VID_1234&PID_5678");
  Device("USB\\VID_1234&PID_5678\\1", {"USB\\VID_1234&PID_5678&REV_0100"});
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_TRUE(g_bUsbDevice);
  EXPECT_EQ(VenIDs(), Strings{"VID_1234&PID_5678"});
}

TEST_F(Scan9x, AUsbDeviceWithVariantsIsRecordedFromItsOwnId) {
  Primary("USB\\VID_1234");
  Variant("USB\\VID_1234&PID_5678", "Stick");
  Device("USB\\VID_1234&PID_5678\\1", {"USB\\VID_1234&PID_5678&REV_0100"});
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_FALSE(g_bUsbDevice);
  EXPECT_EQ(VenIDs(), Strings{"VID_1234&PID_5678&REV_0100"});
}

TEST_F(Scan9x, TwoMatchingVariantsRecordTwiceAndTheLaterWins) {
  Primary("PCI\\VEN_1234");
  Variant("PCI\\VEN_1234&DEV_5678", "First", "first.sys", "first.inf");
  Variant("PCI\\VEN_1234", "Second", "second.sys", "second.inf");
  Device("PCI\\VEN_1234&DEV_5678\\1", {"PCI\\VEN_1234&DEV_5678"});
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_EQ(VenIDs(), (Strings{"VEN_1234&DEV_5678", "VEN_1234&DEV_5678"}));
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvINF, "second.inf");
}

TEST_F(Scan9x, VariantsThatDoNotMatchCountButRecordNothing) {
  Primary("PCI\\VEN_1234");
  Variant("PCI\\VEN_1234&DEV_9999", "Other");
  Device("PCI\\VEN_1234&DEV_5678\\1", {"PCI\\VEN_1234&DEV_5678"});
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_TRUE(VenIDs().empty());
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvID, "PCI\\VEN_1234");
}

TEST_F(Scan9x, ANegativeVariantCountOnlyCounts) {
  Primary("PCI\\VEN_1234");
  theApp.m_nPossibleDevIDNum = -1;
  Device("PCI\\VEN_1234&DEV_5678\\1", {"PCI\\VEN_1234&DEV_5678"});
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_TRUE(VenIDs().empty());
}

TEST_F(Scan9x, ALowerCaseIdMatchesButItsEmptyTailIsNotRecorded) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_5678\\1", {"pci\\ven_1234&dev_5678"});
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_EQ(g_nVenIDNum, 0);
}

TEST_F(Scan9x, AStreamExtensionIsCutBeforeTheHash) {
  Extension("STREAM\\CX1234");
  Device("STREAM\\CX1234.AUDIO#2\\1", {"STREAM\\CX1234.AUDIO#2"});
  EXPECT_EQ(ScanDevicesWin9x(), 0);
  EXPECT_EQ(CxIDs(), Strings{"CX1234.AUDIO"});
  EXPECT_TRUE(VenIDs().empty());
}

TEST_F(Scan9x, AnExtensionWithoutHashKeepsTheWholeTail) {
  Extension("STREAM\\CX");
  Device("STREAM\\CX1234\\1", {"STREAM\\CX1234.AUDIO"});
  ScanDevicesWin9x();
  EXPECT_EQ(CxIDs(), Strings{"CX1234.AUDIO"});
}

TEST_F(Scan9x, AnExtensionOnAPciIdStartsAtTheCOfPci) {
  Extension("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_5678\\1", {"PCI\\VEN_1234&DEV_5678"});
  ScanDevicesWin9x();
  EXPECT_EQ(CxIDs(), Strings{"CI\\VEN_1234&DEV_5678"});
}

TEST_F(Scan9x, ADeviceMatchingPrimaryAndExtensionGoesIntoBothLists) {
  Primary("PCI\\VEN_1234");
  Extension("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_5678\\1", {"PCI\\VEN_1234&DEV_5678"});
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_EQ(VenIDs(), Strings{"VEN_1234&DEV_5678"});
  EXPECT_EQ(CxIDs(), Strings{"CI\\VEN_1234&DEV_5678"});
}

TEST_F(Scan9x, TextsFollowTheEnumerationOrderAndAddToEarlierOnes) {
  g_strVenID[0] = "EARLIER";
  g_nVenIDNum = 1;
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_0002\\1", {"PCI\\VEN_1234&DEV_0002"});
  Device("PCI\\VEN_1234&DEV_0001\\1", {"PCI\\VEN_1234&DEV_0001"});
  EXPECT_EQ(ScanDevicesWin9x(), 2);
  EXPECT_EQ(VenIDs(), (Strings{"EARLIER", "VEN_1234&DEV_0001", "VEN_1234&DEV_0002"}));
}

TEST_F(Scan9x, TheIdListsStopAtTenTexts) {
  Primary("PCI\\VEN_1234");
  Extension("PCI\\VEN_1234");
  for (int i = 0; i < 12; ++i) {
    const std::string id = "PCI\\VEN_1234&DEV_" + std::to_string(10 + i);
    Device(id + "\\1", {id});
  }
  EXPECT_EQ(ScanDevicesWin9x(), 12);
  EXPECT_EQ(g_nVenIDNum, MAX_ENUM_IDS);
  EXPECT_EQ(g_nCxIDNum, MAX_ENUM_IDS);
  EXPECT_EQ(VenIDs().back(), "VEN_1234&DEV_19");
}

TEST_F(Scan9x, AnOverlongIdIsCutFromTheWholeId) {
  std::string id = IdOfLength(150) + "VEN_TAIL";
  Primary("PCI\\0");
  Device("PCI\\LONG\\1", {id});
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_EQ(VenIDs(), Strings{"VEN_TAIL"});
}

TEST_F(Scan9x, OneBufferServesEveryShortList) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  Device("PCI\\VEN_1234&DEV_3\\1", {"PCI\\VEN_1234&DEV_3"});
  EXPECT_EQ(ScanDevicesWin9x(), 3);
  EXPECT_EQ(AllocationSizes().size(), 1u);
  ExpectNothingLeaked();
}

TEST_F(Scan9x, TheBufferGrowsToTheReportedSizePlusSixteen) {
  Primary("PCI\\VEN_1234");
  // Lists of 301 + 1, then 311 + 1 bytes, then a short one.
  const std::string first = "PCI\\VEN_1234&DEV_1" + IdOfLength(283);
  const std::string second = "PCI\\VEN_1234&DEV_2" + IdOfLength(293);
  Device("PCI\\VEN_1234&DEV_1\\1", {first});
  Device("PCI\\VEN_1234&DEV_2\\1", {second});
  Device("PCI\\VEN_1234&DEV_3\\1", {"PCI\\VEN_1234&DEV_3"});
  EXPECT_EQ(ScanDevicesWin9x(), 3);
  const std::vector<long> sizes = AllocationSizes();
  ASSERT_EQ(sizes.size(), 3u);
  const long room = sizes[0] - 256;  // what the scan keeps beyond the size it passes
  EXPECT_EQ(sizes[1], static_cast<long>(first.size() + 2 + 16) + room);
  // The size passed is the one reported for the previous device, so a
  // longer list makes a new block even though the old one had room.
  EXPECT_EQ(sizes[2], static_cast<long>(second.size() + 2 + 16) + room);
  EXPECT_EQ(VenIDs().size(), 3u);
  ExpectNothingLeaked();
}

TEST_F(Scan9x, ADeviceWithoutHardwareIdsIsSkippedKeepingTheBuffer) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_EQ(AllocationSizes().size(), 1u);
  ExpectNothingLeaked();
}

TEST_F(Scan9x, AFailedReadStopsTheScanAndKeepsWhatWasRecorded) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  Device("PCI\\VEN_1234&DEV_3\\1", {"PCI\\VEN_1234&DEV_3"});
  sim::InjectFault("SetupDiGetDeviceRegistryPropertyA", ERROR_ACCESS_DENIED, "DEV_2");
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_EQ(VenIDs(), Strings{"VEN_1234&DEV_1"});
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ExpectNothingLeaked();
}

TEST_F(Scan9x, AnEnumerationFailingMidwayEndsTheScan) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  sim::InjectFault("SetupDiEnumDeviceInfo", ERROR_INVALID_HANDLE, "", 1);
  EXPECT_EQ(ScanDevicesWin9x(), 1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  ExpectNothingLeaked();
}

TEST_F(Scan9x, NoDeviceListAllocatesAndRecordsNothing) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  sim::InjectFault("SetupDiGetClassDevsA", ERROR_ACCESS_DENIED);
  EXPECT_EQ(ScanDevicesWin9x(), 0);
  EXPECT_TRUE(AllocationSizes().empty());
  EXPECT_EQ(g_nVenIDNum, 0);
}

TEST_F(Scan9x, EmptyPrefixesMatchNoDevice) {
  Primary("");
  Extension("");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  EXPECT_EQ(ScanDevicesWin9x(), 0);
  EXPECT_EQ(g_nVenIDNum, 0);
  EXPECT_EQ(g_nCxIDNum, 0);
}

}  // namespace

TEST_F(Scan9x, ADeviceWhoseListNeverFitsIsSkippedAndTheScanGoesOn) {
  Primary("PCI\\VEN_1234");
  Device("PCI\\VEN_1234&DEV_1\\1", {"PCI\\VEN_1234&DEV_1"});
  Device("PCI\\VEN_1234&DEV_2\\1", {"PCI\\VEN_1234&DEV_2"});
  Device("PCI\\VEN_1234&DEV_3\\1", {"PCI\\VEN_1234&DEV_3"});
  sim::InjectFault("SetupDiGetDeviceRegistryPropertyA", ERROR_INSUFFICIENT_BUFFER, "DEV_2");
  EXPECT_EQ(ScanDevicesWin9x(), 2);
  EXPECT_EQ(VenIDs(), (Strings{"VEN_1234&DEV_1", "VEN_1234&DEV_3"}));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_LE(sim::CountCalls("SetupDiGetDeviceRegistryPropertyA"), 2u + 4u);
  ExpectNothingLeaked();
}
