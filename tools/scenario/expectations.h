// The expect file: what must hold once the program has ended, checked
// against the simulated machine.
#pragma once

#include <string>
#include <vector>

namespace scenario {

struct Expectation {
  int line = 0;
  std::string keyword;
  std::string argument;  // the rest of the line, as written
};

struct ExpectFile {
  std::vector<Expectation> items;
  std::vector<std::string> errors;  // lines that cannot be checked
};

ExpectFile ParseExpect(const std::string& text);

// One readable line per expectation that does not hold (and per error).
// A text matches when it equals the written one with "\n" read as a line
// feed, or as written (a path may hold "\n": c:\windows\net.inf). Box lines
// name every box shown, in order.
std::vector<std::string> CheckExpectations(const ExpectFile& expect);

}  // namespace scenario
