// Class filter lists lose the names of the services the clean-up deleted, and
// nothing else: whole names, any letter case, the other names in their order.
#include <string>
#include <vector>

#include "log/Leftovers.h"
#include "platform/sim/device_store.h"
#include "platform/sim/faults.h"
#include "removal/ClassFilters.h"
#include "removal/DeviceFilters.h"
#include "removal/Removal.h"
#include "tests/unit/fresh_machine.h"

namespace {

const std::string kClass = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\";
const std::string kMedia = kClass + "{4D36E96C-E325-11CE-BFC1-08002BE10318}";
const std::string kDisk = kClass + "{4D36E967-E325-11CE-BFC1-08002BE10318}";
const std::string kUsb = kClass + "{36FC9E60-C465-11CF-8056-444553540000}";
const std::string kCamera = kClass + "{CA3E7AB9-B4C3-4AE6-8251-579EF933890F}";

class ClassFilters : public FreshMachine {
 protected:
  static void SetRaw(const std::string& key, const char* name, DWORD type, const std::string& bytes) {
    sim::registry::SetValue(key, name, type, std::vector<BYTE>(bytes.begin(), bytes.end()));
  }
  static std::string Raw(const std::string& key, const char* name) {
    const auto value = sim::registry::GetValue(key, name);
    return value ? std::string(value->data.begin(), value->data.end()) : "(absent)";
  }
  static void Remove(std::vector<CString> names) { RemoveFromClassFilters(names); }
};

TEST_F(ClassFilters, TheNameGoesFirstLastAloneOrInAnyCaseAndTheRestKeepsItsOrder) {
  SetRaw(kMedia, "UpperFilters", REG_MULTI_SZ, std::string("LumexFlt\0ksthunk\0\0", 18));
  SetRaw(kDisk, "LowerFilters", REG_MULTI_SZ, std::string("partmgr\0LUMEXFLT\0\0", 18));
  SetRaw(kUsb, "UpperFilters", REG_MULTI_SZ, std::string("lumexflt\0\0", 10));
  SetRaw(kCamera, "LowerFilters", REG_MULTI_SZ, std::string("b\0LumexFlt\0a\0LumexFlt\0c\0\0", 25));
  sim::registry::SetString(kMedia, "Class", "MEDIA");
  Remove({"LumexFlt"});
  EXPECT_EQ(Raw(kMedia, "UpperFilters"), std::string("ksthunk\0\0", 9));
  EXPECT_EQ(Raw(kDisk, "LowerFilters"), std::string("partmgr\0\0", 9));
  EXPECT_EQ(Raw(kUsb, "UpperFilters"), "(absent)");  // no name left: the list goes
  EXPECT_EQ(Raw(kCamera, "LowerFilters"), std::string("b\0a\0c\0\0", 7));
  EXPECT_EQ(*sim::registry::GetString(kMedia, "Class"), "MEDIA");
}

TEST_F(ClassFilters, ANameThatOnlyBeginsOrEndsLikeTheServiceStays) {
  const std::string list("LumexFltEx\0Lumex\0xLumexFlt\0\0", 28);
  SetRaw(kMedia, "UpperFilters", REG_MULTI_SZ, list);
  Remove({"LumexFlt"});
  EXPECT_EQ(Raw(kMedia, "UpperFilters"), list);
  EXPECT_EQ(sim::CountCalls("RegSetValueExA"), 0u);
}

TEST_F(ClassFilters, AStringThatIsTheNameGoesAndAnyOtherFormThatNamesItStaysNamed) {
  SetRaw(kMedia, "UpperFilters", REG_SZ, std::string("LumexFlt\0", 9));
  SetRaw(kMedia, "LowerFilters", REG_BINARY, std::string("LumexFlt\0\0", 10));
  SetRaw(kDisk, "UpperFilters", REG_EXPAND_SZ, std::string("lumexflt\0", 9));
  SetRaw(kDisk, "LowerFilters", REG_SZ, std::string("LumexFltEx\0", 11));
  SetRaw(kUsb, "UpperFilters", REG_SZ, std::string("LumexFlt\0ksthunk\0", 17));
  Remove({"LumexFlt"});
  EXPECT_EQ(Raw(kMedia, "UpperFilters"), "(absent)");
  EXPECT_EQ(Raw(kMedia, "LowerFilters"), std::string("LumexFlt\0\0", 10));
  EXPECT_EQ(Raw(kDisk, "UpperFilters"), std::string("lumexflt\0", 9));
  EXPECT_EQ(Raw(kDisk, "LowerFilters"), std::string("LumexFltEx\0", 11));
  EXPECT_EQ(Raw(kUsb, "UpperFilters"), std::string("LumexFlt\0ksthunk\0", 17));
  ASSERT_EQ(LeftoverCount(), 3);
  EXPECT_STREQ(LeftoverAt(0), ("HKEY_LOCAL_MACHINE\\" + kUsb.substr(5) + "\\UpperFilters").c_str());
  EXPECT_STREQ(LeftoverAt(1), ("HKEY_LOCAL_MACHINE\\" + kDisk.substr(5) + "\\UpperFilters").c_str());
  EXPECT_STREQ(LeftoverAt(2), ("HKEY_LOCAL_MACHINE\\" + kMedia.substr(5) + "\\LowerFilters").c_str());
}

TEST_F(ClassFilters, ALongListIsReadWhole) {
  std::string list;
  for (int i = 0; i < 3000; ++i) list += "Filter" + std::to_string(i) + std::string(1, '\0');
  SetRaw(kMedia, "UpperFilters", REG_MULTI_SZ, list + "LumexFlt" + std::string(2, '\0'));
  Remove({"LumexFlt"});
  EXPECT_EQ(Raw(kMedia, "UpperFilters"), list + std::string(1, '\0'));
}

TEST_F(ClassFilters, AListWithoutItsTerminatorsLosesOnlyTheName) {
  SetRaw(kMedia, "UpperFilters", REG_MULTI_SZ, std::string("a\0LumexFlt", 10));
  SetRaw(kMedia, "LowerFilters", REG_MULTI_SZ, std::string("LumexFlt\0b", 10));
  SetRaw(kDisk, "UpperFilters", REG_MULTI_SZ, "LumexFlt");
  SetRaw(kDisk, "LowerFilters", REG_MULTI_SZ, "");
  Remove({"LumexFlt"});
  EXPECT_EQ(Raw(kMedia, "UpperFilters"), std::string("a\0", 2));
  EXPECT_EQ(Raw(kMedia, "LowerFilters"), "b");
  EXPECT_EQ(Raw(kDisk, "UpperFilters"), "(absent)");
  EXPECT_EQ(Raw(kDisk, "LowerFilters"), "");
}

TEST_F(ClassFilters, WhatFollowsTheEndOfTheListIsNoName) {
  // Windows reads a list up to its first empty string.
  SetRaw(kMedia, "UpperFilters", REG_MULTI_SZ, std::string("a\0LumexFlt\0\0LumexFlt\0", 21));
  Remove({"LumexFlt"});
  EXPECT_EQ(Raw(kMedia, "UpperFilters"), std::string("a\0\0LumexFlt\0", 12));
}

TEST_F(ClassFilters, AListThatCannotBeChangedIsNamedAmongWhatStays) {
  SetRaw(kMedia, "UpperFilters", REG_MULTI_SZ, std::string("LumexFlt\0ksthunk\0\0", 18));
  SetRaw(kDisk, "LowerFilters", REG_MULTI_SZ, std::string("LumexFlt\0\0", 10));
  SetRaw(kUsb, "UpperFilters", REG_MULTI_SZ, std::string("LumexFlt\0\0", 10));
  sim::InjectFault("RegSetValueExA", ERROR_ACCESS_DENIED);
  sim::InjectFault("RegDeleteValueA", ERROR_ACCESS_DENIED);
  // A class key that opens for reading only.
  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "{36FC9E60", -1, 1);
  Remove({"LumexFlt"});
  EXPECT_EQ(Raw(kUsb, "UpperFilters"), std::string("LumexFlt\0\0", 10));
  ASSERT_EQ(LeftoverCount(), 3);
  // In the order the class keys are listed.
  EXPECT_EQ(std::string(LeftoverAt(0)), "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
                                        "{36FC9E60-C465-11CF-8056-444553540000}\\UpperFilters");
  EXPECT_EQ(std::string(LeftoverAt(1)), "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
                                        "{4D36E967-E325-11CE-BFC1-08002BE10318}\\LowerFilters");
  EXPECT_EQ(std::string(LeftoverAt(2)), "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
                                        "{4D36E96C-E325-11CE-BFC1-08002BE10318}\\UpperFilters");
}

