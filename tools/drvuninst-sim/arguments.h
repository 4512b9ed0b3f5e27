// drvuninst-sim's command line: which mode, on what, with which options.
#pragma once

#include <string>

namespace simtool {

struct Arguments {
  std::string folder;   // the scenario folder
  std::string profile;  // --check-profile: the profile file, and no folder
  bool check = false;
  bool preview = false;
  bool lists = false;
  std::string probeQuestions;
  std::string probeAnswers;
  std::string shownPath;
  bool restartFirst = false;
  int machineBits = 0;
  int processBits = 0;
  bool compareBuilds = false;
};

enum class ParseResult { kRun, kHelp, kBad };

extern const char kUsage[];

ParseResult ParseArguments(int argc, char** argv, Arguments* arguments);

}  // namespace simtool
