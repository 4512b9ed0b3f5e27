#include "platform/sim/desktop_template.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <utility>

#include "platform/sim/faults.h"

#ifdef DRVUNINST_EMBEDDED_RESOURCE_SCRIPT
#include DRVUNINST_EMBEDDED_RESOURCE_SCRIPT
#endif
#ifndef DRVUNINST_SOURCE_DIR
#define DRVUNINST_SOURCE_DIR "."
#endif

namespace sim {
namespace desktop {
namespace {

std::string FirstWord(const std::string& line) {
  std::istringstream in(line);
  std::string word;
  in >> word;
  return word;
}

// A quoted resource string: "" stands for one quote.
std::string Unquote(const std::string& token) {
  const std::string t = sim::TrimSpace(token);
  if (t.size() < 2 || t.front() != '"' || t.back() != '"') return t;
  std::string out;
  for (size_t i = 1; i + 1 < t.size(); ++i) {
    if (t[i] == '"' && i + 2 < t.size() && t[i + 1] == '"') ++i;
    out += t[i];
  }
  return out;
}

// Splits on the separator outside quoted strings.
std::vector<std::string> SplitOutsideQuotes(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string current;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == separator && !quoted) {
      parts.push_back(sim::TrimSpace(current));
      current.clear();
    } else {
      current += c;
    }
  }
  parts.push_back(sim::TrimSpace(current));
  return parts;
}

std::vector<std::string> StyleList(const std::string& text) {
  std::vector<std::string> styles;
  for (const std::string& part : SplitOutsideQuotes(text, '|')) {
    if (part.empty()) continue;
    std::istringstream in(part);
    std::string word, joined;
    while (in >> word) joined += (joined.empty() ? "" : " ") + word;
    styles.push_back(joined);
  }
  return styles;
}

bool Has(const std::vector<std::string>& styles, const std::string& style) {
  for (const std::string& s : styles) {
    if (s == style) return true;
  }
  return false;
}

int ControlId(const std::string& token) {
  if (token == "IDOK") return 1;
  if (token == "IDCANCEL") return 2;
  if (token == "IDC_STATIC") return -1;
  return static_cast<int>(std::strtol(token.c_str(), nullptr, 0));
}

int Number(const std::string& token) { return static_cast<int>(std::strtol(token.c_str(), nullptr, 0)); }

// The resource compiler's defaults for each control statement.
void ApplyDefaults(ControlTemplate& c) {
  if (c.statement == "LTEXT" || c.statement == "RTEXT" || c.statement == "CTEXT") {
    c.className = "Static";
  } else if (c.statement == "DEFPUSHBUTTON" || c.statement == "PUSHBUTTON") {
    c.className = "Button";
    c.tabStop = true;
    c.defaultButton = c.statement == "DEFPUSHBUTTON";
  } else if (c.statement == "EDITTEXT") {
    c.className = "Edit";
    c.tabStop = true;
  }
}

bool ParseControl(const std::string& statement, ControlTemplate* out) {
  ControlTemplate c;
  c.statement = FirstWord(statement);
  const std::vector<std::string> args = SplitOutsideQuotes(sim::TrimSpace(statement.substr(c.statement.size())), ',');
  ApplyDefaults(c);
  size_t at = 0;
  if (c.statement == "CONTROL") {
    if (args.size() < 8) return false;
    c.text = Unquote(args[0]);
    c.id = ControlId(args[1]);
    c.className = Unquote(args[2]);
    c.styles = StyleList(args[3]);
    at = 4;
  } else {
    if (args.size() < 6) return false;
    c.text = Unquote(args[0]);
    c.id = ControlId(args[1]);
    at = 2;
    if (args.size() > 6) c.styles = StyleList(args[6]);
  }
  c.x = Number(args[at]);
  c.y = Number(args[at + 1]);
  c.cx = Number(args[at + 2]);
  c.cy = Number(args[at + 3]);
  if (Has(c.styles, "NOT WS_VISIBLE")) c.visible = false;
  if (Has(c.styles, "WS_TABSTOP")) c.tabStop = true;
  if (Has(c.styles, "NOT WS_TABSTOP")) c.tabStop = false;
  if (Has(c.styles, "BS_DEFPUSHBUTTON")) c.defaultButton = true;
  if (Has(c.styles, "WS_BORDER")) c.border = true;
  *out = c;
  return true;
}

// Script lines with comments dropped and continued lines (ending in ',' or
// '|') joined.
std::vector<std::string> Statements(const std::string& script) {
  std::vector<std::string> statements;
  std::istringstream in(script);
  std::string line, pending;
  while (std::getline(in, line)) {
    const size_t comment = line.find("//");
    if (comment != std::string::npos && line.find('"') > comment) line.erase(comment);
    line = sim::TrimSpace(line);
    if (line.empty()) continue;
    pending += (pending.empty() ? "" : " ") + line;
    if (line.back() == ',' || line.back() == '|') continue;
    statements.push_back(pending);
    pending.clear();
  }
  if (!pending.empty()) statements.push_back(pending);
  return statements;
}

bool IsHeaderOf(const std::string& statement, const std::string& type, int id) {
  std::istringstream in(statement);
  std::string name, kind;
  in >> name >> kind;
  return kind == type && !name.empty() && std::isdigit(static_cast<unsigned char>(name[0])) && Number(name) == id;
}

}  // namespace

