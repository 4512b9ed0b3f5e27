// The NT-family removal as a whole: order, progress, files, final message.
#include <cstring>

#include "platform/sim/process_store.h"
#include "tests/unit/removal_fixture.h"

namespace {

const std::string kMedia = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}\\";

class RemovalNT : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    WriteProfile(
        "[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvName0=Velmor Tuner\n"
        "DevDrvSYS0=Tuner.SYS\nDevDrvINF0=tuner.inf\n"
        "ExtDevIDNum=1\nExtDevDrvID0=STREAM\\CX\nExtDevDrvName0=Velmor Audio\nExtDevDrvSYS0=audio.sys\n"
        "ExtDllFileNum=1\nExtCopyFileName0=tuner.dll\n"
        "DrvUninstRegKeyPath={PKG}\nUnInstDrvPassMsg=Done.\nUnInstDrvPassMsg2=Reboot now.\n");
    Device("PCI\\VEN_1131&DEV_7160\\4&1", {"PCI\\VEN_1131&DEV_7160&SUBSYS_1&REV_01"});
    sim::registry::SetString(kMedia + "0001", "DriverDesc", "Velmor Tuner");
    sim::registry::SetString(kMedia + "0001", "InfPath", "oem3.inf");
    sim::registry::SetString(kMedia + "0002", "DriverDesc", "Velmor Audio");
    sim::registry::SetString(kMedia + "0002", "InfPath", "oem4.inf");
    for (const char* file : {"inf\\oem3.inf", "inf\\oem3.pnf", "inf\\oem4.inf", "inf\\oem4.pnf",
                             "system32\\drivers\\tuner.sys", "system32\\drivers\\audio.sys",
                             "system32\\tuner.dll", "q7nunist.exe", "inf\\other.inf"}) {
      sim::files::Write(file, "x");
    }
  }
};

TEST_F(RemovalNT, StepsSixPerEntryThenNinetyThenHundred) {
  RunWithOk();
  // Two INF slots, two driver files and the uninstaller: five steps, 30.
  EXPECT_EQ(CountOf(PBM_STEPIT), 5);
  EXPECT_EQ(PositionBeforeSetPos(90), 30);
  const std::vector<UINT> kinds = ProgressMessageKinds();
  ASSERT_GE(kinds.size(), 4u);
  EXPECT_EQ(kinds[0], static_cast<UINT>(PBM_SETRANGE));
  EXPECT_EQ(kinds[1], static_cast<UINT>(PBM_SETSTEP));
  EXPECT_EQ(kinds.back(), static_cast<UINT>(PBM_SETPOS));
  EXPECT_EQ(sim::windows::LastDialog().progressPos, 100);
  // A pause after each INF pair and each driver file, none elsewhere.
  EXPECT_EQ(sim::SleptMilliseconds(), 4u * 20u);
}

TEST_F(RemovalNT, EveryShownFileAndStepIsPaintedAtOnce) {
  RunWithOk();
  // The handler never returns to the message loop until the end, so each
  // change is painted where it is made: the display, the 4 files shown alone,
  // 5 steps (an INF pair is painted with its step) and 2 positions.
  EXPECT_EQ(sim::windows::LastDialog().updates, 1 + 4 + 5 + 2);
}

TEST_F(RemovalNT, DeletesTheNamedFilesAndLeavesTheRest) {
  RunWithOk();
  for (const char* gone : {"inf\\oem3.inf", "inf\\oem3.pnf", "inf\\oem4.inf", "inf\\oem4.pnf",
                           "system32\\drivers\\tuner.sys", "system32\\drivers\\audio.sys",
                           "system32\\tuner.dll", "q7nunist.exe"}) {
    EXPECT_FALSE(FileExists(gone)) << gone;
  }
  EXPECT_TRUE(FileExists("inf\\other.inf"));
  EXPECT_FALSE(sim::devices::DevicePresent("PCI\\VEN_1131&DEV_7160\\4&1"));
  EXPECT_FALSE(sim::registry::Exists(kMedia + "0001"));
  EXPECT_FALSE(sim::registry::Exists("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{PKG}"));
}

TEST_F(RemovalNT, StatusLineShowsLowerCasePathsPnfBeforeInf) {
  RunWithOk();
  const std::vector<std::string> lines = StatusLines();
  const std::vector<std::string> expected = {
      "c:\\windows\\inf\\oem3.pnf", "c:\\windows\\inf\\oem3.inf", "c:\\windows\\inf\\oem4.pnf",
      "c:\\windows\\inf\\oem4.inf", "c:\\windows\\system32\\drivers\\tuner.sys",
      "c:\\windows\\system32\\drivers\\audio.sys", "c:\\windows\\system32\\tuner.dll",
      "c:\\windows\\q7nunist.exe"};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(sim::windows::LastDialog().controls.size(), 6u);
}

TEST_F(RemovalNT, TheFinalMessageFollowsTheEndOfTheDialog) {
  RunWithOk();
  ASSERT_EQ(sim::windows::MessageBoxes().size(), 1u);
  const auto& box = sim::windows::MessageBoxes()[0];
  EXPECT_EQ(box.text, "Done.\n\nReboot now.");
  EXPECT_EQ(box.caption, "Velmor Lumex WDM Drivers Uninstallation");
  EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_TRUE(box.ownedByDialog);
  EXPECT_EQ(sim::windows::LastDialog().result, IDOK);
}

