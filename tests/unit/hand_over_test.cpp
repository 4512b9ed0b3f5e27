// The 32-bit program on 64-bit Windows hands its run to the 64-bit program it
// carries: written into a new admin-only directory under the temporary folder,
// started, waited for, and taken away again. When that cannot be done, one box
// says so and nothing is removed.
#include <gtest/gtest.h>

#include <string>

#include "app/DrvUninstApp.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/kernel_state.h"
#include "platform/sim/program_start.h"
#include "platform/sim/security.h"
#include "platform/sim/window_store.h"
#include "platform/sim/wow64.h"
#include "tools/scenario/machine_image.h"
#include "tools/scenario/run_program.h"
#include "tools/scenario/snapshot.h"

namespace {

const char kTitle[] = "Velmor Lumex WDM Drivers Uninstallation";
const char kDefaultFailure[] =
    "The 64-bit part of the uninstaller could not be started, so nothing was removed. "
    "Run the uninstaller again as an administrator.";

class HandOver : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> errors;
    ASSERT_TRUE(scenario::LoadMachineImage(std::string(DRVUNINST_SOURCE_DIR) + "/tests/scenarios/demo-tuner-installed",
                                           &errors));
    sim::wow64::SetMachineBits(64);
    before_ = scenario::CaptureMachine();
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
    const scenario::MachineSnapshot after = scenario::CaptureMachine();
    EXPECT_EQ(after.keys, before_.keys);
    EXPECT_EQ(after.files, before_.files);
    EXPECT_EQ(after.processes, before_.processes);
    EXPECT_EQ(after.windows, before_.windows);
    EXPECT_TRUE(TempEntries().empty());
    EXPECT_EQ(sim::LiveLocalBlocks(), 0u);
  }

  scenario::MachineSnapshot before_;
};

TEST_F(HandOver, TheCarriedProgramRunsFromAnAdminOnlyDirectoryAndGoesAgain) {
  const int exitCode = scenario::RunProgram(32);
  EXPECT_EQ(exitCode, 0);
  ASSERT_EQ(sim::programs::StartedPrograms().size(), 1u);
  const sim::programs::Started& started = sim::programs::StartedPrograms()[0];
  EXPECT_EQ(started.bits, 64);
  const std::string directory = started.path.substr(0, started.path.rfind('\\'));
  EXPECT_TRUE(sim::EqualsNoCase(directory.substr(0, directory.rfind('\\')), "C:\\WINDOWS\\TEMP"));
  EXPECT_TRUE(sim::EqualsNoCase(started.path.substr(directory.size()), "\\DrvUninst.exe"));
  EXPECT_EQ(started.commandLine, "\"" + started.path + "\"");
  EXPECT_EQ(sim::security::DirectorySddl(directory), "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
  EXPECT_TRUE(TempEntries().empty());
  EXPECT_EQ(sim::LiveLocalBlocks(), 0u);
  // The 64-bit program did the work: the package is gone.
  EXPECT_FALSE(sim::files::Exists("system32\\drivers\\lumexcap.sys"));
  ASSERT_EQ(sim::windows::MessageBoxes().size(), 1u);
  EXPECT_TRUE(sim::windows::MessageBoxes()[0].ownedByDialog);
}

TEST_F(HandOver, ADirectoryNameAlreadyTakenIsNeverUsed) {
  scenario::RunProgram(32);
  const std::string first = sim::programs::StartedPrograms()[0].path;
  const std::string taken = first.substr(0, first.rfind('\\'));

  SetUp();
  sim::files::Write(taken + "\\DrvUninst.exe", "someone else's");
  const int exitCode = scenario::RunProgram(32);
  EXPECT_EQ(exitCode, 0);
  ASSERT_EQ(sim::programs::StartedPrograms().size(), 1u);
  EXPECT_FALSE(sim::EqualsNoCase(sim::programs::StartedPrograms()[0].path, first));
  ASSERT_TRUE(sim::files::Get(taken + "\\DrvUninst.exe").has_value());
  EXPECT_EQ(sim::files::Get(taken + "\\DrvUninst.exe")->content, "someone else's");
}

TEST_F(HandOver, AMissingOrDamagedProgramIsNotRun) {
  sim::programs::SetCarriedResource(std::nullopt);
  ExpectRefused(scenario::RunProgram(32));

  SetUp();
  sim::programs::SetCarriedResource(std::string("garbage"));
  ExpectRefused(scenario::RunProgram(32));

  // Looks like a program but is not one: Windows refuses to start it.
  SetUp();
  sim::programs::SetCarriedResource(std::string("MZ truncated"));
  ExpectRefused(scenario::RunProgram(32));
  EXPECT_EQ(sim::CountCalls("CreateProcessA"), 1u);
}

TEST_F(HandOver, NoTemporaryFolderOrAFullDiskStopsItBeforeTheStart) {
  sim::files::Erase("TEMP");
  ExpectRefused(scenario::RunProgram(32));

  SetUp();
  sim::InjectFault("GetTempPathA", ERROR_ACCESS_DENIED);
  ExpectRefused(scenario::RunProgram(32));

  SetUp();
  sim::InjectFault("WriteFile", ERROR_DISK_FULL);
  ExpectRefused(scenario::RunProgram(32));
  EXPECT_EQ(sim::CountCalls("CreateProcessA"), 0u);
}

TEST_F(HandOver, AStartRefusedLeavesNothingBehind) {
  sim::InjectFault("CreateProcessA", ERROR_ACCESS_DENIED);
  ExpectRefused(scenario::RunProgram(32));
}

TEST_F(HandOver, TheBoxTakesTheProfilesText) {
  sim::files::Write("ZIZURUDO.ini", "[1]\r\nUnInstDrvAppTitle=Tuner Removal\r\nUnInstDrv64FailMsg=Could not start.\r\n");
  sim::programs::SetCarriedResource(std::nullopt);
  scenario::RunProgram(32);
  ASSERT_EQ(sim::windows::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::windows::MessageBoxes()[0].caption, "Tuner Removal");
  EXPECT_EQ(sim::windows::MessageBoxes()[0].text, "Could not start.");
}

TEST_F(HandOver, Only32BitProgramsOn64BitWindowsHandOver) {
  // On 32-bit Windows the 32-bit program, and everywhere the 64-bit one, remove.
  sim::wow64::SetMachineBits(32);
  scenario::RunProgram(32);
  EXPECT_TRUE(sim::programs::StartedPrograms().empty());
  EXPECT_FALSE(sim::files::Exists("system32\\drivers\\lumexcap.sys"));

  SetUp();
  scenario::RunProgram(64);
  EXPECT_TRUE(sim::programs::StartedPrograms().empty());
  EXPECT_FALSE(sim::files::Exists("system32\\drivers\\lumexcap.sys"));
}

}  // namespace
