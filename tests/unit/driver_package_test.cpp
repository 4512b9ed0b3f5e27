// Driver packages: each collected INF that no other product's device uses is
// uninstalled through SetupAPI after the package's devices, without forcing,
// then what is left of it is deleted by hand; one another device uses stays
// whole; and the simulated SetupAPI removes what Windows documents.
#include "log/Kept.h"
#include "log/Leftovers.h"
#include "platform/sim/driver_store.h"
#include "platform/sim/modules.h"
#include "platform/system/SystemFunction.h"
#include "removal/DriverPackage.h"
#include "removal/FinalMessage.h"
#include "tests/unit/removal_fixture.h"

namespace {

const std::string kMedia = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}\\";
const std::string kStoreFolder = "system32\\DriverStore\\FileRepository\\tuner.inf_amd64_5f1c2b7e0a9d3c41";
const std::string kCatalog = std::string(sim::driverstore::kCatalogRoot) + "\\oem3.cat";
const char kTunerInf[] = "[Version]\nSignature=\"$Windows NT$\"\nCatalogFile=tuner.cat\n";

using UninstallOemInf = BOOL(WINAPI*)(PCSTR, DWORD, PVOID);

class DriverPackage : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    WriteProfile("[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvName0=Velmor Tuner\n"
                 "DrvUninstRegKeyPath={PKG}\n");
    Device("PCI\\VEN_1131&DEV_7160\\4&1", {"PCI\\VEN_1131&DEV_7160&SUBSYS_1"});
    sim::registry::SetString(EnumKey("PCI\\VEN_1131&DEV_7160\\4&1"), "Driver",
                             "{4d36e96c-e325-11ce-bfc1-08002be10318}\\0001");
    sim::registry::SetString(kMedia + "0001", "DriverDesc", "Velmor Tuner");
    sim::registry::SetString(kMedia + "0001", "InfPath", "oem3.inf");
    sim::files::Write("inf\\oem3.inf", kTunerInf);
    sim::files::Write("inf\\oem3.pnf", "pnf");
    sim::files::Write(kCatalog, "cat");
    sim::files::Write(kStoreFolder + "\\tuner.inf", kTunerInf);
    sim::files::Write(kStoreFolder + "\\tuner.sys", "sys");
    sim::files::Write(kStoreFolder + "\\tuner.cat", "cat");
    // Another vendor's package, in the store beside it.
    sim::files::Write("inf\\oem1.inf", "[Version]\nother\n");
    sim::files::Write("system32\\DriverStore\\FileRepository\\other.inf_amd64_0123456789abcdef\\other.inf",
                      "[Version]\nother\n");
  }

  // The position of the first logged call of api whose subject holds text.
  static long CallIndex(const std::string& api, const std::string& text) {
    const auto& log = sim::CallLog();
    for (size_t i = 0; i < log.size(); ++i) {
      if (log[i].api == api && sim::ContainsNoCase(log[i].subject, text)) return static_cast<long>(i);
    }
    return -1;
  }

  static void ExpectInfAndPnfGone() {
    EXPECT_FALSE(FileExists("inf\\oem3.inf"));
    EXPECT_FALSE(FileExists("inf\\oem3.pnf"));
    EXPECT_TRUE(FileExists("inf\\oem1.inf"));
  }
};

TEST_F(DriverPackage, LeavesTheDriverStoreAfterItsDevicesAndBeforeItsFilesAreTouchedByHand) {
  RunWithOk();
  ExpectInfAndPnfGone();
  EXPECT_FALSE(FileExists(kCatalog));
  EXPECT_FALSE(FileExists(kStoreFolder));
  EXPECT_FALSE(FileExists(kStoreFolder + "\\tuner.sys"));
  EXPECT_TRUE(FileExists("system32\\DriverStore\\FileRepository\\other.inf_amd64_0123456789abcdef\\other.inf"));
  const long uninstalled = CallIndex("SetupUninstallOEMInfA", "oem3.inf");
  ASSERT_GE(uninstalled, 0);
  EXPECT_GT(uninstalled, CallIndex("SetupDiRemoveDevice", "PCI\\VEN_1131&DEV_7160\\4&1"));
  EXPECT_LT(uninstalled, CallIndex("DeleteFileA", "inf\\oem3.inf"));
  EXPECT_EQ(sim::CountCalls("SetupUninstallOEMInfA"), 1u);
  // The pair is still shown at its own step, before the driver files.
  const std::vector<std::string> lines = StatusLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "c:\\windows\\inf\\oem3.pnf");
  EXPECT_EQ(lines[1], "c:\\windows\\inf\\oem3.inf");
  EXPECT_EQ(KeptCount(), 0);
}

