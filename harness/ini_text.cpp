#include "harness/ini_text.h"

#include <cctype>
#include <sstream>

#include "platform/sim/faults.h"

namespace harness {
namespace {

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
    const std::string line = sim::TrimSpace(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      section = sim::TrimSpace(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      ini[section];
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    ini[section].emplace(sim::TrimSpace(line.substr(0, equals)), sim::TrimSpace(CutComment(line.substr(equals + 1))));
  }
  return ini;
}

}  // namespace harness
