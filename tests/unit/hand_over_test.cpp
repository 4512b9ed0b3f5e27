// The 32-bit program on 64-bit Windows hands its run to the 64-bit program it
// carries: written into a new admin-only directory under the temporary folder,
// started, waited for, and taken away again. When that cannot be done, one box
// says so and nothing is removed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/DrvUninstApp.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/kernel_state.h"
#include "platform/sim/program_start.h"
#include "platform/sim/security.h"
#include "platform/sim/window_store.h"
#include "platform/sim/wow64.h"
#include "harness/scenario_folder.h"
#include "image/run_program.h"
#include "image/snapshot.h"

namespace {

const char kTitle[] = "Velmor Lumex WDM Drivers Uninstallation";
const char kDefaultFailure[] =
    "The 64-bit part of the uninstaller could not be started, so nothing was removed. "
    "Run the uninstaller again as an administrator.";

class HandOver : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> errors;
    ASSERT_TRUE(harness::LoadMachineImage(std::string(DRVUNINST_SOURCE_DIR) + "/tests/scenarios/demo-tuner-installed",
                                           &errors));
    sim::wow64::SetMachineBits(64);
    before_ = image::CaptureMachine();
  }

  static std::vector<std::string> TempEntries() {
    std::vector<std::string> entries;
    const std::string temp = sim::ToLower(sim::files::WindowsDirectory() + "\\TEMP\\");
    for (const auto& entry : sim::files::All()) {
      if (sim::ToLower(entry.path).compare(0, temp.size(), temp) == 0) entries.push_back(entry.path);
    }
    return entries;
  }

  // The one box, nothing removed, nothing left in the temporary folder.
  void ExpectRefused(int exitCode, const std::string& text = kDefaultFailure) {
    EXPECT_EQ(exitCode, 1603);
    ASSERT_EQ(sim::windows::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::windows::MessageBoxes()[0].caption, kTitle);
    EXPECT_EQ(sim::windows::MessageBoxes()[0].text, text);
    EXPECT_FALSE(sim::windows::LastDialog().shown);
    const image::MachineSnapshot after = image::CaptureMachine();
    EXPECT_EQ(after.keys, before_.keys);
    EXPECT_EQ(after.files, before_.files);
    EXPECT_EQ(after.processes, before_.processes);
    EXPECT_EQ(after.windows, before_.windows);
    EXPECT_TRUE(TempEntries().empty());
    EXPECT_EQ(sim::LiveLocalBlocks(), 0u);
  }

  image::MachineSnapshot before_;
};