TEST_F(RemovalNT, ReadOnlyFilesGoButAReadOnlyUninstallerStays) {
  sim::files::Write("inf\\oem3.inf", "x", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  sim::files::Write("system32\\drivers\\tuner.sys", "x", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
  sim::files::Write("system32\\tuner.dll", "x", FILE_ATTRIBUTE_READONLY);
  sim::files::Write("q7nunist.exe", "x", FILE_ATTRIBUTE_READONLY);
  RunWithOk();
  EXPECT_FALSE(FileExists("inf\\oem3.inf"));
  EXPECT_FALSE(FileExists("system32\\drivers\\tuner.sys"));
  EXPECT_FALSE(FileExists("system32\\tuner.dll"));
  ASSERT_TRUE(FileExists("q7nunist.exe"));
  EXPECT_EQ(sim::files::Get("q7nunist.exe")->attributes, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

TEST_F(RemovalNT, ACountThatDiffersStopsBeforeAnyDeletionAndSaysSo) {
  Device("PCI\\VEN_1131&DEV_7160\\4&2", {"PCI\\VEN_1131&DEV_7160&SUBSYS_2"});  // one too many
  sim::processes::Start("ehRecvr.exe");
  RunWithOk();
  ASSERT_EQ(sim::windows::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::windows::MessageBoxes()[0].style & 0xF0u, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(theApp.m_dwExitCode, 1167u);
  EXPECT_TRUE(FileExists("inf\\oem3.inf"));
  EXPECT_TRUE(FileExists("q7nunist.exe"));
  EXPECT_TRUE(sim::devices::DevicePresent("PCI\\VEN_1131&DEV_7160\\4&1"));
  EXPECT_TRUE(sim::processes::Terminated().empty());
  EXPECT_EQ(CountOf(PBM_STEPIT), 0);
  EXPECT_EQ(sim::windows::LastDialog().result, IDOK);
  EXPECT_EQ(sim::windows::LastDialog().progressPos, 0);
}

TEST_F(RemovalNT, ANegativeCountNeverEqualsTheScan) {
  WriteProfile("[1]\nDevIDNum=FFFFFFFF\n");
  RunWithOk();
  EXPECT_EQ(theApp.m_dwExitCode, 1167u);
  EXPECT_TRUE(FileExists("q7nunist.exe"));
}

TEST_F(RemovalNT, NoPrimaryEntriesStillRunsTheRemoval) {
  WriteProfile("[1]\nDevIDNum=0\nDrvUninstRegKeyPath={PKG}\n");
  RunWithOk();
  EXPECT_FALSE(FileExists("q7nunist.exe"));
  EXPECT_TRUE(FileExists("system32\\drivers\\tuner.sys"));
  EXPECT_EQ(sim::windows::MessageBoxes().size(), 1u);
  EXPECT_EQ(CountOf(PBM_STEPIT), 1);
}

TEST_F(RemovalNT, TheReceiverStopsOnlyWhereTheMinorVersionIsNotZero) {
  const DWORD receiver = sim::processes::Start("ehRecvr.exe");
  RunWithOk();  // win7, 6.1
  EXPECT_FALSE(sim::processes::Alive(receiver));

  sim::Reset();
  ResetProgramState();
  SetUp();
  sim::SetVersion("vista");
  const DWORD kept = sim::processes::Start("ehRecvr.exe");
  RunWithOk();
  EXPECT_TRUE(sim::processes::Alive(kept));
  EXPECT_EQ(sim::windows::MessageBoxes().size(), 1u);
}

TEST_F(RemovalNT, EmptyFileNamesNeverNameADirectory) {
  WriteProfile("[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nExtDllFileNum=2\nDrvUninstAppName=\n");
  const DWORD before = sim::files::Get("system32\\drivers")->attributes;
  RunWithOk();
  EXPECT_EQ(sim::files::Get("system32\\drivers")->attributes, before);
  EXPECT_EQ(sim::CountCalls("SetFileAttributesA"), 0u);
  EXPECT_EQ(sim::CountCalls("DeleteFileA"), 0u);
  // The entries still take their steps: one driver file and the uninstaller.
  EXPECT_EQ(CountOf(PBM_STEPIT), 2);
}

TEST_F(RemovalNT, AWindowsDirectoryTooLongForItsBufferDeletesNothing) {
  const std::string longDirectory = "C:\\" + std::string(97, 'w');  // 100 characters: no room for its NUL
  sim::files::SetWindowsDirectory(longDirectory);
  sim::files::Write(longDirectory + "\\ZIZURUDO.ini", "[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\n"
                                                      "DevDrvSYS0=tuner.sys\n");
  sim::files::Write(longDirectory + "\\system32\\drivers\\tuner.sys", "x");
  sim::files::Write(longDirectory + "\\q7nunist.exe", "x");
  RunWithOk();
  EXPECT_TRUE(sim::files::Exists(longDirectory + "\\system32\\drivers\\tuner.sys"));
  EXPECT_EQ(sim::CountCalls("DeleteFileA"), 0u);
  EXPECT_EQ(sim::windows::MessageBoxes().size(), 1u);
}

TEST_F(RemovalNT, TheUninstallerPathFitsWhereTheDriverPathDoesNot) {
  // 85 characters: "\" fits the 100-character buffer, "\system32\drivers\" does not.
  const std::string directory = "C:\\" + std::string(82, 'w');
  sim::files::SetWindowsDirectory(directory);
  sim::files::Write(directory + "\\ZIZURUDO.ini", "[1]\nDevIDNum=0\n");
  sim::files::Write(directory + "\\q7nunist.exe", "x");
  RunWithOk();
  EXPECT_FALSE(sim::files::Exists(directory + "\\q7nunist.exe"));
}

}  // namespace
