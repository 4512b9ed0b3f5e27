#include <cstring>
#include <string>

#include "fresh_machine.h"
#include "platform/sim/faults.h"

namespace {

const char kUninstall[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class InstalledCheck : public FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    theApp.LoadUninstProfile();  // name "Velmor Lumex WDM Drivers"
  }
};

TEST_F(InstalledCheck, FoundByDisplayNameIgnoringLetterCase) {
  AddUninstallEntry("Other", "Another Product");
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);
  AddUninstallEntry("{X}", "VELMOR lumex wdm DRIVERS");
  EXPECT_EQ(theApp.IsDriverInstalled(), 1);
}

TEST_F(InstalledCheck, ATrailingBlankIsAnotherName) {
  AddUninstallEntry("{X}", "Velmor Lumex WDM Drivers ");
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);
}

TEST_F(InstalledCheck, TheFirstMatchInEnumerationOrderEndsTheSearch) {
  AddUninstallEntry("A", "Velmor Lumex WDM Drivers");
  AddUninstallEntry("B", "Velmor Lumex WDM Drivers");
  EXPECT_EQ(theApp.IsDriverInstalled(), 1);
  size_t opensOfB = 0;
  for (const auto& call : sim::CallLog()) {
    if (call.api == "RegOpenKeyExA" && call.subject.size() >= 2 &&
        call.subject.compare(call.subject.size() - 2, 2, "\\B") == 0) {
      ++opensOfB;
    }
  }
  EXPECT_EQ(opensOfB, 0u);
}

TEST_F(InstalledCheck, MissingUninstallKeyMeansNotInstalled) {
  sim::registry::DeleteTree(kUninstall);
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);
}

TEST_F(InstalledCheck, ASubkeyThatCannotBeOpenedIsPassedOver) {
  AddUninstallEntry("A", "Velmor Lumex WDM Drivers");
  AddUninstallEntry("B", "Velmor Lumex WDM Drivers");
  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "Uninstall\\A");
  EXPECT_EQ(theApp.IsDriverInstalled(), 1);

  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "Uninstall\\B");
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);
}

TEST_F(InstalledCheck, AnEnumerationFailingMidwayKeepsWhatWasFoundBefore) {
  AddUninstallEntry("A", "Other");
  AddUninstallEntry("B", "Velmor Lumex WDM Drivers");
  sim::InjectFault("RegEnumKeyExA", ERROR_ACCESS_DENIED, "Uninstall", 1);
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);
  sim::ClearFaults();
  sim::InjectFault("RegEnumKeyExA", ERROR_ACCESS_DENIED, "Uninstall", 2);
  EXPECT_EQ(theApp.IsDriverInstalled(), 1);
}

TEST_F(InstalledCheck, AnUninstallKeyWithoutFullAccessMeansNotInstalled) {
  AddUninstallEntry("A", "Velmor Lumex WDM Drivers");
  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "CurrentVersion\\Uninstall");
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);
}

TEST_F(InstalledCheck, AnEmptyNameMatchesASubkeyWithoutDisplayName) {
  std::strcpy(theApp.m_szDrvUninstRegKeyName, "");
  sim::registry::Create(std::string(kUninstall) + "\\NoName");
  EXPECT_EQ(theApp.IsDriverInstalled(), 1);
}

TEST_F(InstalledCheck, ADisplayNameLongerThanTheBufferNeverMatches) {
  std::strcpy(theApp.m_szDrvUninstRegKeyName, "");
  AddUninstallEntry("Long", std::string(300, 'x'));
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);
}

TEST_F(InstalledCheck, ADisplayNameStoredWithoutItsTerminatorIsReadSafely) {
  const std::string name = "Velmor Lumex WDM Drivers";
  sim::registry::SetValue(std::string(kUninstall) + "\\Raw", "DisplayName", REG_SZ,
                          std::vector<BYTE>(name.begin(), name.end()));
  EXPECT_EQ(theApp.IsDriverInstalled(), 1);
  const std::string full(256, 'y');
  std::strcpy(theApp.m_szDrvUninstRegKeyName, "Velmor");
  sim::registry::SetValue(std::string(kUninstall) + "\\Raw", "DisplayName", REG_SZ,
                          std::vector<BYTE>(full.begin(), full.end()));
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);
}

TEST_F(InstalledCheck, EveryKeyOpenedIsClosed) {
  AddUninstallEntry("A", "Other");
  AddUninstallEntry("B", "Velmor Lumex WDM Drivers");
  AddUninstallEntry("C", "Third");
  const size_t before = sim::registry::OpenHandleCount();
  theApp.IsDriverInstalled();
  EXPECT_EQ(sim::registry::OpenHandleCount(), before);
}

}  // namespace
