// The NT device check when the device list cannot be read to its end: a
// partial count that happens to equal the profile's must not start the
// removal.
#include "platform/sim/faults.h"
#include "platform/sim/process_store.h"
#include "tests/unit/removal_fixture.h"

namespace {

class DeviceCheckNT : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    // One device expected; two are present, so only a partial walk matches.
    WriteProfile(
        "[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvName0=Velmor Tuner\n"
        "DevDrvSYS0=tuner.sys\nDevDrvINF0=tuner.inf\nDrvUninstRegKeyPath={PKG}\n"
        "UnInstDrvPassMsg=Done.\n");
    Device("PCI\\VEN_1131&DEV_7160\\4&1", {"PCI\\VEN_1131&DEV_7160&SUBSYS_1"});
    Device("PCI\\VEN_1131&DEV_7160\\4&2", {"PCI\\VEN_1131&DEV_7160&SUBSYS_2"});
    sim::files::Write("system32\\drivers\\tuner.sys", "x");
    sim::files::Write("q7nunist.exe", "x");
    sim::processes::Start("ehRecvr.exe");
  }

  // A walk cut short stops the run as a differing count does, and says so.
  void ExpectNothingRemoved() {
    ASSERT_EQ(sim::windows::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::windows::MessageBoxes()[0].text, theApp.m_szUnInstDrvNoDevMsg);
    EXPECT_EQ(theApp.m_dwExitCode, 1167u);
    EXPECT_TRUE(FileExists("system32\\drivers\\tuner.sys"));
    EXPECT_TRUE(FileExists("q7nunist.exe"));
    EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_1131&DEV_7160\\4&1"));
    EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_1131&DEV_7160\\4&2"));
    EXPECT_TRUE(sim::processes::Terminated().empty());
    EXPECT_TRUE(sim::registry::Exists("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{PKG}"));
    EXPECT_EQ(CountOf(PBM_STEPIT), 0);
  }
};

TEST_F(DeviceCheckNT, AHardwareIdReadThatFailsStopsLikeADifferentCount) {
  sim::InjectFault("SetupDiGetDeviceRegistryPropertyA", ERROR_ACCESS_DENIED, "4&2", -1, 1);
  RunWithOk();
  ExpectNothingRemoved();
}

TEST_F(DeviceCheckNT, AnEnumerationThatFailsMidwayStopsLikeADifferentCount) {
  sim::InjectFault("SetupDiEnumDeviceInfo", ERROR_NOT_ENOUGH_MEMORY, "", 1, 1);
  RunWithOk();
  ExpectNothingRemoved();
}

TEST_F(DeviceCheckNT, AListThatCannotBeObtainedConfirmsNoCountOfZero) {
  WriteProfile("[1]\nDevIDNum=0\nDrvUninstRegKeyPath={PKG}\n");
  sim::InjectFault("SetupDiGetClassDevsA", ERROR_NOT_ENOUGH_MEMORY, "", -1, 1);
  RunWithOk();
  ExpectNothingRemoved();
}

TEST_F(DeviceCheckNT, AWalkToTheEndStillRemovesWhenTheCountsAgree) {
  WriteProfile(
      "[1]\nDevIDNum=2\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvSYS0=tuner.sys\n"
      "DrvUninstRegKeyPath={PKG}\n");
  RunWithOk();
  EXPECT_FALSE(FileExists("system32\\drivers\\tuner.sys"));
  EXPECT_FALSE(sim::devices::DevicePresent("PCI\\VEN_1131&DEV_7160\\4&1"));
  EXPECT_EQ(sim::windows::MessageBoxes().size(), 1u);
}

}  // namespace
