// The simulated SetupAPI against the behaviour measured on the platform.
#include <cstring>

#include "tests/unit/devices_fixture.h"

namespace {

using Strings = std::vector<std::string>;

class SetupApi : public DeviceTest {
 protected:
  void TearDown() override {
    if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
  }

  HDEVINFO Open() {
    set_ = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    return set_;
  }

  SP_DEVINFO_DATA Record(DWORD index) {
    SP_DEVINFO_DATA data;
    std::memset(&data, 0, sizeof(data));
    data.cbSize = sizeof(data);
    EXPECT_TRUE(SetupDiEnumDeviceInfo(set_, index, &data));
    return data;
  }

  // The first hardware ID of every listed device, in list order.
  Strings FirstIds() {
    Strings ids;
    SP_DEVINFO_DATA data;
    std::memset(&data, 0, sizeof(data));
    data.cbSize = sizeof(data);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set_, i, &data); ++i) {
      char buffer[256] = {};
      DWORD required = 0;
      SetupDiGetDeviceRegistryPropertyA(set_, &data, SPDRP_HARDWAREID, nullptr, reinterpret_cast<PBYTE>(buffer),
                                        sizeof(buffer), &required);
      ids.push_back(buffer);
    }
    return ids;
  }

  HDEVINFO set_ = INVALID_HANDLE_VALUE;
};

TEST_F(SetupApi, ListsThreeLevelKeysWithABracedClassInRegistryOrder) {
  Device("ZZTEST\\DevMulti\\10", {"multi-10"});
  Device("ZZTEST\\DevMulti\\0002", {"multi-2"});
  Device("aatest\\dev\\0001", {"aa"});
  Device("ZZTEST\\DevMulti\\0001", {"multi-1"});
  Device("PCI\\Unknown\\1", {"unknown-class"}, "{01234567-89ab-cdef-0123-456789ABCDEF}");
  Device("PCI\\NoBraces\\1", {"no-braces"}, "4d36e96c-e325-11ce-bfc1-08002be10318");
  Device("PCI\\Garbage\\1", {"garbage"}, "garbage");
  Device("PCI\\NoClass\\1", {"no-class"}, "");
  Device("PCI\\TwoLevels", {"two-levels"});
  Device("PCI\\Four\\Levels\\Deep", {"four-levels"});
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FirstIds(), (Strings{"aa", "unknown-class", "multi-1", "multi-2", "multi-10"}));
}

TEST_F(SetupApi, ADeviceWithoutHardwareIdsIsListed) {
  Device("PCI\\Bare\\1", {});
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FirstIds(), Strings{""});
}

TEST_F(SetupApi, AClassIsRequiredWithoutAllClasses) {
  EXPECT_EQ(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(SetupApi, TheListIsASnapshot) {
  Device("PCI\\First\\1", {"first"});
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  Device("PCI\\Later\\1", {"later"});
  EXPECT_EQ(FirstIds(), Strings{"first"});
}

TEST_F(SetupApi, EnumerationChecksTheRecordSizeAndEndsWith259) {
  Device("PCI\\Dev\\1", {"id"});
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA data;
  std::memset(&data, 0, sizeof(data));
  data.cbSize = 28;
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set_, 0, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
  data.cbSize = sizeof(data);
  EXPECT_TRUE(SetupDiEnumDeviceInfo(set_, 0, &data));
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set_, 1, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
}

TEST_F(SetupApi, HardwareIdReadsReportSizesAsMeasured) {
  // Stored as the measurement stored it: the list and one more NUL, 24 bytes.
  static const char kStored[] = "ZZTEST\\DevFull\0ALT\\ID\0\0";
  Device("ZZTEST\\DevFull\\0001", {});
  sim::registry::SetValue(EnumKey("ZZTEST\\DevFull\\0001"), "HardwareID", REG_MULTI_SZ,
                          std::vector<BYTE>(kStored, kStored + sizeof(kStored)));
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA data = Record(0);
  DWORD type = 99;
  DWORD required = 0;
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set_, &data, SPDRP_HARDWAREID, &type, nullptr, 0, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(required, 24u);

  BYTE small[5] = {'X', 'X', 'X', 'X', 'X'};
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set_, &data, SPDRP_HARDWAREID, &type, small, 5, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(small, small + 5), "XXXXX");
  EXPECT_EQ(required, 24u);

  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set_, &data, SPDRP_HARDWAREID, &type, nullptr, 10, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));

  BYTE full[24];
  EXPECT_TRUE(SetupDiGetDeviceRegistryPropertyA(set_, &data, SPDRP_HARDWAREID, &type, full, 24, &required));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(full), 24), std::string(kStored, 24));
}

TEST_F(SetupApi, AMissingHardwareIdFailsWithInvalidData) {
  Device("PCI\\Bare\\1", {});
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA data = Record(0);
  DWORD type = 7;
  DWORD required = 5;
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set_, &data, SPDRP_HARDWAREID, &type, nullptr, 0, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_EQ(type, 0u);
  EXPECT_EQ(required, 0u);
  BYTE buffer[40];
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set_, &data, SPDRP_HARDWAREID, &type, buffer, 40, &required));
  EXPECT_EQ(required, 40u);
}