TEST_F(ClassFilters, OnlyTheServicesTheCleanUpGotRidOfLeaveTheLists) {
  const std::string services = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\";
  sim::registry::SetString(services + "LumexFlt", "ImagePath", "lumexflt.sys");
  sim::registry::SetString(services + "LumexCap", "ImagePath", "lumexcap.sys");
  WriteProfile("[1]\nUnInstServiceNum=4\nUnInstService0=LumexFlt\nUnInstService1=LumexCap\n"
               "UnInstService2=LumexGone\nUnInstService3=\n");
  theApp.LoadUninstProfile();
  SetRaw(kMedia, "UpperFilters", REG_MULTI_SZ, std::string("LumexFlt\0LumexCap\0LumexGone\0ksthunk\0\0", 37));
  sim::InjectFault("SHDeleteKeyA", ERROR_ACCESS_DENIED, "LumexCap");
  CleanRegistryNT();
  // LumexCap stays, and so does its name; LumexGone was never there.
  EXPECT_EQ(Raw(kMedia, "UpperFilters"), std::string("LumexCap\0ksthunk\0\0", 18));
}

}  // namespace

// Device instances' own lists, present or not, through SetupAPI: the same
// rules; a list SetupAPI will not change stays and is named by its key.
class DeviceFilters : public ClassFilters {
 protected:
  static std::string Instance(const char* id) { return std::string(sim::devices::EnumRoot()) + "\\" + id; }
};