// Not forced: while a device of the package could not be removed, Windows
// refuses, and the INF stays whole and is named.
TEST_F(DriverPackage, APackageADeviceStillUsesIsRefusedAndNamed) {
  sim::InjectFault("SetupDiRemoveDevice", ERROR_ACCESS_DENIED, "PCI\\VEN_1131&DEV_7160\\4&1");
  RunWithOk();
  EXPECT_TRUE(FileExists("inf\\oem3.inf"));
  EXPECT_TRUE(FileExists("inf\\oem3.pnf"));
  EXPECT_TRUE(FileExists(kStoreFolder + "\\tuner.inf"));
  EXPECT_EQ(sim::CountCalls("SetupUninstallOEMInfA"), 1u);
  ASSERT_GE(LeftoverCount(), 2);
  EXPECT_STREQ(LeftoverAt(0), "PCI\\VEN_1131&DEV_7160&SUBSYS_1");
  EXPECT_STREQ(LeftoverAt(1), "c:\\windows\\inf\\oem3.inf");
}

// Another model installed from the same INF, whose class instance's
// description begins with the profile's name: present or not, it keeps the
// INF, its PNF, its package and its driver key, and the run is still complete.
TEST_F(DriverPackage, AnInfAnotherProductsDeviceUsesStaysWholeAndIsKept) {
  for (const bool pluggedIn : {true, false}) {
    sim::Reset();
    ResetProgramState();
    SetUp();
    Device("PCI\\VEN_1131&DEV_7162\\4&9", {"PCI\\VEN_1131&DEV_7162&SUBSYS_9"});
    sim::registry::SetString(EnumKey("PCI\\VEN_1131&DEV_7162\\4&9"), "Driver",
                             "{4d36e96c-e325-11ce-bfc1-08002be10318}\\0002");
    sim::devices::SetPluggedIn("PCI\\VEN_1131&DEV_7162\\4&9", pluggedIn);
    sim::registry::SetString(kMedia + "0002", "DriverDesc", "Velmor Tuner Pro");
    sim::registry::SetString(kMedia + "0002", "InfPath", "OEM3.INF");
    RunWithOk();
    EXPECT_EQ(sim::CountCalls("SetupUninstallOEMInfA"), 0u);
    EXPECT_TRUE(FileExists("inf\\oem3.inf"));
    EXPECT_TRUE(FileExists("inf\\oem3.pnf"));
    EXPECT_TRUE(FileExists(kCatalog));
    EXPECT_TRUE(FileExists(kStoreFolder + "\\tuner.inf"));
    EXPECT_TRUE(sim::registry::Exists(kMedia + "0002"));
    EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_1131&DEV_7162\\4&9"));
    EXPECT_FALSE(sim::devices::DevicePresent("PCI\\VEN_1131&DEV_7160\\4&1"));
    ASSERT_EQ(KeptCount(), 1);
    EXPECT_STREQ(KeptItemAt(0), "c:\\windows\\inf\\oem3.inf");
    EXPECT_STREQ(KeptWhyAt(0), "used by PCI\\VEN_1131&DEV_7162&SUBSYS_9");
    EXPECT_FALSE(RunLeftSomething());
  }
}

