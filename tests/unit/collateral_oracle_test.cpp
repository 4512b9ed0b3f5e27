// The profile's own oracle, which the fuzz target and the fault sweep hold
// every run to: what the profile names may go, anything else that changes is
// a line, down to a byte behind a string's end; a file the restart deletes is
// gone, and the restart's own list is no change.
#include <algorithm>
#include <string>
#include <vector>

#include "harness/named_oracle.h"
#include "tests/unit/fresh_machine.h"

namespace {

using CollateralOracle = FreshMachine;

const char kServices[] = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\";

void SetBytes(const std::string& key, const std::string& name, const std::string& bytes) {
  sim::registry::SetValue(key, name, REG_SZ, std::vector<BYTE>(bytes.begin(), bytes.end()));
}

TEST_F(CollateralOracle, WhatTheProfileNamesMayGoAndEveryOtherChangeIsALine) {
  WriteProfile("[1]\r\nUnInstDrvAppTitle=T\r\nUnInstServiceNum=1\r\nUnInstService0=LumexCap\r\n"
               "DrvUninstAppName=q7nunist.exe\r\n");
  sim::registry::SetDword(std::string(kServices) + "LumexCap", "Start", 3);
  SetBytes(std::string(kServices) + "Other", "Group", std::string("Base\0a", 6));
  sim::registry::SetDword(std::string(kServices) + "Gone", "Start", 3);
  sim::files::Write("q7nunist.exe", "x");
  sim::files::Write("system32\\keep.dll", "x");
  sim::files::Write("system32\\later.dll", "x");
  const harness::NamedOracle oracle(false, false);

  sim::registry::DeleteTree(std::string(kServices) + "LumexCap");
  sim::files::Remove("q7nunist.exe");
  EXPECT_TRUE(oracle.Outside().empty());

  SetBytes(std::string(kServices) + "Other", "Group", std::string("Base\0b", 6));
  sim::registry::DeleteTree(std::string(kServices) + "Gone");
  sim::files::Remove("system32\\keep.dll");
  ASSERT_TRUE(MoveFileExA("C:\\WINDOWS\\system32\\later.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  std::vector<std::string> lines = oracle.Outside();
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "file deleted: C:\\WINDOWS\\system32\\keep.dll",
                       "file deleted: C:\\WINDOWS\\system32\\later.dll",
                       "key deleted: HKLM\\SYSTEM\\CurrentControlSet\\Services\\Gone",
                       "values changed in HKLM\\SYSTEM\\CurrentControlSet\\Services\\Other: group -> group",
                   }));
}

}  // namespace