TEST_F(DeviceFilters, EveryDevicesListsLoseTheNameAndARefusedChangeIsNamed) {
  sim::devices::AddDevice("SCSI\\Disk\\1", {"SCSI\\DiskX"});
  sim::devices::AddDevice("USB\\VID_1\\2", {"USB\\VID_1"});
  sim::devices::AddDevice("USB\\VID_2\\3", {"USB\\VID_2"});
  sim::devices::SetPluggedIn("USB\\VID_1\\2", false);
  SetRaw(Instance("SCSI\\Disk\\1"), "LowerFilters", REG_MULTI_SZ, std::string("EhStor\0lumexflt\0\0", 17));
  SetRaw(Instance("USB\\VID_1\\2"), "UpperFilters", REG_SZ, std::string("LumexFlt\0", 9));
  SetRaw(Instance("USB\\VID_2\\3"), "UpperFilters", REG_MULTI_SZ, std::string("LumexFlt\0\0", 10));
  sim::InjectFault("SetupDiSetDeviceRegistryPropertyA", ERROR_ACCESS_DENIED, "USB\\VID_2");
  RemoveFromDeviceFilters({"LumexFlt"});
  EXPECT_EQ(Raw(Instance("SCSI\\Disk\\1"), "LowerFilters"), std::string("EhStor\0\0", 8));
  EXPECT_EQ(Raw(Instance("USB\\VID_1\\2"), "UpperFilters"), "(absent)");
  EXPECT_EQ(Raw(Instance("USB\\VID_2\\3"), "UpperFilters"), std::string("LumexFlt\0\0", 10));
  ASSERT_EQ(LeftoverCount(), 1);
  EXPECT_STREQ(LeftoverAt(0), "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_2\\3\\UpperFilters");
  EXPECT_EQ(sim::devices::OpenDeviceSets(), 0u);
}
