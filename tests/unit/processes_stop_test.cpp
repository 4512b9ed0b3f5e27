#include "platform/sim/faults.h"
#include "platform/sim/process_store.h"
#include "platform/system/WindowsVersion.h"
#include "removal/Removal.h"
#include "tests/unit/fresh_machine.h"

namespace {

class ProcessStop : public FreshMachine {
 protected:
  void TearDown() override { EXPECT_EQ(sim::processes::OpenHandleCount(), 0u); }
};

TEST_F(ProcessStop, EndsTheNamedProcessWithTheDebugPrivilege) {
  const DWORD pid = sim::processes::Start("ehRecvr.exe");
  KillProcessByName("ehRecvr.exe");
  EXPECT_FALSE(sim::processes::Alive(pid));
  ASSERT_EQ(sim::processes::Terminated().size(), 1u);
  EXPECT_EQ(sim::processes::Terminated()[0].exitCode, 0u);
  EXPECT_TRUE(sim::processes::DebugPrivilegeEnabled());
}

TEST_F(ProcessStop, TheNameMustMatchInLetterCaseToo) {
  const DWORD pid = sim::processes::Start("EHRECVR.EXE");
  KillProcessByName("ehRecvr.exe");
  EXPECT_TRUE(sim::processes::Alive(pid));
  EXPECT_TRUE(sim::processes::Terminated().empty());
  EXPECT_FALSE(sim::processes::DebugPrivilegeEnabled());
}

TEST_F(ProcessStop, OnlyTheFirstOfTwoIsEnded) {
  const DWORD first = sim::processes::Start("ehRecvr.exe");
  const DWORD second = sim::processes::Start("ehRecvr.exe");
  KillProcessByName("ehRecvr.exe");
  EXPECT_FALSE(sim::processes::Alive(first));
  EXPECT_TRUE(sim::processes::Alive(second));
}

TEST_F(ProcessStop, AFailingTokenGoesOnToTheNextProcess) {
  const DWORD first = sim::processes::Start("ehRecvr.exe");
  const DWORD second = sim::processes::Start("ehRecvr.exe");
  sim::InjectFault("OpenProcessToken", ERROR_ACCESS_DENIED, "", -1, 1);
  KillProcessByName("ehRecvr.exe");
  EXPECT_TRUE(sim::processes::Alive(first));
  EXPECT_FALSE(sim::processes::Alive(second));
}

TEST_F(ProcessStop, AFailingPrivilegeLookUpGoesOnToTheNextProcess) {
  const DWORD first = sim::processes::Start("ehRecvr.exe");
  const DWORD second = sim::processes::Start("ehRecvr.exe");
  sim::InjectFault("LookupPrivilegeValueA", ERROR_NO_SUCH_PRIVILEGE, "", -1, 1);
  KillProcessByName("ehRecvr.exe");
  EXPECT_TRUE(sim::processes::Alive(first));
  EXPECT_FALSE(sim::processes::Alive(second));
}

TEST_F(ProcessStop, AFailedOpenStillCountsAsTheStop) {
  const DWORD first = sim::processes::Start("ehRecvr.exe");
  const DWORD second = sim::processes::Start("ehRecvr.exe");
  sim::InjectFault("OpenProcess", ERROR_ACCESS_DENIED);
  KillProcessByName("ehRecvr.exe");
  EXPECT_TRUE(sim::processes::Alive(first));
  EXPECT_TRUE(sim::processes::Alive(second));
  EXPECT_EQ(sim::CountCalls("OpenProcess"), 1u);
}

TEST_F(ProcessStop, AFailedTerminationStillCountsAsTheStop) {
  sim::processes::Start("ehRecvr.exe");
  const DWORD second = sim::processes::Start("ehRecvr.exe");
  sim::InjectFault("TerminateProcess", ERROR_ACCESS_DENIED);
  KillProcessByName("ehRecvr.exe");
  EXPECT_TRUE(sim::processes::Alive(second));
  EXPECT_EQ(sim::CountCalls("TerminateProcess"), 1u);
}

TEST_F(ProcessStop, NoSnapshotMeansNothingHappens) {
  const DWORD pid = sim::processes::Start("ehRecvr.exe");
  sim::InjectFault("CreateToolhelp32Snapshot", ERROR_NOT_ENOUGH_MEMORY);
  KillProcessByName("ehRecvr.exe");
  EXPECT_TRUE(sim::processes::Alive(pid));
}

TEST_F(ProcessStop, AnUnreadableSnapshotIsStillClosed) {
  const DWORD pid = sim::processes::Start("ehRecvr.exe");
  sim::InjectFault("Process32First", ERROR_NO_MORE_FILES);
  KillProcessByName("ehRecvr.exe");
  EXPECT_TRUE(sim::processes::Alive(pid));
}

TEST_F(ProcessStop, NoMatchLeavesEveryProcessAndThePrivilegeAlone) {
  const std::vector<std::string> before = sim::processes::Running();
  KillProcessByName("ehRecvr.exe");
  EXPECT_EQ(sim::processes::Running(), before);
  EXPECT_FALSE(sim::processes::DebugPrivilegeEnabled());
  EXPECT_EQ(sim::CountCalls("OpenProcessToken"), 0u);
}

struct VersionCase {
  const char* name;
  unsigned int minor;
};

class MinorVersion : public FreshMachine, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(MinorVersion, IsTheMinorNumberOnTheNtFamilyOnly) {
  ASSERT_TRUE(sim::SetVersion(GetParam().name));
  EXPECT_EQ(GetNTMinorVersion(), GetParam().minor);
}

INSTANTIATE_TEST_SUITE_P(Versions, MinorVersion,
                         ::testing::Values(VersionCase{"win2k", 0}, VersionCase{"winxp", 1},
                                           VersionCase{"win2003", 2}, VersionCase{"vista", 0},
                                           VersionCase{"win7", 1}, VersionCase{"win98", 0},
                                           VersionCase{"winme", 0}));

using VersionQuery = FreshMachine;

TEST_F(VersionQuery, AFailedVersionQueryGivesMinorZero) {
  sim::SetVersion("winxp");
  sim::InjectFault("GetVersionExA", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetNTMinorVersion(), 0u);
}

}  // namespace
