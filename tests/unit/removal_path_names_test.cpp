// File names from the profile or from "InfPath" that end in a backslash,
// "." or "..": each would name a directory, whose attributes must stay.
#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "removal/RemovalSteps.h"
#include "tests/unit/removal_fixture.h"

namespace {

const std::string kMedia = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}\\";

class RemovalPathNames : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    Device("PCI\\VEN_1131&DEV_7160\\4&1", {"PCI\\VEN_1131&DEV_7160"});
    sim::registry::SetString(kMedia + "0001", "DriverDesc", "Velmor Tuner");
    sim::registry::SetString(kMedia + "0001", "InfPath", "\\");
  }

  static DWORD Attributes(const char* path) { return sim::files::Get(path)->attributes; }
};

TEST_F(RemovalPathNames, NamesEndingInABackslashOrDotsLeaveTheDirectoriesAlone) {
  WriteProfile(
      "[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvName0=Velmor Tuner\nDevDrvSYS0=x\\..\n"
      "ExtDllFileNum=2\nExtCopyFileName0=drivers\\\nExtCopyFileName1=.\nDrvUninstAppName=inf/\n");
  const DWORD inf = Attributes("inf");
  const DWORD drivers = Attributes("system32\\drivers");
  const DWORD windows = Attributes("C:\\WINDOWS");
  RunWithOk();
  EXPECT_EQ(Attributes("inf"), inf);
  EXPECT_EQ(Attributes("system32\\drivers"), drivers);
  EXPECT_EQ(Attributes("C:\\WINDOWS"), windows);
  EXPECT_EQ(sim::CountCalls("SetFileAttributesA"), 0u);
  EXPECT_EQ(sim::CountCalls("DeleteFileA"), 0u);
  // The removal itself still ran to its end.
  EXPECT_FALSE(sim::devices::DevicePresent("PCI\\VEN_1131&DEV_7160\\4&1"));
  EXPECT_EQ(sim::windows::MessageBoxes().size(), 1u);
}

TEST_F(RemovalPathNames, OnThe9xFamilyTheSameNamesAreSkipped) {
  sim::SetVersion("win98");
  WriteProfile(
      "[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvINF0=\\\nDevDrvSYS0=..\n"
      "ExtDllFileNum=1\nExtCopyFileName0=\\\n");
  const DWORD inf = Attributes("inf");
  const DWORD system = Attributes("system");
  RunWithOk();
  EXPECT_EQ(Attributes("inf"), inf);
  EXPECT_EQ(Attributes("system"), system);
  EXPECT_EQ(sim::CountCalls("SetFileAttributesA"), 0u);
}

TEST_F(RemovalPathNames, ANameWithADirectoryPartStillNamesItsFile) {
  WriteProfile("[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvSYS0=sub\\tuner.sys\n");
  sim::files::Write("system32\\drivers\\sub\\tuner.sys", "x", FILE_ATTRIBUTE_READONLY);
  RunWithOk();
  EXPECT_FALSE(sim::files::Exists("system32\\drivers\\sub\\tuner.sys"));
}


