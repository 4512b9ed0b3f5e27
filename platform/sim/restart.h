// What waits for the next restart, and the restart itself: the Session
// Manager's pending file operations (NT family) and WININIT.INI's [rename]
// section (9x family).
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace sim {

extern const char kSessionManagerKey[];
extern const char kPendingRenamesValue[];

// The pending list's operations as (source, destination) without the "\??\"
// prefix; an empty destination deletes the source.
std::vector<std::pair<std::string, std::string>> PendingFileRenames();

// The lines of WININIT.INI's first [rename] section as (destination,
// source): "NUL" deletes the source.
std::vector<std::pair<std::string, std::string>> WininitRenames();

// The existing files a restart would delete, as lower-case paths.
std::set<std::string> ScheduledDeletions();

// The restart lists themselves: the pending operations value and
// WININIT.INI. An oracle counts what they schedule as gone, and the lists
// as no change of their own.
bool IsRestartListValue(const std::string& keyPath, const std::string& valueName);
bool IsRestartListFile(const std::string& path);

// Ends every program (nothing is in use any more), carries out the pending
// list and clears it, then WININIT.INI's [rename] lines, and renames
// WININIT.INI to WININIT.BAK as Windows 9x does.
void Restart();

}  // namespace sim