bool ParseDialogTemplate(const std::string& script, int id, DialogTemplate* out) {
  const std::vector<std::string> statements = Statements(script);
  size_t i = 0;
  while (i < statements.size() && !IsHeaderOf(statements[i], "DIALOGEX", id) &&
         !IsHeaderOf(statements[i], "DIALOG", id)) {
    ++i;
  }
  if (i == statements.size()) return false;
  DialogTemplate t;
  t.id = id;
  const std::string& header = statements[i];
  const size_t kindAt = header.find("DIALOG");
  const std::vector<std::string> rect = SplitOutsideQuotes(header.substr(header.find(' ', kindAt) + 1), ',');
  if (rect.size() < 4) return false;
  t.x = Number(rect[0]);
  t.y = Number(rect[1]);
  t.cx = Number(rect[2]);
  t.cy = Number(rect[3]);
  bool inBody = false;
  for (++i; i < statements.size(); ++i) {
    const std::string& s = statements[i];
    const std::string word = FirstWord(s);
    const std::string rest = sim::TrimSpace(s.substr(word.size()));
    if (!inBody) {
      if (word == "STYLE") t.styles = StyleList(rest);
      if (word == "EXSTYLE") t.exStyles = StyleList(rest);
      if (word == "CAPTION") t.caption = Unquote(rest);
      if (word == "FONT") {
        const std::vector<std::string> font = SplitOutsideQuotes(rest, ',');
        t.fontSize = Number(font[0]);
        if (font.size() > 1) t.fontName = Unquote(font[1]);
      }
      if (word == "BEGIN" || word == "{") inBody = true;
      continue;
    }
    if (word == "END" || word == "}") {
      *out = t;
      return true;
    }
    ControlTemplate control;
    if (!ParseControl(s, &control)) return false;
    t.controls.push_back(control);
  }
  return false;
}

bool ScriptDefines(const std::string& script, const std::string& type, int id) {
  for (const std::string& statement : Statements(script)) {
    if (IsHeaderOf(statement, type, id)) return true;
  }
  return false;
}

std::string ProgramResourcePath(const std::string& relative) {
  return std::string(DRVUNINST_SOURCE_DIR) + "/" + relative;
}

std::string ProgramResourceText(const std::string& relative) {
#ifdef DRVUNINST_EMBEDDED_RESOURCE_SCRIPT
  // A program that carries the simulated machine has no source tree beside it.
  for (const EmbeddedResourceScript& script : kEmbeddedResourceScripts) {
    if (relative == script.name) return script.text;
  }
#endif
  std::ifstream in(ProgramResourcePath(relative));
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

const std::string& ProgramResourceScript() {
  static const std::string script = ProgramResourceText("res/DrvUninst.rc");
  return script;
}

const DialogTemplate* ProgramDialogTemplate(int id) {
  static std::map<int, std::optional<DialogTemplate>> parsed;
  auto it = parsed.find(id);
  if (it == parsed.end()) {
    DialogTemplate t;
    std::optional<DialogTemplate> found;
    if (ParseDialogTemplate(ProgramResourceScript(), id, &t)) found = t;
    it = parsed.emplace(id, found).first;
  }
  return it->second ? &*it->second : nullptr;
}

bool ProgramScriptDefines(const std::string& type, int id) {
  static std::map<std::pair<std::string, int>, bool> answers;
  const auto question = std::make_pair(type, id);
  auto it = answers.find(question);
  if (it == answers.end()) it = answers.emplace(question, ScriptDefines(ProgramResourceScript(), type, id)).first;
  return it->second;
}

}  // namespace desktop
}  // namespace sim
