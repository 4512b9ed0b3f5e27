#include "platform/sim/value_journal.h"
#include "platform/sim/restart.h"

#include <sstream>

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"

namespace sim {

const char kSessionManagerKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char kPendingRenamesValue[] = "PendingFileRenameOperations";

namespace {

const char kWininit[] = "WININIT.INI";
const char kWininitDone[] = "WININIT.BAK";

std::string WithoutNtPrefix(const std::string& path) {
  std::string out = path.compare(0, 4, "\\??\\") == 0 ? path.substr(4) : path;
  // A replacing rename marks its destination with '!'.
  if (!out.empty() && out[0] == '!') out = out.compare(1, 4, "\\??\\") == 0 ? out.substr(5) : out.substr(1);
  return out;
}

void DeleteAtRestart(const std::string& path) {
  const auto entry = files::Get(path);
  if (!entry) return;
  if (entry->directory) {
    // Only an empty directory goes.
    const std::string prefix = ToLower(entry->path) + "\\";
    for (const files::FileEntry& other : files::All()) {
      if (ToLower(other.path).compare(0, prefix.size(), prefix) == 0) return;
    }
  }
  files::Erase(entry->path);
}

void RenameAtRestart(const std::string& source, const std::string& destination) {
  const auto entry = files::Get(source);
  if (!entry || entry->directory) return;
  files::Erase(entry->path);
  files::Write(destination, entry->content, entry->attributes);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> PendingFileRenames() {
  std::vector<std::pair<std::string, std::string>> operations;
  const auto value = registry::GetValue(kSessionManagerKey, kPendingRenamesValue);
  if (!value) return operations;
  std::vector<std::string> strings(1);
  for (BYTE b : value->data) {
    if (b == 0) {
      strings.emplace_back();
    } else {
      strings.back() += static_cast<char>(b);
    }
  }
  // Pairs until an empty source: the list's closing NUL.
  for (size_t i = 0; i < strings.size() && !strings[i].empty(); i += 2) {
    const std::string destination = i + 1 < strings.size() ? strings[i + 1] : "";
    operations.emplace_back(WithoutNtPrefix(strings[i]), destination.empty() ? "" : WithoutNtPrefix(destination));
  }
  return operations;
}

std::vector<std::pair<std::string, std::string>> WininitRenames() {
  std::vector<std::pair<std::string, std::string>> lines;
  const auto file = files::Get(kWininit);
  if (!file || file->directory) return lines;
  std::istringstream in(file->content);
  bool inRename = false;
  bool seenRename = false;
  for (std::string line; std::getline(in, line);) {
    line = TrimSpace(line);
    if (!line.empty() && line[0] == '[') {
      const size_t close = line.find(']');
      const bool rename = close != std::string::npos && EqualsNoCase(TrimSpace(line.substr(1, close - 1)), "rename");
      // Only the first [rename] section counts, as a profile reader would take it.
      inRename = rename && !seenRename;
      seenRename = seenRename || rename;
      continue;
    }
    const size_t equals = line.find('=');
    if (!inRename || equals == std::string::npos) continue;
    lines.emplace_back(TrimSpace(line.substr(0, equals)), TrimSpace(line.substr(equals + 1)));
  }
  return lines;
}

std::set<std::string> ScheduledDeletions() {
  std::set<std::string> paths;
  auto add = [&paths](const std::string& path) {
    const auto entry = files::Get(path);
    if (entry && !entry->directory) paths.insert(ToLower(entry->path));
  };
  for (const auto& operation : PendingFileRenames()) {
    if (operation.second.empty()) add(operation.first);
  }
  for (const auto& line : WininitRenames()) {
    if (EqualsNoCase(line.first, "NUL")) add(line.second);
  }
  return paths;
}

bool IsRestartListValue(const std::string& keyPath, const std::string& valueName) {
  return EqualsNoCase(keyPath, kSessionManagerKey) && EqualsNoCase(valueName, kPendingRenamesValue);
}

bool IsRestartListFile(const std::string& path) {
  return EqualsNoCase(files::Absolute(path), files::Absolute(kWininit));
}

void Restart() {
  processes::EndAllButSystem();
  files::CloseEveryFileHandle();
  files::UnloadImages();

  for (const auto& operation : PendingFileRenames()) {
    if (operation.second.empty()) {
      DeleteAtRestart(operation.first);
    } else {
      RenameAtRestart(operation.first, operation.second);
    }
  }
  if (RegKey* sessionManager = registry::Find(kSessionManagerKey)) {
    sessionManager->ChangeValues().erase(kPendingRenamesValue);
  }

  const auto wininit = files::Get(kWininit);
  if (!wininit || wininit->directory) return;
  for (const auto& line : WininitRenames()) {
    if (EqualsNoCase(line.first, "NUL")) {
      DeleteAtRestart(line.second);
    } else {
      RenameAtRestart(line.second, line.first);
    }
  }
  files::Erase(kWininitDone);
  files::Erase(wininit->path);
  files::Write(kWininitDone, wininit->content, wininit->attributes);
}

}  // namespace sim
