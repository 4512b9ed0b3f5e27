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

TEST_F(Leftovers, HowManyMoreIsSaidInTheProfilesWordsWhenItIsAFormatForOneNumber) {
  // What the profile gives -> the last line of the list.
  const std::pair<const char*, const char*> cases[] = {
      {"und %d weitere", "und 3 weitere"},
      {"%d", "3"},
      {"%s more", "and 3 more"},       // a place for a text: wsprintfA would read what was never passed
      {"%d of %d", "and 3 more"},      // two numbers
      {"100%% and %d", "and 3 more"},  // any other %
      {"more", "and 3 more"},          // no place for the number
      {"%", "and 3 more"},
      {"", "and 3 more"},
  };
  for (const auto& given : cases) {
    SCOPED_TRACE(given.first);
    SetUp();
    std::string profile = "[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nUnInstServiceNum=8\n";
    for (int i = 0; i < 8; ++i) {
      const std::string name = "Svc" + std::to_string(i);
      profile += "UnInstService" + std::to_string(i) + "=" + name + "\n";
      sim::registry::SetString("HKLM\\" + kServices + "\\" + name, "Start", "3");
    }
    sim::InjectFault("SHDeleteKeyA", ERROR_ACCESS_DENIED, "\\Svc");
    WriteProfile(profile + "UnInstDrvLeftMoreMsg=" + given.first + "\nUnInstDrvPassMsg2=Reboot now.\n");
    RunWithOk();
    const std::string& text = FinalBox().text;
    EXPECT_EQ(text.substr(text.rfind("Svc4\n") + 5), std::string(given.second) + "\n\nReboot now.");
  }
}

TEST_F(Leftovers, ALongItemIsNamedWhole) {
  const std::string name(250, 'S');  // a key name holds 255 at most; the item is over 300
  WriteProfile("[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nUnInstServiceNum=1\nUnInstService0=" + name +
               "\nUnInstDrvPassMsg2=Reboot now.\nUnInstDrvLeftMsg=Still there:\n");
  sim::registry::SetString("HKLM\\" + kServices + "\\" + name, "Start", "3");
  sim::InjectFault("SHDeleteKeyA", ERROR_ACCESS_DENIED, name);
  RunWithOk();
  EXPECT_EQ(FinalBox().text, "Still there:\n\nHKEY_LOCAL_MACHINE\\" + kServices + "\\" + name + "\n\nReboot now.");
}

TEST_F(Leftovers, AFileWhoseStateCannotBeReadMayStillBeThere) {
  const std::string profile = "[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvSYS0=lumexcap.sys\n"
                              "UnInstDrvPassMsg=Done.\nUnInstDrvPassMsg2=Reboot now.\nUnInstDrvLeftMsg=Still there:\n";
  // Not found, or its folder not found: gone, nothing to name; any other
  // answer leaves the file possibly there.
  const std::pair<DWORD, const char*> cases[] = {
      {ERROR_ACCESS_DENIED, "Still there:\n\nc:\\windows\\system32\\drivers\\lumexcap.sys\n\nReboot now."},
      {ERROR_FILE_NOT_FOUND, "Done.\n\nReboot now."},
      {ERROR_PATH_NOT_FOUND, "Done.\n\nReboot now."},
  };
  for (const auto& answer : cases) {
    SCOPED_TRACE(answer.first);
    SetUp();
    WriteProfile(profile);
    sim::files::Write("system32\\drivers\\lumexcap.sys", "x");
    sim::InjectFault("DeleteFileA", ERROR_ACCESS_DENIED, "lumexcap.sys");
    sim::InjectFault("GetFileAttributesA", answer.first, "lumexcap.sys");
    RunWithOk();
    EXPECT_EQ(FinalBox().text, answer.second);
  }
}

// In a clean run, which of the opens of keys whose path holds keyPath is the
// last open of that key itself: the removal's open for deleting.
int LastOpenOf(const std::string& keyPath) {
  int matching = 0;
  int last = 0;
  for (const sim::CallRecord& call : sim::CallLog()) {
    if (call.api != "RegOpenKeyExA" || !sim::ContainsNoCase(call.subject, keyPath)) continue;
    ++matching;
    const bool exact = call.subject.size() >= keyPath.size() &&
                       sim::EqualsNoCase(call.subject.substr(call.subject.size() - keyPath.size()), keyPath);
    if (exact) last = matching;
  }
  return last;
}

TEST_F(Leftovers, ClassKeysAndInstancesThatCannotBeOpenedForDeletingAreNamedWhenThePackages) {
  const std::string instance = kMedia + "\\0001";
  const std::string other = kMedia + "\\0002";
  for (const std::string& locked : {instance, other, kMedia}) {
    SCOPED_TRACE(locked);
    SetUp();
    sim::registry::SetString("HKLM\\" + other, "DriverDesc", "Other Sound");
    RunWithOk();
    const int nth = LastOpenOf(locked);
    ASSERT_GT(nth, 0);

    SetUp();
    sim::registry::SetString("HKLM\\" + other, "DriverDesc", "Other Sound");
    // That open fails; a later one, for reading, works.
    sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, locked, -1, nth);
    RunWithOk();
    // Another product's instance is no leftover of this package.
    EXPECT_EQ(FinalBox().text, locked == other ? std::string("Done.\n\nReboot now.")
                                               : "Still there:\n\nHKEY_LOCAL_MACHINE\\" + instance + "\n\nReboot now.");
    EXPECT_EQ(sim::registry::Exists("HKLM\\" + instance), locked != other);
  }
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
