// The profile check's widths and key lists come from its own table; these
// hold them to what the loader really reads and keeps.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "app/DrvUninstApp.h"
#include "preview/ProfileCheck.h"

namespace {

const char* const kIndexedPrefixes[] = {
    "DevDrvID", "DevDrvName", "DevDrvSYS", "DevDrvINF", "ExtDevDrvID", "ExtDevDrvName", "ExtDevDrvSYS",
    "ExtDevDrvINF", "ExtCopyFileName", "PossibleDevID", "PossibleDevDrvName", "PossibleDevDrvSYS", "PossibleDevInf",
    "PossibleExtDevDrvID", "PossibleExtDevDrvName", "PossibleExtDevDrvSYS", "PossibleExtDevDrvINF", "UnInstService"};
const char* const kSingleKeys[] = {"DrvUninstRegKeyPath", "DrvUninstRegKeyName", "DrvUninstAppName", "MediaClass",
                                   "UnInstNoRegKeyMsg",   "UnInstDrvPassMsg",    "UnInstDrvPassMsg2", "UnInstDrvRunTipMsg",
                                   "OKText",              "UnInstRemoteTitleName", "UnInstDrvLeftMsg",
                                   "UnInstDrvLeftMoreMsg", "UnInstDrv64FailMsg"};

// Every key the loader reads, each far longer than any field.
std::string OverlongProfile() {
  const std::string longValue(400, 'x');
  std::string text = "[1]\nUnInstDrvAppTitle=" + longValue + "\n";
  for (const char* count : {"DevIDNum", "ExtDevIDNum", "ExtDllFileNum", "PossibleDevIDNum", "PossibleExtDevIDNum",
                            "UnInstServiceNum"}) {
    text += std::string(count) + "=F\n";
  }
  for (const char* prefix : kIndexedPrefixes) {
    for (int i = 0; i < MAX_DRV_ENTRIES; ++i) text += prefix + std::to_string(i) + "=" + longValue + "\n";
  }
  for (const char* key : kSingleKeys) text += std::string(key) + "=" + longValue + "\n";
  return text;
}

// Key -> the number of characters the check says the loader keeps.
std::map<std::string, size_t> KeptLengths(const std::vector<preview::ProfileFinding>& findings) {
  std::map<std::string, size_t> kept;
  for (const preview::ProfileFinding& finding : findings) {
    const size_t at = finding.what.find("keeps the first ");
    if (at != std::string::npos) kept[finding.key] = std::strtoul(finding.what.c_str() + at + 16, nullptr, 10);
  }
  return kept;
}

TEST(ProfileCheck, EveryKeyTheLoaderReadsIsReportedCutToTheLengthTheLoaderKeeps) {
  const std::vector<preview::ProfileFinding> findings = preview::CheckProfileText(OverlongProfile());
  // The check leaves the profile loaded as the last country section had it.
  const std::map<std::string, size_t> kept = KeptLengths(findings);

  EXPECT_EQ(kept.size(), 1u + 18u * MAX_DRV_ENTRIES + 13u);
  EXPECT_EQ(kept.at("UnInstDrvAppTitle"), std::strlen(theApp.m_szUnInstDrvAppTitle));
  EXPECT_EQ(kept.at("OKText"), std::strlen(theApp.m_szOKText));
  EXPECT_EQ(kept.at("MediaClass"), std::strlen(theApp.m_szMediaClass));
  EXPECT_EQ(kept.at("UnInstDrvPassMsg2"), std::strlen(theApp.m_szUnInstDrvPassMsg2));
  EXPECT_EQ(kept.at("UnInstDrvLeftMoreMsg"), std::strlen(theApp.m_szUnInstDrvLeftMoreMsg));
  for (int i = 0; i < MAX_DRV_ENTRIES; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(kept.at("DevDrvID" + n), std::strlen(theApp.m_DevDrv[i].szDrvID));
    EXPECT_EQ(kept.at("PossibleDevInf" + n), std::strlen(theApp.m_PossibleDevDrv[i].szDrvINF));
    EXPECT_EQ(kept.at("PossibleExtDevDrvName" + n), std::strlen(theApp.m_PossibleExtDevDrv[i].szDrvName));
    EXPECT_EQ(kept.at("ExtCopyFileName" + n), std::strlen(theApp.m_szExtCopyFileName[i]));
    EXPECT_EQ(kept.at("UnInstService" + n), std::strlen(theApp.m_szUnInstService[i]));
  }
}

}  // namespace