TEST_F(RemovalPathNames, AFileNameThatIsADirectoryHereKeepsItsAttributes) {
  sim::files::MakeDirectory("inf\\PCI");
  sim::files::MakeDirectory("inf\\oem9.inf");
  sim::files::MakeDirectory("system32\\drivers\\tuner");
  sim::registry::SetString(kMedia + "0001", "InfPath", "oem9.inf");
  WriteProfile("[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvName0=Velmor Tuner\nDevDrvSYS0=tuner\n");
  RunWithOk();
  EXPECT_EQ(Attributes("inf\\oem9.inf"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(Attributes("system32\\drivers\\tuner"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

  sim::Reset();
  ResetProgramState();
  RemovalPathNames::SetUp();
  sim::SetVersion("win98");
  sim::files::MakeDirectory("inf\\PCI");
  WriteProfile("[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvINF0=PCI\n");
  RunWithOk();
  EXPECT_EQ(Attributes("inf\\PCI"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

// The machine resolves "..", drives and leading separators as Windows
// does, so each of these would reach a file outside the named directory.
TEST_F(RemovalPathNames, NamesThatLeaveTheirDirectoryAreNotActedOnButStillStep) {
  const char* const escaping[] = {"..\\system32\\drivers\\otherdev.sys", "sub\\..\\..\\otherdev.sys",
                                  "sub/../../otherdev.sys", ". .\\otherdev.sys", "C:\\WINDOWS\\otherdev.sys",
                                  "c:otherdev.sys", "\\WINDOWS\\otherdev.sys", "/WINDOWS/otherdev.sys",
                                  // A stream of another file, and devices, which Windows finds in every folder.
                                  "otherdev.sys:hidden", "otherdev.sys::$DATA", "NUL", "sub\\con.txt\\otherdev.sys",
                                  "Com9 .sys", "lpt1", "AUX.dll"};
  for (const char* name : escaping) {
    SCOPED_TRACE(name);
    sim::Reset();
    ResetProgramState();
    RemovalPathNames::SetUp();
    sim::registry::SetString(kMedia + "0001", "InfPath", name);
    sim::files::Write("system32\\drivers\\otherdev.sys", "x", FILE_ATTRIBUTE_READONLY);
    sim::files::Write("otherdev.sys", "x", FILE_ATTRIBUTE_READONLY);
    sim::files::Write("system32\\otherdev.sys", "x", FILE_ATTRIBUTE_READONLY);
    WriteProfile(std::string("[1]\nDevIDNum=1\nDevDrvID0=PCI\\VEN_1131&DEV_7160\nDevDrvName0=Velmor Tuner\n"
                             "DevDrvSYS0=") + name + "\nExtDllFileNum=1\nExtCopyFileName0=" + name +
                 "\nDrvUninstAppName=" + name + "\n");
    RunWithOk();
    for (const char* file : {"system32\\drivers\\otherdev.sys", "otherdev.sys", "system32\\otherdev.sys"}) {
      EXPECT_EQ(Attributes(file), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) << file;
    }
    EXPECT_EQ(sim::CountCalls("DeleteFileA"), 0u);
    EXPECT_TRUE(StatusLines().empty());
    // One step for the INF slot, one for the driver, one for the uninstaller.
    EXPECT_EQ(PositionBeforeSetPos(90), 18);
    // The final message does not claim a removal: the name stays named.
    EXPECT_NE(sim::windows::MessageBoxes().back().text.find(sim::ToLower(name)), std::string::npos);
  }
}

TEST_F(RemovalPathNames, OnlyTheReservedNamesAreDevices) {
  for (const char* name : {"com10.sys", "console.sys", "nul_.sys", "lpt0.sys", "auxiliary\\con1.sys", "prn-x.sys",
                           "sub.con\\x.sys"}) {
    EXPECT_FALSE(IsRefusedFileName(name)) << name;
  }
  for (const char* name : {"con", "CON.", "con.inf", "x\\Prn", "nul.tar.gz", "COM1", "lpt9.log", "a:b"}) {
    EXPECT_TRUE(IsRefusedFileName(name)) << name;
  }
}

// Shift-JIS "\x83\x41" is one character whose second byte reads as "A";
// lowering that byte gives "\x83\x61", another character and so another file.
TEST_F(RemovalPathNames, ADoubleByteNameKeepsItsSecondBytesWhenLowerCased) {
  sim::SetAnsiCodePage(932);
  CString path;
  ASSERT_TRUE(BuildRemovalPath("\\system32\\drivers\\", "TUNER\x83\x41\x95\\.SYS", &path));
  EXPECT_EQ(std::string(path), "c:\\windows\\system32\\drivers\\tuner\x83\x41\x95\\.sys");
  // "\x95\\" is one character too: the name has no directory part to refuse.
  EXPECT_FALSE(IsRefusedFileName("\x95\\..\\x.sys"));

  // The same bytes on a single-byte code page are two characters each.
  sim::SetAnsiCodePage(1252);
  ASSERT_TRUE(BuildRemovalPath("\\system32\\drivers\\", "TUNER\x83\x41.SYS", &path));
  EXPECT_EQ(std::string(path), "c:\\windows\\system32\\drivers\\tuner\x83\x61.sys");
}

}  // namespace
