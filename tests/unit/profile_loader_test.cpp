#include <cstring>
#include <string>

#include "fresh_machine.h"
#include "platform/sim/faults.h"
#include "platform/system/WindowsVersion.h"

namespace {

class ProfileLoader : public FreshMachine {};

TEST_F(ProfileLoader, NoFileGivesEveryDefault) {
  theApp.LoadUninstProfile();
  EXPECT_STREQ(theApp.m_szSection, "1");
  EXPECT_STREQ(theApp.m_szUnInstDrvAppTitle, "Velmor Lumex WDM Drivers Uninstallation");
  EXPECT_EQ(theApp.m_nDevIDNum, 0);
  EXPECT_EQ(theApp.m_nExtDevIDNum, 0);
  EXPECT_EQ(theApp.m_nExtDllFileNum, 0);
  EXPECT_EQ(theApp.m_nPossibleDevIDNum, 0);
  EXPECT_EQ(theApp.m_nPossibleExtDevIDNum, 0);
  EXPECT_EQ(theApp.m_nUnInstServiceNum, 0);
  EXPECT_STREQ(theApp.m_szDrvUninstRegKeyPath, "");
  EXPECT_STREQ(theApp.m_szDrvUninstRegKeyName, "Velmor Lumex WDM Drivers");
  EXPECT_STREQ(theApp.m_szDrvUninstAppName, "q7nunist.exe");
  EXPECT_STREQ(theApp.m_szMediaClass, "Yes");
  EXPECT_STREQ(theApp.m_szOKText, "OK");
  EXPECT_STREQ(theApp.m_szUnInstRemoteTitleName, "Remote Control");
  EXPECT_STREQ(theApp.m_szUnInstNoRegKeyMsg, "You do not install Velmor Lumex WDM Drivers.");
  EXPECT_STREQ(theApp.m_szUnInstDrvPassMsg, "Velmor Lumex WDM Drivers have been uninstalled completely.");
  EXPECT_STREQ(theApp.m_szUnInstDrvPassMsg2, "If you want to re-install drivers, you MUST reboot your system.");
  EXPECT_STREQ(theApp.m_szUnInstDrvRunTipMsg, "Press 'OK' to start ...");
}

TEST_F(ProfileLoader, EveryKeyLandsInItsMember) {
  WriteProfile(
      "[1]\n"
      "UnInstDrvAppTitle=Title\n"
      "DevIDNum=1\nDevDrvID0=PCI\\VEN_1\nDevDrvName0=Tuner\nDevDrvSYS0=t.sys\nDevDrvINF0=t.inf\n"
      "ExtDevIDNum=1\nExtDevDrvID0=STREAM\\CX\nExtDevDrvName0=Audio\nExtDevDrvSYS0=a.sys\nExtDevDrvINF0=a.inf\n"
      "ExtDllFileNum=1\nExtCopyFileName0=x.dll\n"
      "PossibleDevIDNum=1\nPossibleDevID0=PCI\\VEN_1&DEV_2\nPossibleDevDrvName0=Tuner 2\n"
      "PossibleDevDrvSYS0=t2.sys\nPossibleDevInf0=t2.inf\n"
      "PossibleExtDevIDNum=1\nPossibleExtDevDrvID0=STREAM\\CX2\nPossibleExtDevDrvName0=Audio 2\n"
      "PossibleExtDevDrvSYS0=a2.sys\nPossibleExtDevDrvINF0=a2.inf\n"
      "DrvUninstRegKeyPath={GUID}\nDrvUninstRegKeyName=Name\nDrvUninstAppName=un.exe\nMediaClass=No\n"
      "UnInstNoRegKeyMsg=M0\nUnInstDrvPassMsg=M1\nUnInstDrvPassMsg2=M2\nUnInstDrvRunTipMsg=M3\n"
      "UnInstServiceNum=1\nUnInstService0=svc\nOKText=Go\nUnInstRemoteTitleName=RC\n");
  theApp.LoadUninstProfile();
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvID, "PCI\\VEN_1");
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvName, "Tuner");
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvSYS, "t.sys");
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvINF, "t.inf");
  EXPECT_STREQ(theApp.m_ExtDevDrv[0].szDrvID, "STREAM\\CX");
  EXPECT_STREQ(theApp.m_ExtDevDrv[0].szDrvINF, "a.inf");
  EXPECT_STREQ(theApp.m_szExtCopyFileName[0], "x.dll");
  EXPECT_STREQ(theApp.m_PossibleDevDrv[0].szDrvID, "PCI\\VEN_1&DEV_2");
  EXPECT_STREQ(theApp.m_PossibleDevDrv[0].szDrvINF, "t2.inf");
  EXPECT_STREQ(theApp.m_PossibleExtDevDrv[0].szDrvName, "Audio 2");
  EXPECT_STREQ(theApp.m_PossibleExtDevDrv[0].szDrvINF, "a2.inf");
  EXPECT_STREQ(theApp.m_szDrvUninstRegKeyPath, "{GUID}");
  EXPECT_STREQ(theApp.m_szDrvUninstRegKeyName, "Name");
  EXPECT_STREQ(theApp.m_szDrvUninstAppName, "un.exe");
  EXPECT_STREQ(theApp.m_szMediaClass, "No");
  EXPECT_STREQ(theApp.m_szUnInstNoRegKeyMsg, "M0");
  EXPECT_STREQ(theApp.m_szUnInstDrvPassMsg, "M1");
  EXPECT_STREQ(theApp.m_szUnInstDrvPassMsg2, "M2");
  EXPECT_STREQ(theApp.m_szUnInstDrvRunTipMsg, "M3");
  EXPECT_STREQ(theApp.m_szUnInstService[0], "svc");
  EXPECT_STREQ(theApp.m_szOKText, "Go");
  EXPECT_STREQ(theApp.m_szUnInstRemoteTitleName, "RC");
}

