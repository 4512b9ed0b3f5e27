// The Uninstall entry on 64-bit Windows: looked for in the 64-bit registry
// view, then in the 32-bit one (Wow6432Node) a 32-bit installer wrote, and
// deleted in every view that holds it, and only there.
#include <string>

#include "fresh_machine.h"
#include "log/Leftovers.h"
#include "platform/sim/faults.h"
#include "platform/sim/wow64.h"
#include "removal/RegistryNames.h"

namespace {

const std::string kView64 = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kView32 = "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kProduct[] = "Velmor Lumex WDM Drivers";

class RegistryViews : public FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    theApp.LoadUninstProfile();
    sim::wow64::SetMachineBits(64);
  }

  static void Entry(const std::string& view, const std::string& subkey, const std::string& displayName) {
    sim::registry::SetString(view + subkey, "DisplayName", displayName);
  }

  static size_t OpensOf(const std::string& pathPart) {
    size_t opens = 0;
    for (const auto& call : sim::CallLog()) {
      if (call.api == "RegOpenKeyExA" && sim::ContainsNoCase(call.subject, pathPart)) ++opens;
    }
    return opens;
  }
};

TEST_F(RegistryViews, TheEntryOnlyInThe32BitViewIsFoundThereOn64BitWindowsOnly) {
  Entry(kView32, "{PKG}", kProduct);
  EXPECT_EQ(theApp.IsDriverInstalled(), 1);

  // On 32-bit Windows a key named Wow6432Node is just a key.
  sim::wow64::SetMachineBits(32);
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);
}

TEST_F(RegistryViews, AMatchInThe64BitViewEndsTheSearchBeforeThe32BitView) {
  Entry(kView64, "{PKG}", kProduct);
  Entry(kView32, "{PKG}", kProduct);
  sim::ClearCallLog();
  EXPECT_EQ(theApp.IsDriverInstalled(), 1);
  EXPECT_EQ(OpensOf("Wow6432Node"), 0u);
}

TEST_F(RegistryViews, TheSameRulesHoldInThe32BitView) {
  // Letter case ignored, first match, a subkey that cannot be opened passed over.
  Entry(kView64, "{A}", "Other");
  Entry(kView32, "{B}", "VELMOR LUMEX WDM DRIVERS");
  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{B}");
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);
  Entry(kView32, "{C}", "velmor lumex wdm drivers");
  EXPECT_EQ(theApp.IsDriverInstalled(), 1);
}

TEST_F(RegistryViews, AViewThatCannotBeOpenedFindsNothingAndTheOtherStillCounts) {
  Entry(kView32, "{PKG}", kProduct);
  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);

  sim::ClearFaults();
  Entry(kView64, "{PKG}", kProduct);
  sim::registry::DeleteTree("HKLM\\Software\\Wow6432Node");
  EXPECT_EQ(theApp.IsDriverInstalled(), 1);
}

TEST_F(RegistryViews, WindowsWithoutTheNativeSystemQueryKeepsToOneView) {
  // Windows 2000: no GetNativeSystemInfo, and no view flags it would refuse.
  ASSERT_TRUE(sim::SetVersion("win2k"));
  sim::wow64::SetMachineBits(0);
  Entry(kView32, "{PKG}", kProduct);
  sim::ClearCallLog();
  EXPECT_EQ(theApp.IsDriverInstalled(), 0);
  EXPECT_EQ(OpensOf("Wow6432Node"), 0u);
}

TEST_F(RegistryViews, TheEntryIsDeletedInEveryViewThatHoldsItAndNothingElse) {
  Entry(kView32, "{PKG}", kProduct);
  Entry(kView32, "{OTHER}", "Other");
  Entry(kView64, "{OTHER}", "Other");
  DeleteUninstallEntry("{PKG}");
  EXPECT_FALSE(sim::registry::Exists(kView32 + "{PKG}"));
  EXPECT_TRUE(sim::registry::Exists(kView32 + "{OTHER}"));
  EXPECT_TRUE(sim::registry::Exists(kView64 + "{OTHER}"));
  EXPECT_EQ(LeftoverCount(), 0);

  // A package that left an entry in both views loses both.
  Entry(kView64, "{PKG}", kProduct);
  Entry(kView32, "{PKG}", "");
  DeleteUninstallEntry("{PKG}");
  EXPECT_FALSE(sim::registry::Exists(kView64 + "{PKG}"));
  EXPECT_FALSE(sim::registry::Exists(kView32 + "{PKG}"));

  // In neither: nothing to do, nothing left over.
  DeleteUninstallEntry("{PKG}");
  EXPECT_EQ(LeftoverCount(), 0);
  EXPECT_TRUE(sim::registry::Exists(kView64 + "{OTHER}"));
}

TEST_F(RegistryViews, AnEntryThatStaysWhereItExistsIsALeftover) {
  Entry(kView64, "{PKG}", kProduct);
  Entry(kView32, "{PKG}", kProduct);
  // The 32-bit view cannot be opened for deleting; the 64-bit one refuses the deletion.
  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                   -1, 1);
  sim::InjectFault("SHDeleteKeyA", ERROR_ACCESS_DENIED, "Uninstall\\{PKG}");
  DeleteUninstallEntry("{PKG}");
  EXPECT_TRUE(sim::registry::Exists(kView64 + "{PKG}"));
  EXPECT_TRUE(sim::registry::Exists(kView32 + "{PKG}"));
  ASSERT_EQ(LeftoverCount(), 2);
  EXPECT_STREQ(LeftoverAt(0),
               "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{PKG}");
  EXPECT_STREQ(LeftoverAt(1),
               "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{PKG}");
}

TEST_F(RegistryViews, AViewThatCannotBeOpenedWithoutTheEntryLeavesNothingOver) {
  Entry(kView64, "{PKG}", kProduct);
  sim::registry::Create(kView32 + "{OTHER}");
  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                   -1, 1);
  DeleteUninstallEntry("{PKG}");
  EXPECT_FALSE(sim::registry::Exists(kView64 + "{PKG}"));
  EXPECT_EQ(LeftoverCount(), 0);
}

TEST_F(RegistryViews, The9xFamilyHasOneRegistry) {
  ASSERT_TRUE(sim::SetVersion("win98"));
  sim::wow64::SetMachineBits(0);
  Entry(kView64, "{PKG}", kProduct);
  Entry(kView32, "{PKG}", kProduct);
  DeleteUninstallEntry("{PKG}");
  EXPECT_FALSE(sim::registry::Exists(kView64 + "{PKG}"));
  EXPECT_TRUE(sim::registry::Exists(kView32 + "{PKG}"));
}

}  // namespace
