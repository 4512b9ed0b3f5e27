// Files the removal finds in use: each is deleted at the next restart
// (NT: the Session Manager's pending list, 9x: WININIT.INI), and the run
// shows and steps exactly as it does when nothing is in use.
#include "log/Leftovers.h"
#include "platform/sim/faults.h"
#include "platform/sim/process_store.h"
#include "platform/sim/restart.h"
#include "tests/unit/removal_fixture.h"

namespace {

const char kProfile[] =
    "[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvName0=Velmor Tuner\nDevDrvSYS0=tuner.sys\n"
    "DevDrvINF0=tuner.inf\nExtDllFileNum=1\nExtCopyFileName0=tunerhelper.dll\nDrvUninstRegKeyPath={PKG}\n";

class FilesInUse : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    WriteProfile(kProfile);
    Device("PCI\\VEN_1131&DEV_7160\\4&1", {"PCI\\VEN_1131&DEV_7160"});
    const std::string instance = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}\\0001";
    sim::registry::SetString(instance, "DriverDesc", "Velmor Tuner");
    sim::registry::SetString(instance, "InfPath", "tuner.inf");
    for (const char* file : {"inf\\tuner.inf", "inf\\tuner.pnf", "system32\\drivers\\tuner.sys",
                             "system32\\tunerhelper.dll", "system\\tunerhelper.dll", "q7nunist.exe"}) {
      sim::files::Write(file, "x");
    }
  }

  static std::vector<std::string> Pending() {
    std::vector<std::string> sources;
    for (const auto& operation : sim::PendingFileRenames()) {
      EXPECT_EQ(operation.second, "");
      sources.push_back(operation.first);
    }
    return sources;
  }

  static std::string WininitText() {
    const auto file = sim::files::Get("WININIT.INI");
    return file ? file->content : "<none>";
  }
};

TEST_F(FilesInUse, OnNtEachKindOfUseIsScheduledAndGoesAtTheRestart) {
  sim::files::HoldOpen("system32\\drivers\\tuner.sys");
  sim::files::LoadImage("system32\\tunerhelper.dll");
  sim::processes::StartImage("q7nunist.exe");
  sim::files::Write("system32\\drivers\\tuner.sys", "x", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  RunWithOk();
  EXPECT_EQ(Pending(), (std::vector<std::string>{"c:\\windows\\system32\\drivers\\tuner.sys",
                                                 "c:\\windows\\system32\\tunerhelper.dll",
                                                 "c:\\windows\\q7nunist.exe"}));
  // Still there until the restart, with its attributes reset as before.
  EXPECT_EQ(sim::files::Get("system32\\drivers\\tuner.sys")->attributes, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_FALSE(FileExists("inf\\tuner.inf"));
  EXPECT_EQ(LeftoverCount(), 0);
  sim::Restart();
  for (const char* file : {"system32\\drivers\\tuner.sys", "system32\\tunerhelper.dll", "q7nunist.exe"}) {
    EXPECT_FALSE(FileExists(file)) << file;
  }
  EXPECT_FALSE(sim::registry::GetValue(sim::kSessionManagerKey, sim::kPendingRenamesValue).has_value());
}

TEST_F(FilesInUse, TheStatusLineAndTheProgressAreThoseOfARunWithNothingInUse) {
  RunWithOk();
  const auto lines = StatusLines();
  const auto steps = ProgressMessageKinds();
  const auto slept = sim::SleptMilliseconds();
  SetUp();
  sim::files::HoldOpen("system32\\drivers\\tuner.sys");
  sim::files::LoadImage("system32\\tunerhelper.dll");
  RunWithOk();
  EXPECT_EQ(StatusLines(), lines);
  EXPECT_EQ(ProgressMessageKinds(), steps);
  EXPECT_EQ(sim::SleptMilliseconds(), slept);
  EXPECT_EQ(Pending().size(), 2u);
}

TEST_F(FilesInUse, AReadOnlyUninstallerStaysAndIsNeitherScheduledNorALeftover) {
  sim::files::Write("q7nunist.exe", "x", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  sim::processes::StartImage("q7nunist.exe");
  RunWithOk();
  EXPECT_TRUE(FileExists("q7nunist.exe"));
  EXPECT_TRUE(Pending().empty());
  EXPECT_EQ(LeftoverCount(), 0);
}

TEST_F(FilesInUse, AMissingFileIsNotScheduled) {
  sim::files::Erase("system32\\drivers\\tuner.sys");
  RunWithOk();
  EXPECT_TRUE(Pending().empty());
  EXPECT_EQ(LeftoverCount(), 0);
}

TEST_F(FilesInUse, APendingListThatCannotBeWrittenLeavesANamedLeftover) {
  sim::files::LoadImage("system32\\tunerhelper.dll");
  sim::InjectFault("MoveFileExA", ERROR_ACCESS_DENIED);
  RunWithOk();
  EXPECT_TRUE(FileExists("system32\\tunerhelper.dll"));
  ASSERT_EQ(LeftoverCount(), 1);
  EXPECT_STREQ(LeftoverAt(0), "c:\\windows\\system32\\tunerhelper.dll");
}

TEST_F(FilesInUse, OnNtWithoutAdministratorRightsTheFileIsALeftover) {
  sim::processes::SetElevated(false);
  sim::files::HoldOpen("system32\\drivers\\tuner.sys");
  RunWithOk();
  EXPECT_TRUE(Pending().empty());
  EXPECT_EQ(LeftoverCount(), 1);
}

TEST_F(FilesInUse, On9xTheFileGoesIntoWininitByItsShortPath) {
  sim::SetVersion("win98");
  sim::files::Write("system\\Tuner Helper Library.dll", "x");
  std::string profile = kProfile;
  profile.replace(profile.find("ExtDllFileNum=1"), 15, "ExtDllFileNum=2\nExtCopyFileName1=Tuner Helper Library.dll");
  WriteProfile(profile);
  sim::files::LoadImage("system\\tunerhelper.dll");
  sim::files::LoadImage("system\\Tuner Helper Library.dll");
  sim::files::HoldOpen("system32\\drivers\\tuner.sys");
  RunWithOk();
  EXPECT_EQ(sim::CountCalls("MoveFileExA"), 0u);
  EXPECT_EQ(WininitText(),
            "[rename]\r\nNUL=c:\\windows\\system32\\drivers\\tuner.sys\r\nNUL=c:\\windows\\system\\TUNERH~1.DLL\r\n"
            "NUL=c:\\windows\\system\\TUNERH~2.DLL\r\n");
  sim::Restart();
  EXPECT_FALSE(FileExists("system\\Tuner Helper Library.dll"));
  EXPECT_FALSE(FileExists("system32\\drivers\\tuner.sys"));
  EXPECT_FALSE(FileExists("WININIT.INI"));
  EXPECT_TRUE(FileExists("WININIT.BAK"));
}

TEST_F(FilesInUse, On9xAWininitThatCannotBeWrittenLeavesLeftovers) {
  sim::SetVersion("win98");
  sim::files::Write("WININIT.INI", "[rename]\r\n", FILE_ATTRIBUTE_READONLY);
  sim::files::HoldOpen("system32\\drivers\\tuner.sys");
  RunWithOk();
  EXPECT_EQ(WininitText(), "[rename]\r\n");
  ASSERT_EQ(LeftoverCount(), 1);
  EXPECT_STREQ(LeftoverAt(0), "c:\\windows\\system32\\drivers\\tuner.sys");
}

}  // namespace