TEST_F(ProfileLoader, CountrySectionWinsWholeWhenItHasATitle) {
  SetCountry("49");
  WriteProfile("[49]\nUnInstDrvAppTitle=Deinstallation\nOKText=Weiter\n"
               "[1]\nUnInstDrvAppTitle=Uninstall\nOKText=Go\nMediaClass=No\n");
  theApp.LoadUninstProfile();
  EXPECT_STREQ(theApp.m_szSection, "49");
  EXPECT_STREQ(theApp.m_szUnInstDrvAppTitle, "Deinstallation");
  EXPECT_STREQ(theApp.m_szOKText, "Weiter");
  // No fallback per key: what only section 1 has takes the built-in default.
  EXPECT_STREQ(theApp.m_szMediaClass, "Yes");
}

TEST_F(ProfileLoader, EmptyTitleInCountrySectionFallsBackToSectionOne) {
  SetCountry("49");
  WriteProfile("[49]\nUnInstDrvAppTitle=\nOKText=Weiter\n[1]\nUnInstDrvAppTitle=Uninstall\nOKText=Go\n");
  theApp.LoadUninstProfile();
  EXPECT_STREQ(theApp.m_szSection, "1");
  EXPECT_STREQ(theApp.m_szUnInstDrvAppTitle, "Uninstall");
  EXPECT_STREQ(theApp.m_szOKText, "Go");
}

TEST_F(ProfileLoader, SectionOneWithoutTitleGetsTheDefaultTitleButKeepsItsKeys) {
  WriteProfile("[1]\nOKText=Go\n");
  theApp.LoadUninstProfile();
  EXPECT_STREQ(theApp.m_szUnInstDrvAppTitle, "Velmor Lumex WDM Drivers Uninstallation");
  EXPECT_STREQ(theApp.m_szOKText, "Go");
}

TEST_F(ProfileLoader, IndexesAreDecimalWhileCountsAreHexadecimal) {
  std::string profile = "[1]\nDevIDNum=B\n";
  for (int i = 0; i < 11; ++i) profile += "DevDrvID" + std::to_string(i) + "=ID" + std::to_string(i) + "\n";
  WriteProfile(profile);
  theApp.LoadUninstProfile();
  EXPECT_EQ(theApp.m_nDevIDNum, 11);
  EXPECT_STREQ(theApp.m_DevDrv[9].szDrvID, "ID9");
  EXPECT_STREQ(theApp.m_DevDrv[10].szDrvID, "ID10");
}

