#include "harness/expectations.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/window_store.h"
#include "harness/record_text.h"
#include "image/run_program.h"

namespace harness {
namespace {

const std::set<std::string>& Keywords() {
  static const std::set<std::string> keywords = {
      "box",         "no-box",       "dialog",       "no-dialog",    "text",           "progress",
      "key-present", "key-absent",   "value",        "file-present", "file-absent",    "process-alive",
      "process-gone", "window-alive", "window-gone", "known-difference", "attributes", "restart", "multi", "value-absent",
      "exit",        "log",          "no-window"};
  return keywords;
}

// After a restart only the machine's state is left to check: the program's
// dialog and boxes belong to the run before it.
bool ChecksMachineState(const std::string& keyword) {
  return keyword != "box" && keyword != "no-box" && keyword != "dialog" && keyword != "no-dialog" &&
         keyword != "text" && keyword != "progress" && keyword != "restart" && keyword != "exit" &&
         keyword != "log" && keyword != "no-window";
}

// The keywords that also begin lines of the comparison's dump: a
// known-difference line that starts with one of them names a dump line.
bool IsDumpKind(const std::string& keyword) {
  return keyword == "key" || keyword == "value" || keyword == "file" || keyword == "process" || keyword == "window" ||
         keyword == "text" || keyword == "progress" || keyword == "position" || keyword == "box";
}

// "known-difference <expect line> [# why]": what Windows does where Wine
// does not. The simulated machine follows Windows, so it checks that line.
bool WindowsOnlyLine(const Expectation& item, Expectation* line) {
  if (item.keyword != "known-difference") return false;
  std::string text = item.argument.substr(0, item.argument.find(" # "));
  const size_t blank = text.find(' ');
  line->line = item.line;
  line->keyword = text.substr(0, blank);
  line->argument = blank == std::string::npos ? "" : text.substr(blank + 1);
  return Keywords().count(line->keyword) != 0 && !IsDumpKind(line->keyword) && line->keyword != "known-difference";
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool SameText(const std::string& actual, const std::string& written) {
  return actual == written || actual == Unescape(written);
}

std::string Shown(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
  return "\"" + out + "\"";
}

std::vector<std::string> SplitBar(const std::string& text, size_t parts) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (fields.size() + 1 < parts) {
    const size_t bar = text.find('|', start);
    if (bar == std::string::npos) break;
    fields.push_back(text.substr(start, bar - start));
    start = bar + 1;
  }
  fields.push_back(text.substr(start));
  return fields;
}

bool IsNumber(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool ProcessRunning(const std::string& exe) {
  for (const std::string& name : sim::processes::Running()) {
    if (sim::EqualsNoCase(name, exe)) return true;
  }
  return false;
}

// The final text of a dialog control; id 0 is the caption.
bool ControlText(int id, std::string* text) {
  const sim::windows::DialogSnapshot& dialog = sim::windows::LastDialog();
  if (!dialog.shown) return false;
  if (id == 0) {
    *text = dialog.caption;
    return true;
  }
  for (const auto& control : dialog.controls) {
    if (control.id == id) {
      *text = control.text;
      return true;
    }
  }
  return false;
}

std::vector<std::string> CheckBoxes(const std::vector<const Expectation*>& boxes) {
  std::vector<std::string> failures;
  const auto& shown = sim::windows::MessageBoxes();
  for (size_t i = 0; i < boxes.size(); ++i) {
    const std::vector<std::string> fields = SplitBar(boxes[i]->argument, 2);
    const std::string caption = fields[0];
    const std::string text = fields.size() > 1 ? fields[1] : "";
    const std::string where = "line " + std::to_string(boxes[i]->line) + ": box " + std::to_string(i + 1);
    if (i >= shown.size()) {
      failures.push_back(where + " never shown: " + Shown(Unescape(caption)) + " | " + Shown(Unescape(text)));
      continue;
    }
    if (!SameText(shown[i].caption, caption) || !SameText(shown[i].text, text)) {
      failures.push_back(where + " was " + Shown(shown[i].caption) + " | " + Shown(shown[i].text) + ", expected " +
                         Shown(Unescape(caption)) + " | " + Shown(Unescape(text)));
    }
  }
  if (!boxes.empty()) {
    for (size_t i = boxes.size(); i < shown.size(); ++i) {
      failures.push_back("an unexpected box was shown: " + Shown(shown[i].caption) + " | " + Shown(shown[i].text));
    }
  }
  return failures;
}

std::string CheckOne(const Expectation& item) {
  const std::string& k = item.keyword;
  const std::string& a = item.argument;
  const std::string where = "line " + std::to_string(item.line) + ": ";
  const auto& dialog = sim::windows::LastDialog();
  if (k == "no-box") {
    const auto& shown = sim::windows::MessageBoxes();
    return shown.empty() ? "" : where + "a message box was shown: " + Shown(shown.front().caption) + " | " +
                                    Shown(shown.front().text);
  }
  if (k == "dialog") {
    if (!dialog.shown) return where + "the dialog was never shown";
    return SameText(dialog.caption, a) ? ""
                                       : where + "dialog caption " + Shown(dialog.caption) + ", expected " +
                                             Shown(Unescape(a));
  }
  if (k == "no-dialog") return dialog.shown ? where + "the dialog was shown" : "";
  if (k == "no-window") {
    if (dialog.shown) return where + "the dialog was shown";
    const auto& shown = sim::windows::MessageBoxes();
    return shown.empty() ? "" : where + "a message box was shown: " + Shown(shown.front().caption);
  }
  if (k == "exit") {
    if (!IsNumber(a)) return where + "exit needs a number: " + a;
    return image::LastExitCode() == std::stoi(a) ? "" : where + "exit code " + std::to_string(image::LastExitCode()) + ", expected " + a;
  }
  if (k == "log") {
    std::vector<std::string> lines;
    if (!image::RunLogLines(&lines)) return where + "no log was written";
    for (const std::string& line : lines) {
      if (SameText(line, a)) return "";
    }
    return where + "the log has no line " + Shown(a);
  }
  if (k == "text") {
    const size_t blank = a.find(' ');
    const std::string id = a.substr(0, blank);
    const std::string expected = blank == std::string::npos ? "" : a.substr(blank + 1);
    if (!IsNumber(id)) return where + "text needs a control id: " + a;
    std::string actual;
    if (!ControlText(std::stoi(id), &actual)) return where + "no dialog control " + id;
    return SameText(actual, expected) ? ""
                                      : where + "control " + id + " reads " + Shown(actual) + ", expected " +
                                            Shown(Unescape(expected));
  }
  if (k == "progress") {
    if (!IsNumber(a)) return where + "progress needs a number: " + a;
    return dialog.progressPos == std::stoi(a)
               ? ""
               : where + "progress at " + std::to_string(dialog.progressPos) + ", expected " + a;
  }
  if (k == "key-present") return sim::registry::Exists(a) ? "" : where + "key missing: " + a;
  if (k == "key-absent") return sim::registry::Exists(a) ? where + "key still there: " + a : "";
  if (k == "value") {
    const std::vector<std::string> fields = SplitBar(a, 3);
    if (fields.size() != 3) return where + "value needs key|name|text: " + a;
    const auto actual = sim::registry::GetString(fields[0], fields[1]);
    if (!actual) return where + "no value " + fields[1] + " under " + fields[0];
    return SameText(*actual, fields[2]) ? ""
                                : where + "value " + fields[1] + " is " + Shown(*actual) + ", expected " +
                                      Shown(fields[2]);
  }
  if (k == "multi") {
    const size_t first = a.find('|');
    const size_t second = first == std::string::npos ? std::string::npos : a.find('|', first + 1);
    if (second == std::string::npos) return where + "multi needs key|name|names: " + a;
    const auto value = sim::registry::GetValue(a.substr(0, first), a.substr(first + 1, second - first - 1));
    if (!value || value->type != REG_MULTI_SZ) return where + "no multi-string " + a.substr(0, second);
    const std::string actual =
        DescribeMultiString(reinterpret_cast<const char*>(value->data.data()), value->data.size());
    return actual == a.substr(second + 1) ? "" : where + a.substr(0, second) + " holds " + Shown(actual);
  }
  if (k == "value-absent") {
    const std::vector<std::string> fields = SplitBar(a, 2);
    if (fields.size() != 2) return where + "value-absent needs key|name: " + a;
    return sim::registry::GetValue(fields[0], fields[1]) ? where + "value still there: " + a : "";
  }
  if (k == "file-present") return sim::files::Exists(a) ? "" : where + "file missing: " + a;
  if (k == "file-absent") return sim::files::Exists(a) ? where + "file still there: " + a : "";
  if (k == "attributes") {
    const std::vector<std::string> fields = SplitBar(a, 2);
    if (fields.size() != 2 || fields[1].empty() || fields[1].find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      return where + "attributes needs path|hex: " + a;
    }
    const auto entry = sim::files::Get(fields[0]);
    if (!entry) return where + "no file or directory " + fields[0];
    const unsigned expected = std::stoul(fields[1], nullptr, 16);
    char actual[16];
    std::snprintf(actual, sizeof(actual), "%lx", static_cast<unsigned long>(entry->attributes));
    return entry->attributes == expected ? "" : where + fields[0] + " has attributes " + actual + ", expected " + fields[1];
  }
  if (k == "process-alive") return ProcessRunning(a) ? "" : where + "process not running: " + a;
  if (k == "process-gone") return ProcessRunning(a) ? where + "process still running: " + a : "";
  if (k == "window-alive") {
    return sim::windows::ForeignWindowAlive(a) ? "" : where + "window closed: " + Shown(a);
  }
  if (k == "window-gone") {
    return sim::windows::ForeignWindowAlive(a) ? where + "window still open: " + Shown(a) : "";
  }
  return "";  // box lines are checked together; known-difference is documentation
}

}  // namespace

ExpectFile ParseExpect(const std::string& text) {
  ExpectFile expect;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    const size_t blank = line.find(' ', start);
    Expectation item;
    item.line = number;
    item.keyword = line.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
    item.argument = blank == std::string::npos ? "" : line.substr(blank + 1);
    if (!Keywords().count(item.keyword)) {
      expect.errors.push_back("line " + std::to_string(number) + ": unknown keyword: " + item.keyword);
      continue;
    }
    if (expect.restart && !ChecksMachineState(item.keyword)) {
      expect.errors.push_back("line " + std::to_string(number) + ": only the machine's state can be checked after the restart: " +
                              item.keyword);
      continue;
    }
    if (item.keyword == "restart") {
      expect.restart = true;
      continue;
    }
    item.afterRestart = expect.restart;
    expect.items.push_back(item);
  }
  return expect;
}

std::vector<std::string> CheckExpectations(const ExpectFile& expect) {
  std::vector<std::string> failures = expect.errors;
  std::vector<const Expectation*> boxes;
  for (const Expectation& item : expect.items) {
    if (item.afterRestart) continue;
    if (item.keyword == "box") boxes.push_back(&item);
    Expectation windowsOnly;
    const std::string failure = CheckOne(WindowsOnlyLine(item, &windowsOnly) ? windowsOnly : item);
    if (!failure.empty()) failures.push_back(failure);
  }
  for (const std::string& failure : CheckBoxes(boxes)) failures.push_back(failure);
  // On a real machine the program would still be waiting on that window.
  if (sim::windows::SendBlockedForever()) failures.push_back("the program sent a message to a hung window: it would never end");
  return failures;
}

std::vector<std::string> CheckAfterRestart(const ExpectFile& expect) {
  std::vector<std::string> failures;
  for (const Expectation& item : expect.items) {
    if (!item.afterRestart) continue;
    const std::string failure = CheckOne(item);
    if (!failure.empty()) failures.push_back(failure + " (after the restart)");
  }
  return failures;
}

}  // namespace harness
