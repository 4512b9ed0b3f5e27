// The fault sweep's own judgement: which changes a faulted run may make,
// which call sites it fails, and which errors show a different machine.
#include <gtest/gtest.h>

#include <algorithm>

#include "harness/clean_run_oracle.h"
#include "tools/fault-sweep/fault_kind.h"
#include "tools/fault-sweep/shown.h"
#include "tools/fault-sweep/sites.h"

namespace {

void Erase(std::vector<std::string>* list, const std::string& item) {
  list->erase(std::remove(list->begin(), list->end(), item), list->end());
}

image::MachineSnapshot Machine() {
  image::MachineSnapshot state;
  state.keys = {"hklm\\software", "hklm\\software\\pkg", "hklm\\software\\other"};
  state.values["hklm\\software\\pkg|name"] = "\"Pkg\"";
  state.files["c:\\windows\\inf\\oem3.inf"] = 0x21;
  state.files["c:\\windows\\inf\\keep.inf"] = 0x20;
  state.directories["c:\\windows\\inf"] = 0x10;
  state.processes = {"ehrecvr.exe"};
  state.windows = {"remote control"};
  return state;
}

image::MachineSnapshot CleanRun() {
  image::MachineSnapshot state = Machine();
  Erase(&state.keys, "hklm\\software\\pkg");
  state.values.clear();
  state.files.erase("c:\\windows\\inf\\oem3.inf");
  state.processes.clear();
  state.windows.clear();
  return state;
}

TEST(SweepOracle, DoingLessThanTheCleanRunHolds) {
  EXPECT_TRUE(harness::OutsideCleanRun(Machine(), CleanRun(), Machine()).empty());
  image::MachineSnapshot partial = Machine();
  partial.files["c:\\windows\\inf\\oem3.inf"] = 0x20;  // reset, then the delete failed
  partial.processes.clear();
  EXPECT_TRUE(harness::OutsideCleanRun(Machine(), CleanRun(), partial).empty());
}

TEST(SweepOracle, ADeletionTheCleanRunDidNotMakeFails) {
  image::MachineSnapshot faulted = CleanRun();
  Erase(&faulted.keys, "hklm\\software\\other");
  faulted.files.erase("c:\\windows\\inf\\keep.inf");
  EXPECT_EQ(harness::OutsideCleanRun(Machine(), CleanRun(), faulted).size(), 2u);
}

TEST(SweepOracle, ADirectoryWhoseAttributesChangeFails) {
  image::MachineSnapshot faulted = Machine();
  faulted.directories["c:\\windows\\inf"] = 0x20;
  const std::vector<std::string> lines = harness::OutsideCleanRun(Machine(), CleanRun(), faulted);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("c:\\windows\\inf"), std::string::npos);
}

TEST(SweepOracle, SomethingNewFails) {
  image::MachineSnapshot faulted = Machine();
  faulted.keys.push_back("hklm\\software\\new");
  faulted.values["hklm\\software\\other|x"] = "\"1\"";
  faulted.processes.push_back("other.exe");
  EXPECT_EQ(harness::OutsideCleanRun(Machine(), CleanRun(), faulted).size(), 3u);
}

TEST(SweepOracle, EndingAProcessOrWindowTheCleanRunLeftFails) {
  image::MachineSnapshot before = Machine();
  before.processes = {"ehrecvr.exe", "ehrecvr.exe"};
  image::MachineSnapshot clean = before;
  clean.processes = {"ehrecvr.exe"};
  image::MachineSnapshot faulted = before;
  Erase(&faulted.processes, "ehrecvr.exe");
  faulted.windows.clear();
  EXPECT_EQ(harness::OutsideCleanRun(before, clean, faulted).size(), 2u);
}

TEST(SweepSites, EachSiteFailsItsOwnFirstCallThroughSubstringMatches) {
  const std::vector<sim::CallRecord> log = {
      {"RegOpenKeyExA", "HKLM\\A\\B", -1},
      {"Sleep", "20", -1},
      {"RegOpenKeyExA", "HKLM\\A", -1},
      {"RegOpenKeyExA", "HKLM\\A", -1},
      {"GetWindowsDirectoryA", "", -1},
      {"GetWindowsDirectoryA", "", -1},
      {"RegEnumKeyExA", "HKLM\\A", 0},
      {"RegEnumKeyExA", "HKLM\\A", 1},
  };
  const std::vector<sweep::Site> sites = sweep::DistinctSites(log);
  ASSERT_EQ(sites.size(), 6u);  // Sleep cannot fail; the repeated open is one site
  EXPECT_EQ(sites[0].subject, "HKLM\\A\\B");
  EXPECT_EQ(sites[0].nth, 1);
  // "HKLM\A" also matches the earlier "HKLM\A\B": its own call is the second.
  EXPECT_EQ(sites[1].subject, "HKLM\\A");
  EXPECT_EQ(sites[1].nth, 2);
  // Calls that name nothing are told apart by when they come.
  EXPECT_EQ(sites[2].nth, 1);
  EXPECT_EQ(sites[3].nth, 2);
  EXPECT_EQ(sites[4].index, 0);
  EXPECT_EQ(sites[5].index, 1);
  EXPECT_EQ(sites[5].nth, 1);
}

