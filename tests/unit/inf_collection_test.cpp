// Which INF files the NT sequence collects, and the PNF names it derives.
#include <cstring>
#include <string>

#include "fresh_machine.h"
#include "removal/InfCollection.h"
#include "removal/RegistryNames.h"

namespace {

const std::string kMedia = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}\\";

class InfCollection : public FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    ChooseClassKey("Yes");
  }
  static void Instance(const std::string& name, const std::string& description, const std::string& inf) {
    sim::registry::SetString(kMedia + name, "DriverDesc", description);
    sim::registry::SetString(kMedia + name, "InfPath", inf);
  }
  static std::vector<std::string> Collect() {
    InfList list;
    CollectInfFiles(&list);
    return std::vector<std::string>(list.slots, list.slots + list.count);
  }
};

TEST_F(InfCollection, MatchesByPrefixIgnoringCaseInEveryList) {
  theApp.m_nDevIDNum = 1;
  std::strcpy(theApp.m_DevDrv[0].szDrvName, "Velmor Tuner");
  theApp.m_nExtDevIDNum = 1;
  std::strcpy(theApp.m_ExtDevDrv[0].szDrvName, "Velmor");
  theApp.m_nPossibleExtDevIDNum = 1;
  std::strcpy(theApp.m_PossibleExtDevDrv[0].szDrvName, "Audio");
  Instance("0000", "VELMOR tuner (rev 2)", "oem3.inf");
  Instance("0001", "Velm", "oem4.inf");
  Instance("0002", "audio capture", "oem5.inf");
  Instance("0003", "Other", "oem6.inf");
  // 0000 matches the primary and the extension entry: two slots.
  EXPECT_EQ(Collect(), (std::vector<std::string>{"oem3.inf", "oem3.inf", "oem5.inf"}));
}

TEST_F(InfCollection, EmptyNamesAndEmptyInfPathsAddNothing) {
  theApp.m_nDevIDNum = 2;
  std::strcpy(theApp.m_DevDrv[1].szDrvName, "Tuner");
  Instance("0000", "Anything", "oem1.inf");
  Instance("0001", "Tuner", "");
  sim::registry::SetString(kMedia + "0002", "DriverDesc", "Tuner");  // no InfPath
  EXPECT_TRUE(Collect().empty());
}

TEST_F(InfCollection, TheListStopsAtTenSlots) {
  theApp.m_nDevIDNum = 1;
  std::strcpy(theApp.m_DevDrv[0].szDrvName, "Tuner");
  for (int i = 0; i < 12; ++i) Instance("00" + std::to_string(10 + i), "Tuner", "oem" + std::to_string(i) + ".inf");
  const auto collected = Collect();
  ASSERT_EQ(collected.size(), 10u);
  EXPECT_EQ(collected[9], "oem9.inf");
}

// A value of 255 characters fits the slot with its terminator: it was
// refused for one byte too few passed to the read.
TEST_F(InfCollection, AnInfPathOf255CharactersIsReadWholeAndALongerOneNot) {
  theApp.m_nDevIDNum = 1;
  std::strcpy(theApp.m_DevDrv[0].szDrvName, "Tuner");
  const std::string longest = std::string(251, 'o') + ".inf";
  Instance("0000", "Tuner", longest);
  Instance("0001", "Tuner", std::string(252, 'p') + ".inf");
  sim::registry::SetValue(kMedia + "0002", "DriverDesc", REG_SZ, {'T', 'u', 'n', 'e', 'r', 0});
  // 256 characters stored without a terminator.
  sim::registry::SetValue(kMedia + "0002", "InfPath", REG_SZ, std::vector<BYTE>(256, 'q'));
  EXPECT_EQ(Collect(), (std::vector<std::string>{longest}));
}

TEST_F(InfCollection, AMissingClassKeyCollectsNothing) {
  theApp.m_nDevIDNum = 1;
  std::strcpy(theApp.m_DevDrv[0].szDrvName, "Tuner");
  EXPECT_TRUE(Collect().empty());
  EXPECT_EQ(sim::registry::OpenHandleCount(), 0u);
}

TEST(PnfName, TakesTheTextBeforeTheFirstDot) {
  EXPECT_STREQ(PnfNameFor("base.inf"), "base.pnf");
  EXPECT_STREQ(PnfNameFor("a.b.inf"), "a.pnf");
  EXPECT_STREQ(PnfNameFor("nodot"), "nodot.pnf");
  EXPECT_STREQ(PnfNameFor("..lead.inf"), "lead.pnf");
  EXPECT_STREQ(PnfNameFor("..."), ".pnf");
}

// A 255-character name without a dot once lost its PNF (and with it the
// INF's own deletion) to a 256-byte cap.
TEST(PnfName, IsBuiltWholeForTheLongestName) {
  const std::string longName(255, 'n');
  EXPECT_EQ(std::string(PnfNameFor(longName.c_str())), longName + ".pnf");
}

}  // namespace