// A class instance another device is bound to stays even when its
// description is the profile's name as a whole.
TEST_F(DriverPackage, ADriverKeyAnotherDeviceIsBoundToStays) {
  Device("PCI\\VEN_1131&DEV_7162\\4&9", {"PCI\\VEN_1131&DEV_7162&SUBSYS_9"});
  sim::registry::SetString(EnumKey("PCI\\VEN_1131&DEV_7162\\4&9"), "Driver",
                           "{4d36e96c-e325-11ce-bfc1-08002be10318}\\0002");
  sim::registry::SetString(kMedia + "0002", "DriverDesc", "Velmor Tuner");
  sim::registry::SetString(kMedia + "0002", "InfPath", "oem7.inf");
  sim::files::Write("inf\\oem7.inf", "[Version]\nseven\n");
  RunWithOk();
  EXPECT_TRUE(sim::registry::Exists(kMedia + "0002"));
  EXPECT_TRUE(FileExists("inf\\oem7.inf"));
  ExpectInfAndPnfGone();
  ASSERT_EQ(KeptCount(), 2);
  EXPECT_STREQ(KeptItemAt(0), "c:\\windows\\inf\\oem7.inf");
  EXPECT_STREQ(KeptItemAt(1), ("HKEY_LOCAL_MACHINE\\" + kMedia.substr(5) + "0002").c_str());
  EXPECT_FALSE(RunLeftSomething());
}

TEST_F(DriverPackage, OnlyPublishedNamesAreHandedOver) {
  EXPECT_TRUE(IsPublishedInfName("oem3.inf"));
  EXPECT_TRUE(IsPublishedInfName("OEM12.INF"));
  EXPECT_FALSE(IsPublishedInfName("oem.inf"));
  EXPECT_FALSE(IsPublishedInfName("oem3a.inf"));
  EXPECT_FALSE(IsPublishedInfName("oem3.inf.bak"));
  EXPECT_FALSE(IsPublishedInfName("tuner.inf"));
  sim::registry::SetString(kMedia + "0001", "InfPath", "tuner.inf");
  sim::files::Write("inf\\tuner.inf", "x");
  RunWithOk();
  EXPECT_EQ(sim::CountCalls("SetupUninstallOEMInfA"), 0u);
  EXPECT_FALSE(FileExists("inf\\tuner.inf"));
  EXPECT_TRUE(FileExists("inf\\oem3.inf"));
}

TEST_F(DriverPackage, WhereWindowsLacksTheFunctionTheFilesStillGoByHand) {
  sim::modules::SetExportMissing("setupapi.dll", "SetupUninstallOEMInfA", true);
  RunWithOk();
  ExpectInfAndPnfGone();
  EXPECT_TRUE(FileExists(kStoreFolder + "\\tuner.inf"));
  EXPECT_EQ(sim::CountCalls("SetupUninstallOEMInfA"), 0u);
  EXPECT_EQ(sim::windows::MessageBoxes().size(), 1u);

  // Windows 2000 has no such export and no driver store.
  sim::Reset();
  ResetProgramState();
  SetUp();
  ASSERT_TRUE(sim::SetVersion("win2k"));
  RunWithOk();
  ExpectInfAndPnfGone();
  EXPECT_EQ(sim::CountCalls("SetupUninstallOEMInfA"), 0u);
  // By hand alone, after the devices.
  EXPECT_GT(CallIndex("DeleteFileA", "inf\\oem3.inf"), CallIndex("SetupDiRemoveDevice", "PCI\\VEN_1131"));
}

// Without the function, the hand deletion makes Windows' own check first.
TEST_F(DriverPackage, WithoutTheFunctionAnInfADeviceIsStillBoundToStaysNamed) {
  ASSERT_TRUE(sim::SetVersion("win2k"));
  sim::InjectFault("SetupDiRemoveDevice", ERROR_ACCESS_DENIED, "PCI\\VEN_1131&DEV_7160\\4&1");
  RunWithOk();
  EXPECT_TRUE(FileExists("inf\\oem3.inf"));
  EXPECT_TRUE(FileExists("inf\\oem3.pnf"));
  ASSERT_EQ(LeftoverCount(), 3);
  EXPECT_STREQ(LeftoverAt(1), "c:\\windows\\inf\\oem3.inf");
  EXPECT_STREQ(LeftoverAt(2), "c:\\windows\\inf\\oem3.pnf");
}