TEST_F(HandOver, TheCarriedProgramRunsFromAnAdminOnlyDirectoryAndGoesAgain) {
  const int exitCode = image::RunProgram(32);
  EXPECT_EQ(exitCode, 0);
  ASSERT_EQ(sim::programs::StartedPrograms().size(), 1u);
  const sim::programs::Started& started = sim::programs::StartedPrograms()[0];
  EXPECT_EQ(started.bits, 64);
  const std::string directory = started.path.substr(0, started.path.rfind('\\'));
  EXPECT_TRUE(sim::EqualsNoCase(directory.substr(0, directory.rfind('\\')), "C:\\WINDOWS\\TEMP"));
  EXPECT_TRUE(sim::EqualsNoCase(started.path.substr(directory.size()), "\\DrvUninst.exe"));
  EXPECT_EQ(started.commandLine, "\"" + started.path + "\"");
  // Never the user's own %TEMP%, where the user may rename any entry; never
  // the folder the program sits in as the child's current directory.
  EXPECT_EQ(sim::CountCalls("GetTempPathA"), 0u);
  EXPECT_EQ(started.currentDirectory, "C:\\WINDOWS\\system32");
  EXPECT_EQ(sim::security::DirectorySddl(directory), "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
  EXPECT_TRUE(TempEntries().empty());
  EXPECT_EQ(sim::LiveLocalBlocks(), 0u);
  // The 64-bit program did the work: the package is gone.
  EXPECT_FALSE(sim::files::Exists("system32\\drivers\\lumexcap.sys"));
  ASSERT_EQ(sim::windows::MessageBoxes().size(), 1u);
  EXPECT_TRUE(sim::windows::MessageBoxes()[0].ownedByDialog);
}

TEST_F(HandOver, ADirectoryNameAlreadyTakenIsNeverUsed) {
  image::RunProgram(32);
  const std::string first = sim::programs::StartedPrograms()[0].path;
  const std::string taken = first.substr(0, first.rfind('\\'));

  SetUp();
  sim::files::Write(taken + "\\DrvUninst.exe", "someone else's");
  const int exitCode = image::RunProgram(32);
  EXPECT_EQ(exitCode, 0);
  ASSERT_EQ(sim::programs::StartedPrograms().size(), 1u);
  EXPECT_FALSE(sim::EqualsNoCase(sim::programs::StartedPrograms()[0].path, first));
  ASSERT_TRUE(sim::files::Get(taken + "\\DrvUninst.exe").has_value());
  EXPECT_EQ(sim::files::Get(taken + "\\DrvUninst.exe")->content, "someone else's");
}

TEST_F(HandOver, AMissingOrDamagedProgramIsNotRun) {
  sim::programs::SetCarriedResource(std::nullopt);
  ExpectRefused(image::RunProgram(32));

  SetUp();
  sim::programs::SetCarriedResource(std::string("garbage"));
  ExpectRefused(image::RunProgram(32));

  // Begins like a program but is not an x86-64 one: never written, never run.
  const std::string good = sim::programs::Program64Image();
  auto damaged = [&good](size_t at, std::string bytes) { return good.substr(0, at) + bytes + good.substr(at + bytes.size()); };
  const std::string images[] = {
      "MZ truncated",
      damaged(0x3C, std::string("\xF0\xFF\xFF\x7F", 4)),  // e_lfanew far past the end
      damaged(0x3C, std::string("\x10\0\0\0", 4)),        // e_lfanew inside the DOS header
      damaged(0x40, "NE"),                                  // no "PE\0\0"
      damaged(0x44, std::string("\x4C\x01", 2)),            // an x86 (32-bit) program
      damaged(0x46, std::string("\0\0", 2)),                // no section
      damaged(0x56, std::string("\x22\x20", 2)),            // a DLL
      damaged(0x54, std::string("\xF0\x7F", 2)),            // an optional header past the end
      damaged(0x58, std::string("\x0B\x01", 2)),            // a PE32 optional header
      damaged(0x58 + 68, std::string("\x03\0", 2)),         // a console program
      good.substr(0, 0x58 + 200),                           // cut inside its headers
  };
  for (const std::string& image : images) {
    SetUp();
    sim::programs::SetCarriedResource(image);
    ExpectRefused(image::RunProgram(32));
    EXPECT_EQ(sim::CountCalls("CreateDirectoryA"), 0u);
    EXPECT_EQ(sim::CountCalls("CreateProcessA"), 0u);
  }
}

TEST_F(HandOver, TheWrittenFileIsHeldSoNoOneCanChangeOrSwapItBeforeItStarts) {
  // Between the write and the start no one may open it to write, rename it
  // or delete it; the start itself (which reads it) goes through.
  bool checked = false;
  sim::programs::SetBeforeStart([&checked](const std::string& program) {
    EXPECT_TRUE(sim::files::OpenWithoutDeleteSharing(program));
    EXPECT_FALSE(sim::files::OpensBesideHandles(program, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                                                            FILE_SHARE_DELETE));
    EXPECT_TRUE(sim::files::OpensBesideHandles(program, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE));
    // Nor may the user's own programs rename its directory away and put
    // another in its place, as they could in their own %TEMP%.
    EXPECT_FALSE(sim::security::UserMayDeleteOrRename(program.substr(0, program.rfind('\\'))));
    EXPECT_FALSE(sim::security::UserMayDeleteOrRename(program));
    checked = true;
  });
  EXPECT_EQ(image::RunProgram(32), 0);
  EXPECT_TRUE(checked);
  EXPECT_TRUE(TempEntries().empty());

  // The same admin-only directory in a user's %TEMP%: the user holds
  // delete-child there and may rename it, though not touch what is inside.
  const std::string userTemp = "C:\\Users\\Ann\\AppData\\Local\\Temp";
  sim::files::MakeDirectory(userTemp);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE};
  ASSERT_TRUE(CreateDirectoryA((userTemp + "\\DrvUninst-1").c_str(), &security));
  LocalFree(descriptor);
  EXPECT_TRUE(sim::security::UserMayDeleteOrRename(userTemp + "\\DrvUninst-1"));
  EXPECT_FALSE(sim::security::UserMayDeleteOrRename(userTemp + "\\DrvUninst-1\\DrvUninst.exe"));

  // What is held must read back as what was written, or nothing starts.
  SetUp();
  sim::InjectFault("ReadFile", ERROR_LOCK_VIOLATION);
  ExpectRefused(image::RunProgram(32));
  EXPECT_EQ(sim::CountCalls("CreateProcessA"), 0u);
}

