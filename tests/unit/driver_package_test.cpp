// Driver packages: each collected INF is uninstalled through SetupAPI while it
// is still there, then what is left of it is deleted by hand; and the
// simulated SetupAPI removes what Windows documents.
#include "app/SystemFunction.h"
#include "platform/sim/driver_store.h"
#include "platform/sim/modules.h"
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

TEST_F(DriverPackage, LeavesTheDriverStoreBeforeItsFilesAreTouchedByHand) {
  RunWithOk();
  ExpectInfAndPnfGone();
  EXPECT_FALSE(FileExists(kCatalog));
  EXPECT_FALSE(FileExists(kStoreFolder));
  EXPECT_FALSE(FileExists(kStoreFolder + "\\tuner.sys"));
  EXPECT_TRUE(FileExists("system32\\DriverStore\\FileRepository\\other.inf_amd64_0123456789abcdef\\other.inf"));
  const long uninstalled = CallIndex("SetupUninstallOEMInfA", "oem3.inf");
  ASSERT_GE(uninstalled, 0);
  EXPECT_LT(uninstalled, CallIndex("SetFileAttributesA", "inf\\oem3.inf"));
  EXPECT_EQ(sim::CountCalls("SetupUninstallOEMInfA"), 1u);
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
}

TEST_F(DriverPackage, AFailedUninstallLeavesTheRestToTheHandDeletion) {
  sim::InjectFault("SetupUninstallOEMInfA", ERROR_ACCESS_DENIED);
  RunWithOk();
  ExpectInfAndPnfGone();
  EXPECT_TRUE(FileExists(kStoreFolder + "\\tuner.inf"));
  EXPECT_TRUE(FileExists(kCatalog));
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