TEST_F(DriverPackage, AFailedUninstallKeepsTheInfAndNamesIt) {
  sim::InjectFault("SetupUninstallOEMInfA", ERROR_ACCESS_DENIED);
  RunWithOk();
  EXPECT_TRUE(FileExists("inf\\oem3.inf"));
  EXPECT_TRUE(FileExists("inf\\oem3.pnf"));
  EXPECT_TRUE(FileExists(kStoreFolder + "\\tuner.inf"));
  EXPECT_TRUE(FileExists(kCatalog));
  ASSERT_EQ(LeftoverCount(), 1);
  EXPECT_STREQ(LeftoverAt(0), "c:\\windows\\inf\\oem3.inf");
}

TEST_F(DriverPackage, AnInfAlreadyGoneIsNotAskedForAndItsPnfStillGoes) {
  sim::files::Remove("inf\\oem3.inf");
  RunWithOk();
  EXPECT_FALSE(FileExists("inf\\oem3.pnf"));
  EXPECT_EQ(sim::CountCalls("SetupUninstallOEMInfA"), 0u);
}

TEST_F(DriverPackage, ANameWithAPathIsDeletedByHandButNeverHandedOver) {
  sim::registry::SetString(kMedia + "0001", "InfPath", "oem\\oem3.inf");
  sim::files::Write("inf\\oem\\oem3.inf", "x");
  RunWithOk();
  EXPECT_FALSE(FileExists("inf\\oem\\oem3.inf"));
  EXPECT_EQ(sim::CountCalls("SetupUninstallOEMInfA"), 0u);
  EXPECT_TRUE(FileExists("inf\\oem3.inf"));
}

// The simulated function on its own, found as the program finds it.
class SimulatedUninstallOemInf : public DriverPackage {
 protected:
  static BOOL Call(PCSTR name, DWORD flags) {
    const UninstallOemInf uninstall = GetSystemFunctionAs<UninstallOemInf>("setupapi.dll", "SetupUninstallOEMInfA");
    EXPECT_NE(uninstall, nullptr);
    return uninstall == nullptr ? FALSE : uninstall(name, flags, nullptr);
  }
};

TEST_F(SimulatedUninstallOemInf, WithoutForceRefusesWhileADeviceWasInstalledFromIt) {
  EXPECT_FALSE(Call("oem3.inf", 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INF_IN_USE_BY_DEVICES));
  EXPECT_TRUE(FileExists("inf\\oem3.inf"));
  EXPECT_TRUE(FileExists(kStoreFolder + "\\tuner.inf"));

  sim::registry::DeleteTree(EnumKey("PCI\\VEN_1131&DEV_7160\\4&1"));
  EXPECT_TRUE(Call("OEM3.INF", 0));
  ExpectInfAndPnfGone();
  EXPECT_FALSE(FileExists(kStoreFolder));
}

TEST_F(SimulatedUninstallOemInf, NamesNothingOutsideTheInfDirectory) {
  EXPECT_FALSE(Call("oem9.inf", SUOI_FORCEDELETE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(Call("C:\\WINDOWS\\inf\\oem3.inf", SUOI_FORCEDELETE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(Call(nullptr, SUOI_FORCEDELETE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  sim::files::Write("inf\\oem4.inf", "x", FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(Call("oem4.inf", SUOI_FORCEDELETE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(FileExists("inf\\oem3.inf"));
  EXPECT_TRUE(FileExists("inf\\oem4.inf"));
}

TEST_F(SimulatedUninstallOemInf, BeforeVistaThereIsNoStoreToLeave) {
  ASSERT_TRUE(sim::SetVersion("winxp"));
  EXPECT_TRUE(Call("oem3.inf", SUOI_FORCEDELETE));
  ExpectInfAndPnfGone();
  EXPECT_FALSE(FileExists(kCatalog));
  EXPECT_TRUE(FileExists(kStoreFolder + "\\tuner.inf"));
}

}  // namespace
