// The simulated processes, tokens and privileges against the measured
// behaviour (Windows where it differs from Wine).
#include <algorithm>
#include <cstring>

#include "platform/sim/faults.h"
#include "platform/sim/process_store.h"
#include "tests/unit/fresh_machine.h"

namespace {

using ProcessesSim = FreshMachine;

std::vector<std::string> SnapshotNames(HANDLE snapshot) {
  std::vector<std::string> names;
  PROCESSENTRY32 entry;
  std::memset(&entry, 0, sizeof(entry));
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    names.push_back(entry.szExeFile);
  }
  return names;
}

TEST_F(ProcessesSim, ASnapshotListsTheSystemTheProgramAndStartedProcesses) {
  sim::processes::Start("ehRecvr.exe");
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  const std::vector<std::string> names = SnapshotNames(snapshot);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_EQ(names, sim::processes::Running());
  EXPECT_EQ(names.back(), "ehRecvr.exe");
  EXPECT_NE(std::find(names.begin(), names.end(), "explorer.exe"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "DrvUninst.exe"), names.end());
  EXPECT_TRUE(CloseHandle(snapshot));
  EXPECT_EQ(sim::processes::OpenHandleCount(), 0u);
}

TEST_F(ProcessesSim, AWrongRecordSizeIsRefused) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry;
  std::memset(&entry, 0, sizeof(entry));
  entry.dwSize = 296;
  EXPECT_FALSE(Process32First(snapshot, &entry));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  CloseHandle(snapshot);
}

TEST_F(ProcessesSim, PrivilegesAreLookedUpIgnoringCase) {
  LUID luid{};
  EXPECT_TRUE(LookupPrivilegeValueA(nullptr, "sedebugprivilege", &luid));
  EXPECT_EQ(luid.LowPart, 20u);
  EXPECT_FALSE(LookupPrivilegeValueA(nullptr, "SeBogusPrivilege", &luid));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SUCH_PRIVILEGE));
}

TEST_F(ProcessesSim, EnablingAPrivilegeNeedsTheAdjustRight) {
  TOKEN_PRIVILEGES privileges{1, {{{20, 0}, SE_PRIVILEGE_ENABLED}}};
  HANDLE queryOnly = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &queryOnly));
  EXPECT_FALSE(AdjustTokenPrivileges(queryOnly, FALSE, &privileges, sizeof(privileges), nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
  EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), nullptr, nullptr));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_TRUE(sim::processes::DebugPrivilegeEnabled());
  CloseHandle(queryOnly);
  CloseHandle(token);
}

TEST_F(ProcessesSim, WithoutElevationTheAdjustmentSucceedsButAssignsNothing) {
  sim::processes::SetElevated(false);
  TOKEN_PRIVILEGES privileges{1, {{{20, 0}, SE_PRIVILEGE_ENABLED}}};
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
  EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ALL_ASSIGNED));
  EXPECT_FALSE(sim::processes::DebugPrivilegeEnabled());
  CloseHandle(token);
}

TEST_F(ProcessesSim, OpeningNeedsAKnownNonZeroProcessId) {
  EXPECT_EQ(OpenProcess(PROCESS_ALL_ACCESS, FALSE, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(OpenProcess(PROCESS_ALL_ACCESS, FALSE, 0xFFFF0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ProcessesSim, TerminatingEndsTheProcessOnce) {
  const DWORD pid = sim::processes::Start("target.exe");
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  ASSERT_NE(process, nullptr);
  EXPECT_TRUE(TerminateProcess(process, 42));
  EXPECT_FALSE(sim::processes::Alive(pid));
  ASSERT_EQ(sim::processes::Terminated().size(), 1u);
  EXPECT_EQ(sim::processes::Terminated()[0].exitCode, 42u);
  EXPECT_FALSE(TerminateProcess(process, 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseHandle(process));
  EXPECT_EQ(OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid), nullptr);
}

TEST_F(ProcessesSim, EveryHandleIsCountedUntilClosed) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, sim::processes::Start("x.exe"));
  EXPECT_EQ(sim::processes::OpenHandleCount(), 3u);
  EXPECT_TRUE(CloseHandle(GetCurrentProcess()));
  CloseHandle(snapshot);
  CloseHandle(token);
  CloseHandle(process);
  EXPECT_EQ(sim::processes::OpenHandleCount(), 0u);
  EXPECT_FALSE(CloseHandle(process));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
