#include "tools/scenario/ini_text.h"

#include <cctype>
#include <sstream>

namespace scenario {
namespace {

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

// "value   ; note": a ';' after a blank starts a comment, as the Wine
// runner's reader has it.
std::string CutComment(const std::string& value) {
  for (size_t i = 1; i < value.size(); ++i) {
    if (value[i] == ';' && (value[i - 1] == ' ' || value[i - 1] == '\t')) return value.substr(0, i);
  }
  return value;
}

}  // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

IniText ParseIni(const std::string& text) {
  IniText ini;
  std::string section;
  std::istringstream in(text);
  std::string raw;
  while (std::getline(in, raw)) {
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      section = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      ini[section];
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    ini[section].emplace(Trim(line.substr(0, equals)), Trim(CutComment(line.substr(equals + 1))));
  }
  return ini;
}

}  // namespace scenario
