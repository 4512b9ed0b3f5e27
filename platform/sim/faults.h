// Fault injection and the call log of the simulated machine.
//
// Every simulated API entry point calls CheckFault with its own name and the
// thing it acts on (a key path, a file path, a device instance ID, a process
// name, a window title) and, for enumerations, the index asked for. A fault
// rule that matches makes that call fail with the rule's error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/win32_types.h"

namespace sim {

struct FaultRule {
  std::string api;      // "RegOpenKeyExA", ...; "*" matches every API
  std::string subject;  // case-insensitive substring of the call's subject; empty matches all
  long index = -1;      // for enumerations: the index that fails; -1 any
  int nth = 0;          // fail only the nth matching call (1-based); 0 every matching call
  DWORD error = 0;
  int seen = 0;         // matching calls so far
};

struct CallRecord {
  std::string api;
  std::string subject;
  long index;
};

// Adds a rule; returns its number.
size_t InjectFault(const std::string& api, DWORD error, const std::string& subject = "", long index = -1,
                   int nth = 0);
void ClearFaults();

// Records the call and returns the error to fail it with, or 0.
DWORD CheckFault(const char* api, const std::string& subject, long index = -1);

const std::vector<CallRecord>& CallLog();
// The log is on after every reset; benchmarks turn it off so that what they
// time is the program's walk, not the test instrument's memory.
void SetCallLogging(bool on);
// Calls onLimit once more than limit calls were made since the log was last
// cleared (0: no limit), whether or not they are logged: lets
// a fault sweep stop a run that no longer ends.
void SetCallLimit(size_t limit, void (*onLimit)());
void ClearCallLog();
size_t CountCalls(const std::string& api);

// Views, so a part of a name is compared where it stands.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool ContainsNoCase(const std::string& haystack, const std::string& needle);
std::string ToLower(std::string text);
// Without the white space (as isspace has it) at either end.
std::string TrimSpace(const std::string& text);

}  // namespace sim
