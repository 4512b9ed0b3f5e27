// Functions looked up at run time: found where the Windows has them, absent
// where it does not, and never loaded from anywhere but the system directory.
#include "platform/sim/faults.h"
#include "platform/sim/modules.h"
#include "platform/system/SystemFunction.h"
#include "tests/unit/fresh_machine.h"

namespace {

INT_PTR WINAPI NewerFunction() { return 42; }
bool OnVistaOrLater(const sim::VersionInfo& version) { return version.platformId == 2 && version.major >= 6; }
sim::modules::Export newerExport("kernel32.dll", "NewerFunction", &NewerFunction, OnVistaOrLater);

using SystemFunctionLookup = FreshMachine;

TEST_F(SystemFunctionLookup, FindsTheFunctionOnlyOnTheWindowsThatHasIt) {
  ASSERT_TRUE(sim::SetVersion("win7"));
  FARPROC found = GetSystemFunction("kernel32.dll", "NewerFunction");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found(), 42);

  ASSERT_TRUE(sim::SetVersion("winxp"));
  EXPECT_EQ(GetSystemFunction("kernel32.dll", "NewerFunction"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

  ASSERT_TRUE(sim::SetVersion("win7"));
  sim::modules::SetExportMissing("KERNEL32.DLL", "NewerFunction", true);
  EXPECT_EQ(GetSystemFunction("kernel32.dll", "NewerFunction"), nullptr);
}

TEST_F(SystemFunctionLookup, LoadsAnUnmappedLibraryByItsSystemPathOnly) {
  sim::InjectFault("GetModuleHandleA", ERROR_MOD_NOT_FOUND, "kernel32.dll");
  EXPECT_NE(GetSystemFunction("kernel32.dll", "NewerFunction"), nullptr);
  ASSERT_EQ(sim::modules::LoadRequests().size(), 1u);
  EXPECT_TRUE(sim::EqualsNoCase(sim::modules::LoadRequests()[0], "C:\\WINDOWS\\system32\\kernel32.dll"));

  sim::InjectFault("LoadLibraryA", ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(GetSystemFunction("kernel32.dll", "NewerFunction"), nullptr);
}

}  // namespace
