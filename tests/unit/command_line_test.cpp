// The reader's cases the scenarios do not reach; each would let a script's
// mistake pass as a run, or make the program act on half a command line.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

RunOptions Read(const char* arguments, bool* good) {
  RunOptions options;
  *good = ReadCommandLine(arguments, &options);
  return options;
}

TEST(CommandLine, ALogWithoutItsFileIsRefused) {
  bool good = true;
  Read("/log", &good);
  EXPECT_FALSE(good);
  Read("/log /quiet", &good);  // the next word is a switch, not a file
  EXPECT_FALSE(good);
  Read("/quiet -LOG \"\"", &good);  // an empty file name
  EXPECT_FALSE(good);
}

TEST(CommandLine, AWordThatIsNoSwitchOrASwitchAloneIsRefused) {
  bool good = true;
  Read("quiet", &good);
  EXPECT_FALSE(good);
  Read("/quiet /", &good);
  EXPECT_FALSE(good);
  Read("/quiet \"/log\" x.log", &good);  // quoted, it is a word, not a switch
  EXPECT_FALSE(good);
  Read("/quietly", &good);
  EXPECT_FALSE(good);
}

TEST(CommandLine, QuietIsKnownWhereverItStandsSoARefusedLineShowsNoBox) {
  bool good = true;
  EXPECT_TRUE(Read("/bogus -Quiet", &good).quiet);
  EXPECT_FALSE(good);
  EXPECT_TRUE(Read("/log /quiet", &good).quiet);
  EXPECT_FALSE(good);
}

TEST(CommandLine, BlanksTabsAndQuotesAroundTheFile) {
  bool good = false;
  RunOptions options = Read("\t-log\t\"C:\\my logs\\run.log\"   /?  ", &good);
  EXPECT_TRUE(good);
  EXPECT_TRUE(options.usage);
  EXPECT_FALSE(options.quiet);
  EXPECT_TRUE(options.logged);
  EXPECT_STREQ(options.logPath, "C:\\my logs\\run.log");
  // A quote inside a word keeps the blanks up to the closing one.
  options = Read("/log C:\\\"my logs\"\\run.log", &good);
  EXPECT_TRUE(good);
  EXPECT_STREQ(options.logPath, "C:\\my logs\\run.log");
}

TEST(CommandLine, NothingOrOnlyBlanksIsTheInteractiveRun) {
  bool good = false;
  RunOptions options = Read("", &good);
  EXPECT_TRUE(good);
  EXPECT_FALSE(options.quiet || options.usage || options.logged);
  options = Read(" \t ", &good);
  EXPECT_TRUE(good);
  EXPECT_FALSE(options.quiet || options.usage || options.logged);
  options = Read(nullptr, &good);
  EXPECT_TRUE(good);
}

}  // namespace
