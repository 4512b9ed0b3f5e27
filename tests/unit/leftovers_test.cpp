// The final message never claims a removal that did not happen: what the run
// set out to remove and could not is named, five at most, then how many more.
#include <string>

#include "platform/sim/faults.h"
#include "tests/unit/removal_fixture.h"

namespace {

const std::string kMedia = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}";
const std::string kServices = "SYSTEM\\CurrentControlSet\\Services";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class Leftovers : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    WriteProfile("[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvName0=Velmor Tuner\n"
                 "UnInstServiceNum=2\nUnInstService0=LumexCap\nUnInstService1=LumexGone\n"
                 "DrvUninstRegKeyPath={PKG}\nUnInstDrvPassMsg=Done.\nUnInstDrvPassMsg2=Reboot now.\n"
                 "UnInstDrvLeftMsg=Still there:\n");
    Device("PCI\\VEN_1131&DEV_7160\\4&1", {"PCI\\VEN_1131&DEV_7160&SUBSYS_1"});
    sim::registry::SetString("HKLM\\" + kMedia + "\\0001", "DriverDesc", "Velmor Tuner");
    sim::registry::SetString("HKLM\\" + kServices + "\\LumexCap", "ImagePath", "lumexcap.sys");
  }

  static const sim::windows::MessageBoxRecord& FinalBox() {
    EXPECT_EQ(sim::windows::MessageBoxes().size(), 1u);
    return sim::windows::MessageBoxes().back();
  }
};

TEST_F(Leftovers, ARunThatRemovedEverythingKeepsThePassMessage) {
  RunWithOk();  // LumexGone was never there: no leftover
  EXPECT_EQ(FinalBox().text, "Done.\n\nReboot now.");
  EXPECT_EQ(FinalBox().style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
}

TEST_F(Leftovers, EachKindThatStaysIsNamed) {
  sim::InjectFault("SetupDiRemoveDevice", ERROR_ACCESS_DENIED);
  sim::InjectFault("SHDeleteKeyA", ERROR_ACCESS_DENIED, "LumexCap");
  sim::InjectFault("SHDeleteKeyA", ERROR_ACCESS_DENIED, "\\0001");
  sim::InjectFault("SHDeleteKeyA", ERROR_ACCESS_DENIED, "{PKG}");
  RunWithOk();
  EXPECT_EQ(FinalBox().text, "Still there:\n\nPCI\\VEN_1131&DEV_7160&SUBSYS_1\nHKEY_LOCAL_MACHINE\\" + kServices +
                                 "\\LumexCap\nHKEY_LOCAL_MACHINE\\" + kMedia +
                                 "\\0001\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{PKG}"
                                 "\n\nReboot now.");
  EXPECT_EQ(FinalBox().style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
}

TEST_F(Leftovers, AFailureCountsOnlyWhenTheThingIsStillThere) {
  // The device matches twice: the second request finds it gone.
  WriteProfile("[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nExtDevIDNum=1\nExtDevDrvID0=PCI\\VEN_1131\n"
               "UnInstServiceNum=1\nUnInstService0=LumexCap\nDrvUninstRegKeyPath={PKG}\n"
               "UnInstDrvPassMsg=Done.\nUnInstDrvPassMsg2=Reboot now.\nUnInstDrvLeftMsg=Still there:\n");
  // A deletion that says "not found" while the key is still there is no success.
  sim::InjectFault("SHDeleteKeyA", ERROR_FILE_NOT_FOUND, "LumexCap");
  RunWithOk();
  EXPECT_EQ(sim::devices::RemovalRequests().size(), 2u);
  EXPECT_EQ(FinalBox().text, "Still there:\n\nHKEY_LOCAL_MACHINE\\" + kServices + "\\LumexCap\n\nReboot now.");
}

TEST_F(Leftovers, KeysThatCannotBeReachedForDeletionAreNamedWhenThere) {
  // The Services key refuses the clean-up; LumexCap is there, LumexGone not.
  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "Services", -1, 1);
  RunWithOk();
  EXPECT_EQ(FinalBox().text, "Still there:\n\nHKEY_LOCAL_MACHINE\\" + kServices + "\\LumexCap\n\nReboot now.");
}

TEST_F(Leftovers, FiveAreNamedThenHowManyMore) {
  std::string profile = "[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nUnInstServiceNum=7\n";
  for (int i = 0; i < 7; ++i) {
    const std::string name = "Svc" + std::to_string(i);
    profile += "UnInstService" + std::to_string(i) + "=" + name + "\n";
    sim::registry::SetString("HKLM\\" + kServices + "\\" + name, "Start", "3");
  }
  WriteProfile(profile + "UnInstDrvPassMsg2=Reboot now.\n");
  sim::InjectFault("SHDeleteKeyA", ERROR_ACCESS_DENIED, "\\Svc");
  RunWithOk();
  const std::string prefix = "HKEY_LOCAL_MACHINE\\" + kServices + "\\Svc";
  EXPECT_EQ(FinalBox().text,
            "The drivers could not be removed completely. These parts are still there:\n\n" + prefix + "0\n" + prefix +
                "1\n" + prefix + "2\n" + prefix + "3\n" + prefix + "4\nand 2 more\n\nReboot now.");
}

TEST_F(Leftovers, OnWindows9xAnEnumerationKeyThatStaysIsNamed) {
  sim::SetVersion("win98");
  sim::files::Write("win.ini", "[intl]\niCountry=1\n");
  Device("PCI\\VEN_1131&DEV_7160&SUBSYS_1\\BUS_00&DEV_0D", {"PCI\\VEN_1131&DEV_7160&SUBSYS_1"});
  sim::InjectFault("RegDeleteKeyA", ERROR_ACCESS_DENIED, "Enum\\PCI");
  RunWithOk();
  EXPECT_EQ(FinalBox().text, "Still there:\n\nHKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1131&DEV_7160&SUBSYS_1\n\nReboot now.");
}

}  // namespace