TEST(SweepFaultKind, MissingThingsAndListEndsAreAnotherMachine) {
  EXPECT_TRUE(sweep::ReportsAbsence("RegOpenKeyExA", ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(sweep::ReportsAbsence("SetupDiEnumDeviceInfo", ERROR_NO_MORE_ITEMS));
  EXPECT_TRUE(sweep::ReportsAbsence("SetupDiGetDeviceRegistryPropertyA", ERROR_INVALID_DATA));
  EXPECT_FALSE(sweep::ReportsAbsence("SetupDiGetDeviceRegistryPropertyA", ERROR_ACCESS_DENIED));
  EXPECT_FALSE(sweep::ReportsAbsence("RegEnumKeyExA", ERROR_MORE_DATA));
  EXPECT_TRUE(sweep::DecidesWhatIsNamed("GetPrivateProfileStringA", "ZIZURUDO.ini|1|DevIDNum"));
  EXPECT_TRUE(sweep::DecidesWhatIsNamed("RegQueryValueExA", "HKCU\\Control Panel\\International\\@iCountry"));
  EXPECT_FALSE(sweep::DecidesWhatIsNamed("RegQueryValueExA", "HKLM\\SYSTEM\\X\\@DriverDesc"));
}

int g_limitReached = 0;
void CountLimit() { ++g_limitReached; }

TEST(SweepCallLimit, ARunPastItsBudgetIsReported) {
  sim::ClearCallLog();
  g_limitReached = 0;
  sim::SetCallLimit(3, CountLimit);
  for (int i = 0; i < 3; ++i) sim::CheckFault("Sleep", "20");
  EXPECT_EQ(g_limitReached, 0);
  sim::CheckFault("Sleep", "20");
  EXPECT_EQ(g_limitReached, 1);
  sim::SetCallLimit(0, nullptr);
  sim::CheckFault("Sleep", "20");
  EXPECT_EQ(g_limitReached, 1);
  sim::ClearCallLog();
}

sweep::Shown FinishedRun() {
  sweep::Shown shown;
  shown.dialog = true;
  shown.texts = {{1004, "Delete Files:"}, {1002, "c:\\windows\\inf\\oem3.inf"}};
  shown.finalBox = "Title|Done.\n\nReboot.";
  shown.notInstalledBox = "Title|Not installed.";
  shown.leftoverBoxStart = "Title|Left:\n\n";
  shown.leftoverBoxEnd = "\n\nReboot.";
  shown.boxes = {shown.finalBox};
  shown.steppedProgress = true;
  return shown;
}

TEST(SweepShown, TheFinalMessageMayOnlyGoWhereTheSequenceStoppedAtTheDeviceCheck) {
  sweep::Shown stopped = FinishedRun();
  stopped.boxes.clear();
  stopped.steppedProgress = false;
  sweep::FaultedRun run;
  run.api = "SetupDiEnumDeviceInfo";
  EXPECT_TRUE(sweep::ShownOutsideCleanRun(FinishedRun(), stopped, run).empty());
  run.changedMachine = true;
  EXPECT_EQ(sweep::ShownOutsideCleanRun(FinishedRun(), stopped, run).size(), 1u);
}

TEST(SweepShown, AFailureNeverAddsAMessageOrAText) {
  sweep::Shown clean = FinishedRun();
  clean.boxes.clear();
  sweep::FaultedRun run;
  run.api = "SetupDiGetDeviceRegistryPropertyA";
  sweep::Shown faulted = FinishedRun();
  faulted.texts.push_back({1002, "c:\\windows\\system32\\other.sys"});
  EXPECT_EQ(sweep::ShownOutsideCleanRun(clean, faulted, run).size(), 2u);
  // Where the machine itself differs, the removal may go on and show more.
  run.absence = true;
  EXPECT_TRUE(sweep::ShownOutsideCleanRun(clean, faulted, run).empty());
}

TEST(SweepShown, OnlyTheProfilesBoxesMayAppear) {
  // A failed check of the Uninstall entry: no dialog, the profile's box.
  sweep::Shown faulted;
  faulted.finalBox = FinishedRun().finalBox;
  faulted.notInstalledBox = FinishedRun().notInstalledBox;
  faulted.boxes = {"Title|Not installed."};
  sweep::FaultedRun run;
  run.api = "RegOpenKeyExA";
  run.absence = true;
  EXPECT_TRUE(sweep::ShownOutsideCleanRun(FinishedRun(), faulted, run).empty());
  faulted.boxes = {"Title|garbage"};
  EXPECT_FALSE(sweep::ShownOutsideCleanRun(FinishedRun(), faulted, run).empty());
}

TEST(SweepShown, AFailedDeletionMustBeNamedNotReportedAsDone) {
  sweep::FaultedRun run;
  run.api = "SHDeleteKeyA";
  run.changedMachine = true;
  run.keptWhatCleanRemoved = true;
  sweep::Shown named = FinishedRun();
  named.boxes = {"Title|Left:\n\nHKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\LumexCap\n\nReboot."};
  EXPECT_TRUE(sweep::ShownOutsideCleanRun(FinishedRun(), named, run).empty());
  EXPECT_EQ(sweep::ShownOutsideCleanRun(FinishedRun(), FinishedRun(), run).size(), 1u);
}

}  // namespace