TEST_F(SetupApi, AnEmptyValueIsNoPropertyAndAStringReadsAsStored) {
  Device("PCI\\Empty\\1", {});
  Device("PCI\\Single\\1", {});
  sim::registry::SetValue(EnumKey("PCI\\Empty\\1"), "HardwareID", REG_MULTI_SZ, {});
  sim::registry::SetString(EnumKey("PCI\\Single\\1"), "HardwareID", "PCI\\ONE");
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA empty = Record(0);
  DWORD type = 7;
  DWORD required = 99;
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set_, &empty, SPDRP_HARDWAREID, &type, nullptr, 0, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_EQ(type, 0u);
  SP_DEVINFO_DATA single = Record(1);
  char buffer[16] = {};
  EXPECT_TRUE(SetupDiGetDeviceRegistryPropertyA(set_, &single, SPDRP_HARDWAREID, &type,
                                                reinterpret_cast<PBYTE>(buffer), 16, &required));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_STREQ(buffer, "PCI\\ONE");
}

TEST_F(SetupApi, PropertiesAreReadLive) {
  Device("PCI\\Dev\\1", {"old"});
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  sim::registry::SetMultiString(EnumKey("PCI\\Dev\\1"), "HardwareID", {"new"});
  EXPECT_EQ(FirstIds(), Strings{"new"});
  sim::registry::DeleteTree(EnumKey("PCI\\Dev\\1"));
  SP_DEVINFO_DATA data = Record(0);
  DWORD required = 0;
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set_, &data, SPDRP_HARDWAREID, nullptr, nullptr, 0, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_KEY_DELETED));
}

TEST_F(SetupApi, RemovalDeletesTheKeyAndTheParentsItEmpties) {
  Device("ZZBUS\\Alone\\1", {"alone"});
  sim::registry::SetString(EnumKey("ZZBUS"), "Kept", "a value does not keep a key");
  Device("PCI\\Shared\\1", {"shared-1"});
  Device("PCI\\Shared\\2", {"shared-2"});
  sim::registry::Create(EnumKey("ZZBUS\\Alone\\1\\Device Parameters"));
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA shared = Record(0);
  SP_DEVINFO_DATA alone = Record(2);
  EXPECT_TRUE(SetupDiRemoveDevice(set_, &alone));
  EXPECT_FALSE(sim::registry::Exists(EnumKey("ZZBUS")));
  EXPECT_TRUE(SetupDiRemoveDevice(set_, &shared));
  EXPECT_FALSE(sim::devices::DevicePresent("PCI\\Shared\\1"));
  EXPECT_TRUE(sim::devices::DevicePresent("PCI\\Shared\\2"));
  EXPECT_TRUE(sim::registry::Exists(std::string(sim::devices::kEnumPath)));
}

TEST_F(SetupApi, RemovalKeepsADriverKeyThatHasSubkeys) {
  const std::string classKey = std::string(sim::devices::kClassPath) + "\\" + sim::devices::kMediaClassGuid;
  Device("PCI\\Plain\\1", {"plain"});
  Device("PCI\\Tuned\\1", {"tuned"});
  sim::registry::SetString(EnumKey("PCI\\Plain\\1"), "Driver", std::string(sim::devices::kMediaClassGuid) + "\\0000");
  sim::registry::SetString(EnumKey("PCI\\Tuned\\1"), "Driver", std::string(sim::devices::kMediaClassGuid) + "\\0001");
  sim::registry::SetString(classKey + "\\0000", "DriverDesc", "Plain");
  sim::registry::SetString(classKey + "\\0001\\Settings", "Gain", "3");
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA plain = Record(0);
  SP_DEVINFO_DATA tuned = Record(1);
  EXPECT_TRUE(SetupDiRemoveDevice(set_, &plain));
  EXPECT_TRUE(SetupDiRemoveDevice(set_, &tuned));
  EXPECT_FALSE(sim::registry::Exists(classKey + "\\0000"));
  EXPECT_TRUE(sim::registry::Exists(classKey + "\\0001\\Settings"));
  EXPECT_TRUE(sim::registry::Exists(classKey));
}

TEST_F(SetupApi, ARemovedDeviceStaysInTheSetButAnswersNoMore) {
  Device("PCI\\Dev\\1", {"id"});
  Device("PCI\\Dev\\2", {"id2"});
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA data = Record(0);
  EXPECT_TRUE(SetupDiRemoveDevice(set_, &data));
  EXPECT_FALSE(SetupDiRemoveDevice(set_, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SUCH_DEVINST));
  DWORD required = 0;
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set_, &data, SPDRP_HARDWAREID, nullptr, nullptr, 0, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SUCH_DEVINST));
  EXPECT_EQ(FirstIds().size(), 2u);
}

TEST_F(SetupApi, RemovalSucceedsWhenTheKeyIsAlreadyGone) {
  Device("PCI\\Dev\\1", {"id"});
  ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
  sim::registry::DeleteTree(EnumKey("PCI\\Dev\\1"));
  SP_DEVINFO_DATA data = Record(0);
  EXPECT_TRUE(SetupDiRemoveDevice(set_, &data));
}

TEST_F(SetupApi, DestroyingAnUnknownListFails) {
  EXPECT_FALSE(SetupDiDestroyDeviceInfoList(reinterpret_cast<HDEVINFO>(0x1234)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace

TEST(SimSetupApi9x, Windows9xKeepsItsDevnodesUnderHklmEnum) {
  sim::Reset();
  sim::SetVersion("win98");
  sim::registry::SetMultiString("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1\\NT", "HardwareID", {"PCI\\VEN_1"});
  sim::registry::SetString("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1\\NT", "ClassGUID",
                           sim::devices::kMediaClassGuid);
  sim::devices::AddDevice("PCI\\VEN_2\\BUS_01", {"PCI\\VEN_2"});
  EXPECT_TRUE(sim::registry::Exists("HKLM\\Enum\\PCI\\VEN_2\\BUS_01"));
  HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof(device);
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &device));
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 1, &device));
  SetupDiDestroyDeviceInfoList(set);
}