TEST_F(ProfileLoader, CountsAreClampedToTheFifteenEntriesAListHolds) {
  std::string profile = "[1]\nDevIDNum=10\nExtDevIDNum=FFFF\nUnInstServiceNum=7FFFFFFF\nExtDllFileNum=20\n";
  for (int i = 0; i < 16; ++i) profile += "DevDrvID" + std::to_string(i) + "=ID" + std::to_string(i) + "\n";
  WriteProfile(profile);
  theApp.LoadUninstProfile();
  EXPECT_EQ(theApp.m_nDevIDNum, 15);
  EXPECT_EQ(theApp.m_nExtDevIDNum, 15);
  EXPECT_EQ(theApp.m_nUnInstServiceNum, 15);
  EXPECT_EQ(theApp.m_nExtDllFileNum, 15);
  EXPECT_STREQ(theApp.m_DevDrv[14].szDrvID, "ID14");
}

TEST_F(ProfileLoader, ZeroEmptyMissingAndNegativeCountsReadNoEntry) {
  WriteProfile("[1]\nDevIDNum=0\nExtDevIDNum=\nPossibleDevIDNum=FFFFFFFF\nDevDrvID0=X\nExtDevDrvID0=Y\n"
               "PossibleDevID0=Z\n");
  theApp.LoadUninstProfile();
  EXPECT_EQ(theApp.m_nDevIDNum, 0);
  EXPECT_EQ(theApp.m_nExtDevIDNum, 0);
  EXPECT_EQ(theApp.m_nExtDllFileNum, 0);
  EXPECT_EQ(theApp.m_nPossibleDevIDNum, -1);
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvID, "");
  EXPECT_STREQ(theApp.m_ExtDevDrv[0].szDrvID, "");
  EXPECT_STREQ(theApp.m_PossibleDevDrv[0].szDrvID, "");
}

TEST_F(ProfileLoader, ValuesAreCutToTheirBufferLessOne) {
  const std::string longText(400, 'a');
  WriteProfile("[1]\nUnInstDrvAppTitle=" + longText + "\nDevIDNum=1\nDevDrvID0=" + longText + "\nOKText=" +
               longText + "\nDevIDNum=1\n");
  theApp.LoadUninstProfile();
  EXPECT_EQ(std::strlen(theApp.m_szUnInstDrvAppTitle), 259u);
  EXPECT_EQ(std::strlen(theApp.m_DevDrv[0].szDrvID), 127u);
  EXPECT_EQ(std::strlen(theApp.m_szOKText), 31u);
}

TEST_F(ProfileLoader, AListCountAboveTheNamesGivenLeavesEmptyEntries) {
  WriteProfile("[1]\nDevIDNum=3\nDevDrvID0=A\n");
  theApp.LoadUninstProfile();
  EXPECT_EQ(theApp.m_nDevIDNum, 3);
  EXPECT_STREQ(theApp.m_DevDrv[0].szDrvID, "A");
  EXPECT_STREQ(theApp.m_DevDrv[2].szDrvID, "");
}

TEST(HexToInt, ReadsHexadecimalWithThirtyTwoBitWrap) {
  EXPECT_EQ(theApp.HexToInt(""), 0);
  EXPECT_EQ(theApp.HexToInt("f"), 15);
  EXPECT_EQ(theApp.HexToInt("F"), 15);
  EXPECT_EQ(theApp.HexToInt("0F"), 15);
  EXPECT_EQ(theApp.HexToInt("00000000F"), 15);
  EXPECT_EQ(theApp.HexToInt("C"), 12);
  EXPECT_EQ(theApp.HexToInt("10"), 16);
  EXPECT_EQ(theApp.HexToInt("FFFFFFFF"), -1);
  EXPECT_EQ(theApp.HexToInt("80000000"), static_cast<int>(0x80000000u));
  // Only the last eight digits weigh.
  EXPECT_EQ(theApp.HexToInt("123456789"), 0x23456789);
}

