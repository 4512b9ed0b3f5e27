#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/window_store.h"
#include "platform/sim/wow64.h"
#include "harness/scenario_folder.h"

namespace fs = std::filesystem;

namespace {

TEST(MachineIni, ReadsEverySection) {
  image::MachineImage image;
  std::vector<std::string> errors;
  ASSERT_TRUE(harness::ReadMachineIni(
      "[machine]\nversion=WinXP\nreadonly=inf/oem3.inf | system32\\drivers\\t.sys\n"
      "[processes]\n10=ten.exe\n2=two.exe\n1=one.exe\n"
      "[windows]\n1=Remote Control\n1.hung=1\n2=Other; with = signs\n"
      "[user]\nactions=ok  box-ok\n",
      &image, &errors));
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(image.version, "winxp");
  EXPECT_EQ(image.readOnly, (std::vector<std::string>{"inf\\oem3.inf", "system32\\drivers\\t.sys"}));
  EXPECT_EQ(image.processes, (std::vector<std::string>{"one.exe", "two.exe", "ten.exe"}));
  ASSERT_EQ(image.windows.size(), 2u);
  EXPECT_TRUE(image.windows[0].hung);
  EXPECT_FALSE(image.windows[1].hung);
  EXPECT_EQ(image.windows[1].title, "Other; with = signs");
  EXPECT_EQ(image.actions, (std::vector<std::string>{"ok", "box-ok"}));
}

TEST(MachineIni, ABlankThenSemicolonStartsAComment) {
  image::MachineImage image;
  std::vector<std::string> errors;
  ASSERT_TRUE(harness::ReadMachineIni("[machine]\nversion=win98            ; the 9x family\n"
                                       "[windows]\n1=Remote Control\t; the product's\n",
                                       &image, &errors));
  EXPECT_EQ(image.version, "win98");
  ASSERT_EQ(image.windows.size(), 1u);
  EXPECT_EQ(image.windows[0].title, "Remote Control");
}

TEST(MachineIni, AnEmptyFileIsAWin7MachineWithNothingRunning) {
  image::MachineImage image;
  std::vector<std::string> errors;
  ASSERT_TRUE(harness::ReadMachineIni("", &image, &errors));
  EXPECT_EQ(image.version, "win7");
  EXPECT_TRUE(image.processes.empty());
  EXPECT_TRUE(image.actions.empty());
}

TEST(MachineIni, FilesInUseNameHowTheyAreHeld) {
  image::MachineImage image;
  std::vector<std::string> errors;
  EXPECT_TRUE(harness::ReadMachineIni("[machine]\ninuse=system32/x.dll:loaded | q7nunist.exe:running\n", &image, &errors));
  ASSERT_EQ(image.inUse.size(), 2u);
  EXPECT_EQ(image.inUse[0].path, "system32\\x.dll");
  EXPECT_EQ(image.inUse[0].how, "loaded");
  EXPECT_EQ(image.inUse[1].how, "running");
  EXPECT_FALSE(harness::ReadMachineIni("[machine]\ninuse=x.dll:locked|y.dll\n", &image, &errors));
  EXPECT_EQ(errors.size(), 2u);
}

TEST(MachineIni, AnUnknownActionIsAnError) {
  image::MachineImage image;
  std::vector<std::string> errors;
  EXPECT_FALSE(harness::ReadMachineIni("[user]\nactions=ok cancel\n", &image, &errors));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("cancel"), std::string::npos);
}

class MachineFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("drvuninst-image-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  void Put(const std::string& relative, const std::string& content) {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }

  bool Load(std::vector<std::string>* errors) { return harness::LoadMachineImage(root_.string(), errors); }

  fs::path root_;
};

TEST_F(MachineFolder, LaysTheWholeImageIntoAFreshMachine) {
  sim::registry::Create("HKLM\\Software\\LeftFromBefore");
  Put("machine.ini", "[machine]\nversion=win98\nreadonly=inf\\OEM3.inf\n[processes]\n1=ehRecvr.exe\n"
                     "[windows]\n1=Remote Control\n");
  Put("registry.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Vendor]\n\"a\"=\"b\"\n");
  Put("windows/inf/oem3.inf", "[Version]\n");
  Put("windows/ZIZURUDO.ini", "[1]\n");
  std::vector<std::string> errors;
  ASSERT_TRUE(Load(&errors)) << errors.front();
  EXPECT_TRUE(sim::IsWin9xFamily());
  EXPECT_FALSE(sim::registry::Exists("HKLM\\Software\\LeftFromBefore"));
  EXPECT_EQ(sim::registry::GetString("HKLM\\Software\\Vendor", "a"), "b");
  const auto inf = sim::files::Get("inf\\oem3.inf");
  ASSERT_TRUE(inf.has_value());
  EXPECT_EQ(inf->content, "[Version]\n");
  EXPECT_EQ(inf->attributes, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(sim::files::Get("ZIZURUDO.ini")->attributes, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  const auto running = sim::processes::Running();
  EXPECT_NE(std::find(running.begin(), running.end(), "ehRecvr.exe"), running.end());
  EXPECT_TRUE(sim::windows::ForeignWindowAlive("Remote Control"));
}

TEST_F(MachineFolder, AReadOnlyNameWithoutItsFileIsAnError) {
  Put("machine.ini", "[machine]\nreadonly=inf\\missing.inf\n");
  std::vector<std::string> errors;
  EXPECT_FALSE(Load(&errors));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("missing.inf"), std::string::npos);
}

TEST_F(MachineFolder, AnUnknownVersionIsAnError) {
  Put("machine.ini", "[machine]\nversion=win31\n");
  std::vector<std::string> errors;
  EXPECT_FALSE(Load(&errors));
  ASSERT_EQ(errors.size(), 1u);
}

TEST_F(MachineFolder, TheMachinesBitnessFollowsTheVersionUnlessItIsGiven) {
  Put("machine.ini", "[machine]\nversion=winxp\n");
  std::vector<std::string> errors;
  ASSERT_TRUE(Load(&errors));
  EXPECT_EQ(sim::wow64::MachineBits(), 32);
  Put("machine.ini", "[machine]\nversion=winxp\nbits=64\n");
  ASSERT_TRUE(Load(&errors));
  EXPECT_EQ(sim::wow64::MachineBits(), 64);
  Put("machine.ini", "[machine]\nversion=vista\n");
  ASSERT_TRUE(Load(&errors));
  EXPECT_EQ(sim::wow64::MachineBits(), 64);

  // No 64-bit Windows 98, and no 16-bit machine.
  Put("machine.ini", "[machine]\nversion=win98\nbits=64\n");
  EXPECT_FALSE(Load(&errors));
  errors.clear();
  Put("machine.ini", "[machine]\nbits=16\n");
  EXPECT_FALSE(Load(&errors));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("16"), std::string::npos);
}

TEST_F(MachineFolder, ABrokenRegistryFileIsAnError) {
  Put("registry.reg", "[HKEY_LOCAL_MACHINE\\Software\\Vendor]\n");
  std::vector<std::string> errors;
  EXPECT_FALSE(Load(&errors));
  EXPECT_FALSE(errors.empty());
}

TEST_F(MachineFolder, AMissingFolderIsAnError) {
  std::vector<std::string> errors;
  EXPECT_FALSE(harness::LoadMachineImage((root_ / "nope").string(), &errors));
}

}  // namespace
