#include "app/CommandLine.h"

#include <vector>

const char kUsageText[] =
    "Usage: DrvUninst.exe [/quiet] [/log FILE]\n"
    "\n"
    "/quiet: removes the drivers without a window, as pressing OK does\n"
    "/log FILE: writes what the run does to FILE (in double quotes when it has blanks)\n"
    "/?: shows this text\n"
    "\n"
    "Exit codes: 0 removed, 3010 removed with /quiet (restart needed), 1602 cancelled, "
    "1605 not installed, 1167 device not found as expected, 1603 something left, "
    "1639 bad command line, 1622 log not written.";

namespace {

struct Word {
  CString text;
  bool quoted = false;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Blank-separated words; a double quote starts or ends a part in which
// blanks belong to the word, and is itself dropped.
std::vector<Word> SplitWords(const char* arguments) {
  std::vector<Word> words;
  const char* c = arguments == nullptr ? "" : arguments;
  for (;;) {
    while (IsBlank(*c)) ++c;
    if (*c == '\0') return words;
    Word word;
    std::string text;
    bool inQuotes = false;
    for (; *c != '\0' && (inQuotes || !IsBlank(*c)); ++c) {
      if (*c == '"') {
        inQuotes = !inQuotes;
        word.quoted = true;
        continue;
      }
      text += *c;
    }
    word.text = text.c_str();
    words.push_back(word);
  }
}

bool IsSwitch(const Word& word) {
  return !word.quoted && word.text.GetLength() > 1 && (word.text.GetAt(0) == '/' || word.text.GetAt(0) == '-');
}

bool SwitchIs(const Word& word, const char* name) {
  return lstrcmpiA(static_cast<const char*>(word.text) + 1, name) == 0;
}

}  // namespace

bool ReadCommandLine(const char* arguments, RunOptions* options) {
  *options = RunOptions();
  const std::vector<Word> words = SplitWords(arguments);
  // Read to the end even after a fault: a /quiet anywhere keeps the usage box away.
  bool good = true;
  for (size_t i = 0; i < words.size(); ++i) {
    if (!IsSwitch(words[i])) {
      good = false;
    } else if (SwitchIs(words[i], "quiet")) {
      options->quiet = true;
    } else if (SwitchIs(words[i], "?")) {
      options->usage = true;
    } else if (SwitchIs(words[i], "log")) {
      // The next word is the file, unless it is a switch or there is none.
      if (i + 1 == words.size() || IsSwitch(words[i + 1]) || words[i + 1].text.IsEmpty()) {
        good = false;
        continue;
      }
      options->logged = true;
      options->logPath = words[++i].text;
    } else {
      good = false;
    }
  }
  return good;
}
