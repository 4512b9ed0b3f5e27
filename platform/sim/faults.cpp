#include "platform/sim/faults.h"

#include <algorithm>
#include <cctype>

namespace sim {
namespace {

std::vector<FaultRule>& Rules() {
  static std::vector<FaultRule> rules;
  return rules;
}

std::vector<CallRecord>& Log() {
  static std::vector<CallRecord> log;
  return log;
}

bool& LoggingOn() {
  static bool on = true;
  return on;
}

size_t g_callLimit = 0;
size_t g_callsSinceClear = 0;
void (*g_onCallLimit)() = nullptr;

}  // namespace

std::string ToLower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string TrimSpace(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

// Compared in place: it runs on every name lookup of the machine.
bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool ContainsNoCase(const std::string& haystack, const std::string& needle) {
  return ToLower(haystack).find(ToLower(needle)) != std::string::npos;
}

size_t InjectFault(const std::string& api, DWORD error, const std::string& subject, long index, int nth) {
  FaultRule rule;
  rule.api = api;
  rule.subject = subject;
  rule.index = index;
  rule.nth = nth;
  rule.error = error;
  Rules().push_back(rule);
  return Rules().size() - 1;
}

void ClearFaults() { Rules().clear(); }

DWORD CheckFault(const char* api, const std::string& subject, long index) {
  if (LoggingOn()) Log().push_back(CallRecord{api, subject, index});
  ++g_callsSinceClear;
  if (g_callLimit != 0 && g_callsSinceClear > g_callLimit && g_onCallLimit != nullptr) g_onCallLimit();
  for (FaultRule& rule : Rules()) {
    if (rule.api != "*" && rule.api != api) continue;
    if (!rule.subject.empty() && !ContainsNoCase(subject, rule.subject)) continue;
    if (rule.index >= 0 && rule.index != index) continue;
    ++rule.seen;
    if (rule.nth != 0 && rule.seen != rule.nth) continue;
    return rule.error;
  }
  return 0;
}

const std::vector<CallRecord>& CallLog() { return Log(); }
void ClearCallLog() {
  Log().clear();
  g_callsSinceClear = 0;
}
void SetCallLogging(bool on) { LoggingOn() = on; }

void SetCallLimit(size_t limit, void (*onLimit)()) {
  g_callLimit = limit;
  g_onCallLimit = onLimit;
}

size_t CountCalls(const std::string& api) {
  return static_cast<size_t>(
      std::count_if(Log().begin(), Log().end(), [&](const CallRecord& r) { return r.api == api; }));
}

}  // namespace sim
