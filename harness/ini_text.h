// The plain INI text of machine.ini: [section], key=value, ';' comment lines.
#pragma once

#include <map>
#include <string>

namespace harness {

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

using IniSection = std::map<std::string, std::string, NoCaseLess>;
using IniText = std::map<std::string, IniSection, NoCaseLess>;

// Names and values are trimmed; a value keeps everything after the first '='
// up to a ';' that follows a blank (a comment), so a window title may hold
// '=' and "a;b". The first of two equal keys wins.
IniText ParseIni(const std::string& text);

}  // namespace harness
