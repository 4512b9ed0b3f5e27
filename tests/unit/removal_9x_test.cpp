// The 9x-family removal as a whole: files from the profile, progress, message.
#include "tests/unit/removal_fixture.h"

namespace {

class Removal9x : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    sim::SetVersion("win98");
    WriteProfile(
        "[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvName0=Tuner\nDevDrvSYS0=Tuner.SYS\n"
        "DevDrvINF0=Tuner.INF\n"
        "ExtDevIDNum=1\nExtDevDrvID0=STREAM\\CX\nExtDevDrvName0=Audio\nExtDevDrvSYS0=audio.sys\n"
        "ExtDevDrvINF0=audio.inf\n"
        "PossibleDevIDNum=2\nPossibleDevID0=PCI\\VEN_1131&DEV_7160&SUBSYS_1\nPossibleDevInf0=var1.inf\n"
        "PossibleDevDrvSYS0=var1.sys\nPossibleDevID1=PCI\\VEN_9999\nPossibleDevInf1=var2.inf\n"
        "ExtDllFileNum=1\nExtCopyFileName0=tuner.dll\nDrvUninstRegKeyPath={PKG}\n");
    for (const char* file : {"inf\\tuner.inf", "inf\\tuner.pnf", "inf\\audio.inf", "inf\\audio.pnf",
                             "inf\\var1.inf", "inf\\var1.pnf", "inf\\var2.inf", "system32\\drivers\\tuner.sys",
                             "system32\\drivers\\audio.sys", "system32\\drivers\\var1.sys", "system\\tuner.dll",
                             "system32\\tuner.dll", "q7nunist.exe"}) {
      sim::files::Write(file, "x");
    }
  }
};

TEST_F(Removal9x, StepsOncePerListEntryAndOnceForTheUninstaller) {
  RunWithOk();
  // (1 + 1) x 2 + 2 variants + 1 support file + 1.
  EXPECT_EQ(CountOf(PBM_STEPIT), 8);
  EXPECT_EQ(PositionBeforeSetPos(100), 48);
  EXPECT_EQ(sim::SleptMilliseconds(), 7u * 20u);
  ASSERT_EQ(sim::windows::MessageBoxes().size(), 1u);
}

TEST_F(Removal9x, InfAndPnfFromTheProfileVariantsInfOnly) {
  RunWithOk();
  for (const char* gone : {"inf\\tuner.inf", "inf\\tuner.pnf", "inf\\audio.inf", "inf\\audio.pnf",
                           "inf\\var1.inf", "inf\\var2.inf", "system32\\drivers\\tuner.sys",
                           "system32\\drivers\\audio.sys", "system\\tuner.dll", "q7nunist.exe"}) {
    EXPECT_FALSE(FileExists(gone)) << gone;
  }
  // A variant's PNF and driver file are not its to delete; support files live in system.
  EXPECT_TRUE(FileExists("inf\\var1.pnf"));
  EXPECT_TRUE(FileExists("system32\\drivers\\var1.sys"));
  EXPECT_TRUE(FileExists("system32\\tuner.dll"));
}

TEST_F(Removal9x, StatusLinesAreLowerCaseWholePaths) {
  RunWithOk();
  const std::vector<std::string> lines = StatusLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "c:\\windows\\inf\\tuner.inf");
  EXPECT_EQ(lines[1], "c:\\windows\\inf\\tuner.pnf");
  EXPECT_EQ(lines.back(), "c:\\windows\\q7nunist.exe");
}

TEST_F(Removal9x, AVariantTheScanUsedIsDeletedAsPrimaryWithItsPnf) {
  Device("PCI\\VEN_1131&DEV_7160&SUBSYS_1\\BUS_01", {"PCI\\VEN_1131&DEV_7160&SUBSYS_1&REV_01"});
  RunWithOk();
  EXPECT_FALSE(FileExists("inf\\var1.pnf"));
  EXPECT_FALSE(FileExists("system32\\drivers\\var1.sys"));
  // The primary's own files are no longer named once the variant replaced it.
  EXPECT_TRUE(FileExists("inf\\tuner.inf"));
}

TEST_F(Removal9x, WithEveryCountZeroOnlyTheUninstallerIsShown) {
  WriteProfile("[1]\nDrvUninstRegKeyPath={PKG}\n");
  RunWithOk();
  EXPECT_EQ(StatusLines(), (std::vector<std::string>{"c:\\windows\\q7nunist.exe"}));
  EXPECT_EQ(CountOf(PBM_STEPIT), 1);
  EXPECT_EQ(sim::windows::LastDialog().progressPos, 100);
  EXPECT_EQ(sim::windows::MessageBoxes().size(), 1u);
  EXPECT_FALSE(sim::registry::Exists("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{PKG}"));
}

TEST_F(Removal9x, AnInfNameWithoutDotInfDeletesOnlyThatFile) {
  WriteProfile("[1]\nDevIDNum=1\nDevDrvID0=PCI\\X\nDevDrvINF0=tuner.txt\n");
  sim::files::Write("inf\\tuner.txt", "x");
  RunWithOk();
  EXPECT_FALSE(FileExists("inf\\tuner.txt"));
  EXPECT_TRUE(FileExists("inf\\tuner.inf"));
}

TEST_F(Removal9x, ADirectoryNamedLikeAnInfIsNotRewritten) {
  const std::string directory = "C:\\OLD.INF";
  sim::files::SetWindowsDirectory(directory);
  sim::files::Write(directory + "\\ZIZURUDO.ini", "[1]\nDevIDNum=1\nDevDrvID0=PCI\\X\nDevDrvINF0=tuner.inf\n");
  sim::files::Write(directory + "\\inf\\tuner.pnf", "x");
  sim::files::Write("C:\\OLD.PNF\\inf\\tuner.pnf", "x");
  RunWithOk();
  EXPECT_FALSE(sim::files::Exists(directory + "\\inf\\tuner.pnf"));
  EXPECT_TRUE(sim::files::Exists("C:\\OLD.PNF\\inf\\tuner.pnf"));
}

}  // namespace
