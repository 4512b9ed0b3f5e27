// The expect file: what must hold once the program has ended, checked
// against the simulated machine.
#pragma once

#include <string>
#include <vector>

namespace harness {

struct Expectation {
  int line = 0;
  std::string keyword;
  std::string argument;  // the rest of the line, as written
  bool afterRestart = false;  // below a "restart" line: checked once the machine restarted
};

struct ExpectFile {
  std::vector<Expectation> items;
  std::vector<std::string> errors;  // lines that cannot be checked
  bool restart = false;             // the file has a "restart" line
};

ExpectFile ParseExpect(const std::string& text);

// One readable line per expectation that does not hold (and per error).
// A text matches when it equals the written one with "\n" read as a line
// feed, or as written (a path may hold "\n": c:\windows\net.inf). Box lines
// name every box shown, in order.
// The lines above a "restart" line (all lines when it has none).
std::vector<std::string> CheckExpectations(const ExpectFile& expect);

// The lines below the "restart" line; call once the machine restarted.
std::vector<std::string> CheckAfterRestart(const ExpectFile& expect);

}  // namespace harness