TEST(HexToInt, ANonHexCharacterCountsAsAZeroDigit) {
  EXPECT_EQ(theApp.HexToInt("0x1F"), 0x1F);
  EXPECT_EQ(theApp.HexToInt("-5"), 5);
  EXPECT_EQ(theApp.HexToInt("5z"), 0x50);
  EXPECT_EQ(theApp.HexToInt("zz"), 0);
}

class CountryCode : public FreshMachine {};

TEST_F(CountryCode, NtReadsICountryFromTheUsersSettings) {
  SetCountry("886");
  EXPECT_EQ(theApp.GetCountryCode(), 886);
  SetCountry("1234567");
  EXPECT_EQ(theApp.GetCountryCode(), 12345);
}

TEST_F(CountryCode, NtReadsTheFirstSectionNamedByTheCode) {
  SetCountry("886");
  WriteProfile("[886]\nUnInstDrvAppTitle=T886\n[1]\nUnInstDrvAppTitle=T1\n");
  theApp.LoadUninstProfile();
  EXPECT_STREQ(theApp.m_szSection, "886");
}

TEST_F(CountryCode, NtWithoutTheSettingFallsBackToOne) {
  sim::registry::DeleteTree("HKCU\\Control Panel\\International");
  EXPECT_EQ(theApp.GetCountryCode(), 1);
  sim::registry::Create("HKCU\\Control Panel\\International");
  EXPECT_EQ(theApp.GetCountryCode(), 1);
}

// NT maps win.ini's [intl] to the registry, which answers first; the file
// counts only where the registry lacks the key, and always on 9x.
TEST_F(CountryCode, NtBeforeVersionFiveReadsWinIniThroughTheRegistryAnd9xReadsTheFile) {
  SetCountry("49");
  sim::files::Write("win.ini", "[intl]\niCountry=886\n");
  sim::SetVersion("nt40");
  EXPECT_EQ(theApp.GetCountryCode(), 49);
  sim::SetVersion("win98");
  EXPECT_EQ(theApp.GetCountryCode(), 886);
  sim::SetVersion("winxp");
  EXPECT_EQ(theApp.GetCountryCode(), 49);
  sim::registry::DeleteTree("HKCU\\Control Panel\\International");
  sim::SetVersion("nt40");
  EXPECT_EQ(theApp.GetCountryCode(), 886);
}

TEST_F(CountryCode, WinIniWithoutTheKeyGivesOne) {
  sim::SetVersion("win98");
  sim::files::Write("win.ini", "[intl]\nsCountry=Germany\n");
  EXPECT_EQ(theApp.GetCountryCode(), 1);
  WriteProfile("[1]\nUnInstDrvAppTitle=T1\n");
  theApp.LoadUninstProfile();
  EXPECT_STREQ(theApp.m_szSection, "1");
}

TEST_F(CountryCode, AWindowsDirectoryTooLongForThePathBufferStillFindsWinIni) {
  sim::SetVersion("win98");
  const std::string longDirectory = "C:\\" + std::string(120, 'w');
  sim::files::SetWindowsDirectory(longDirectory);
  sim::files::Write(longDirectory + "\\win.ini", "[intl]\niCountry=33\n");
  EXPECT_EQ(theApp.GetCountryCode(), 33);
}

TEST_F(CountryCode, AFailingVersionQueryCountsAsNotNt5) {
  sim::SetVersion("winme");
  sim::files::Write("win.ini", "[intl]\niCountry=44\n");
  SetCountry("49");
  sim::InjectFault("GetVersionExA", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(IsWinNT5OrLater(), 0);
  EXPECT_EQ(theApp.GetCountryCode(), 44);
}

TEST_F(CountryCode, IsWinNT5OrLaterByPlatformAndMajorVersion) {
  sim::SetVersion("win2k");
  EXPECT_EQ(IsWinNT5OrLater(), 1);
  sim::SetVersion("win7");
  EXPECT_EQ(IsWinNT5OrLater(), 1);
  sim::SetVersion("nt40");
  EXPECT_EQ(IsWinNT5OrLater(), 0);
  sim::SetVersion("winme");
  EXPECT_EQ(IsWinNT5OrLater(), 0);
}

}  // namespace
