// The expect file: what must hold once the program has ended, checked
// against the simulated machine.
#pragma once

#include <string>
#include <vector>

namespace scenario {

struct Expectation {
  int line = 0;
  std::string keyword;
  std::string argument;  // the rest of the line, "\n" already turned into a line feed
};

struct ExpectFile {
  std::vector<Expectation> items;
  std::vector<std::string> errors;  // lines that cannot be checked
};

ExpectFile ParseExpect(const std::string& text);

// One readable line per expectation that does not hold (and per error).
std::vector<std::string> CheckExpectations(const ExpectFile& expect);

}  // namespace scenario