TEST_F(HandOver, NoTemporaryFolderOrAFullDiskStopsItBeforeTheStart) {
  sim::files::Erase("TEMP");
  ExpectRefused(image::RunProgram(32));

  SetUp();
  sim::InjectFault("GetSystemWindowsDirectoryA", ERROR_ACCESS_DENIED);
  ExpectRefused(image::RunProgram(32));

  SetUp();
  sim::InjectFault("GetProcAddress", ERROR_PROC_NOT_FOUND, "GetSystemWindowsDirectoryA");
  ExpectRefused(image::RunProgram(32));

  SetUp();
  sim::InjectFault("WriteFile", ERROR_DISK_FULL);
  ExpectRefused(image::RunProgram(32));
  EXPECT_EQ(sim::CountCalls("CreateProcessA"), 0u);
}

TEST_F(HandOver, AStartRefusedLeavesNothingBehind) {
  sim::InjectFault("CreateProcessA", ERROR_ACCESS_DENIED);
  ExpectRefused(image::RunProgram(32));
}

TEST_F(HandOver, TheBoxTakesTheProfilesText) {
  sim::files::Write("ZIZURUDO.ini", "[1]\r\nUnInstDrvAppTitle=Tuner Removal\r\nUnInstDrv64FailMsg=Could not start.\r\n");
  sim::programs::SetCarriedResource(std::nullopt);
  image::RunProgram(32);
  ASSERT_EQ(sim::windows::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::windows::MessageBoxes()[0].caption, "Tuner Removal");
  EXPECT_EQ(sim::windows::MessageBoxes()[0].text, "Could not start.");
}

// A deployment tool's run: the switches go on as they came, and when the
// 64-bit program cannot run, the 32-bit one writes that to the log, unseen.
TEST_F(HandOver, TheSwitchesGoOnUnchangedAndAFailureIsLoggedHere) {
  const std::string arguments = "-Quiet /LOG \"C:\\WINDOWS\\hand over.log\"";
  sim::programs::SetStartArguments(arguments);
  EXPECT_EQ(image::RunProgram(32), 3010);
  ASSERT_EQ(sim::programs::StartedPrograms().size(), 1u);
  const sim::programs::Started& started = sim::programs::StartedPrograms()[0];
  EXPECT_EQ(started.commandLine, "\"" + started.path + "\" " + arguments);
  EXPECT_TRUE(sim::windows::MessageBoxes().empty());

  SetUp();
  sim::programs::SetStartArguments(arguments);
  sim::programs::SetCarriedResource(std::nullopt);
  EXPECT_EQ(image::RunProgram(32), 1603);
  EXPECT_TRUE(sim::windows::MessageBoxes().empty());
  std::vector<std::string> log;
  ASSERT_TRUE(image::RunLogLines(&log));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "program DrvUninst.exe: version 3.1.0.1, 32-bit");
  EXPECT_NE(std::find(log.begin(), log.end(), "hand-over DrvUninst.exe: the 64-bit program could not run"), log.end());
  EXPECT_EQ(log.back(), "exit code 1603");
}

TEST_F(HandOver, Only32BitProgramsOn64BitWindowsHandOver) {
  // On 32-bit Windows the 32-bit program, and everywhere the 64-bit one, remove.
  sim::wow64::SetMachineBits(32);
  image::RunProgram(32);
  EXPECT_TRUE(sim::programs::StartedPrograms().empty());
  EXPECT_FALSE(sim::files::Exists("system32\\drivers\\lumexcap.sys"));

  SetUp();
  image::RunProgram(64);
  EXPECT_TRUE(sim::programs::StartedPrograms().empty());
  EXPECT_FALSE(sim::files::Exists("system32\\drivers\\lumexcap.sys"));
}

}  // namespace
