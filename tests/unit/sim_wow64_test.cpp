// A 32-bit process on the simulated 64-bit Windows sees what WOW64 shows it:
// the 32-bit registry view, system32 redirected to SysWOW64 (but for the
// folders Windows exempts), and device removal refused.
#include <string>

#include "fresh_machine.h"
#include "harness/scenario_folder.h"
#include "platform/sim/device_store.h"
#include "platform/sim/modules.h"
#include "platform/sim/wow64.h"
#include "platform/system/SystemFunction.h"

namespace {

class Wow64Machine : public FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    sim::wow64::SetMachineBits(64);
    sim::wow64::SetProcessBits(32);
  }

  static bool Opens(const char* path, REGSAM sam) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | sam, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
};

TEST_F(Wow64Machine, SoftwareIsThe32BitViewUnlessTheOtherViewIsAskedFor) {
  sim::registry::Create("HKLM\\Software\\Wow6432Node\\Only32");
  sim::registry::Create("HKLM\\Software\\Only64");
  sim::registry::Create("HKLM\\SYSTEM\\Shared");
  EXPECT_TRUE(Opens("Software\\Only32", 0));
  EXPECT_FALSE(Opens("Software\\Only64", 0));
  EXPECT_TRUE(Opens("Software\\Only64", KEY_WOW64_64KEY));
  EXPECT_TRUE(Opens("SYSTEM\\Shared", 0));

  sim::wow64::SetProcessBits(64);
  EXPECT_TRUE(Opens("Software\\Only64", 0));
  EXPECT_TRUE(Opens("Software\\Only32", KEY_WOW64_32KEY));
  EXPECT_TRUE(Opens("Software\\Wow6432Node\\Only32", 0));

  // A 32-bit Windows has one registry: the flags change nothing.
  sim::wow64::SetMachineBits(32);
  EXPECT_FALSE(Opens("Software\\Only32", KEY_WOW64_32KEY));
  EXPECT_TRUE(Opens("Software\\Only64", KEY_WOW64_32KEY));
}

TEST_F(Wow64Machine, A32BitProcessWritesAndDeletesIn32BitView) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Tool", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_TRUE(sim::registry::Exists("HKLM\\Software\\Wow6432Node\\Vendor\\Tool"));
  EXPECT_FALSE(sim::registry::Exists("HKLM\\Software\\Vendor"));
  sim::registry::Create("HKLM\\Software\\Vendor\\Tool");
  EXPECT_EQ(SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Vendor"), ERROR_SUCCESS);
  EXPECT_FALSE(sim::registry::Exists("HKLM\\Software\\Wow6432Node\\Vendor"));
  EXPECT_TRUE(sim::registry::Exists("HKLM\\Software\\Vendor\\Tool"));
}

TEST_F(Wow64Machine, System32IsSysWow64ButForTheExemptFolders) {
  sim::files::Write("system32\\drivers\\tuner.sys", "64");
  sim::files::Write("system32\\drivers\\etc\\hosts", "shared");
  sim::files::Write("SysWOW64\\lumexir.dll", "32");
  EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\system32\\drivers\\tuner.sys"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_NE(GetFileAttributesA("C:\\WINDOWS\\System32\\lumexir.dll"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA("C:\\WINDOWS\\system32\\drivers\\etc\\hosts"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA("C:\\WINDOWS\\Sysnative\\drivers\\tuner.sys"), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\Sysnative\\drivers\\tuner.sys"));

  // The system directory still reads system32; the redirection is in the calls.
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_STREQ(system, "C:\\WINDOWS\\system32");

  sim::wow64::SetProcessBits(64);
  EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\system32\\lumexir.dll"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Wow64Machine, OnlyTheNativeProcessRemovesDevices) {
  sim::devices::AddDevice("PCI\\VEN_1\\0", {"PCI\\VEN_1"});
  HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof(device);
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &device));
  EXPECT_FALSE(SetupDiRemoveDevice(set, &device));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IN_WOW64));
  sim::wow64::SetProcessBits(64);
  EXPECT_TRUE(SetupDiRemoveDevice(set, &device));
  SetupDiDestroyDeviceInfoList(set);
}

TEST_F(Wow64Machine, TheBitnessQueriesAreThereFromWindowsXpOn) {
  auto isWow64 = GetSystemFunctionAs<BOOL(WINAPI*)(HANDLE, PBOOL)>("kernel32.dll", "IsWow64Process");
  ASSERT_NE(isWow64, nullptr);
  BOOL wow64 = FALSE;
  EXPECT_TRUE(isWow64(GetCurrentProcess(), &wow64));
  EXPECT_TRUE(wow64);
  auto nativeInfo = GetSystemFunctionAs<void(WINAPI*)(LPSYSTEM_INFO)>("kernel32.dll", "GetNativeSystemInfo");
  ASSERT_NE(nativeInfo, nullptr);
  SYSTEM_INFO info;
  nativeInfo(&info);
  EXPECT_EQ(info.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);

  ASSERT_TRUE(sim::SetVersion("win2k"));
  EXPECT_EQ(GetSystemFunction("kernel32.dll", "IsWow64Process"), nullptr);
  EXPECT_EQ(GetSystemFunction("kernel32.dll", "GetNativeSystemInfo"), nullptr);
  EXPECT_NE(GetSystemFunction("advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA"), nullptr);
  ASSERT_TRUE(sim::SetVersion("win98"));
  EXPECT_EQ(GetSystemFunction("advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA"), nullptr);
}

// What the 32-bit program would do without the hand-over: it finds the
// entry, but misses the driver files and cannot remove the devices.
TEST_F(Wow64Machine, WithoutTheHandOverA32BitProcessLeavesDriversAndDevices) {
  std::vector<std::string> errors;
  ASSERT_TRUE(harness::LoadMachineImage(std::string(DRVUNINST_SOURCE_DIR) + "/tests/scenarios/demo-tuner-installed",
                                         &errors));
  sim::wow64::SetMachineBits(64);
  sim::modules::SetExportMissing("kernel32.dll", "IsWow64Process", true);
  image::RunProgram(32);
  EXPECT_TRUE(sim::files::Exists("system32\\drivers\\lumexcap.sys"));
  EXPECT_TRUE(sim::registry::Exists(
      "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1D7A&DEV_0F31&SUBSYS_00011D7A&REV_01\\4&1A2B3C4D&0&0020"));
}

}  // namespace
