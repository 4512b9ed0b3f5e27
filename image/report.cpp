#include "image/report.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string_view>
#include <unordered_set>
#include <sstream>

#include "platform/sim/window_store.h"

namespace image {
namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

size_t CountUnder(const std::vector<std::string>& keys, const std::string& top) {
  return std::count_if(keys.begin(), keys.end(),
                       [&](const std::string& key) { return key.compare(0, top.size() + 1, top + "\\") == 0; });
}

bool KeyIsLeaf(const std::vector<std::string>& keys, const std::string& key) { return CountUnder(keys, key) == 0; }

void ListDifference(std::ostringstream& out, const char* what, const std::vector<std::string>& before,
                    const std::vector<std::string>& after, size_t* removedCount) {
  for (const std::string& item : before) {
    if (Contains(after, item)) continue;
    const bool quoted = std::string(what) == "window";
    out << "  " << what << " " << (quoted ? "\"" + item + "\"" : item) << "\n";
    ++*removedCount;
  }
}

}  // namespace

std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c != '\r') {
      out += c;
    }
  }
  return out;
}

std::vector<std::string> TopRemovedKeys(const MachineSnapshot& before, const MachineSnapshot& after) {
  // Views, not copies: the preview asks this of machines of 200,000 keys.
  const std::unordered_set<std::string_view> remaining(after.keys.begin(), after.keys.end());
  std::vector<std::string> removed;
  for (const std::string& key : before.keys) {
    if (remaining.count(key)) continue;
    const bool underRemoved = !removed.empty() && key.size() > removed.back().size() &&
                              key[removed.back().size()] == '\\' &&
                              key.compare(0, removed.back().size(), removed.back()) == 0;
    if (!underRemoved) removed.push_back(key);
  }
  return removed;
}

std::string DescribeShown() {
  std::ostringstream out;
  const sim::windows::DialogSnapshot& dialog = sim::windows::LastDialog();
  out << "Shown:\n";
  if (dialog.shown) {
    out << "  dialog \"" << OneLine(dialog.caption) << "\", ended with "
        << (dialog.result == 1 ? "OK" : dialog.result == 2 ? "Cancel" : std::to_string(dialog.result)) << "\n";
    for (const auto& control : dialog.controls) {
      out << "    control " << control.id << " (" << control.className << (control.visible ? "" : ", hidden")
          << "): \"" << OneLine(control.text) << "\"\n";
    }
    out << "    progress bar: range " << dialog.progressMin << "-" << dialog.progressMax << ", step "
        << dialog.progressStep << ", position " << dialog.progressPos << " ("
        << sim::windows::ProgressMessages().size() << " messages)\n";
    out << "    texts set, in order:\n";
    for (const auto& record : sim::windows::TextsShown()) {
      out << "      " << record.controlId << ": \"" << OneLine(record.text) << "\"\n";
    }
  } else {
    out << "  no dialog\n";
  }
  if (sim::windows::MessageBoxes().empty()) out << "  no message box\n";
  for (const auto& box : sim::windows::MessageBoxes()) {
    out << "  message box \"" << OneLine(box.caption) << "\": \"" << OneLine(box.text) << "\""
        << (box.ownedByDialog ? " (owned by the dialog)" : "") << "\n";
  }
  return out.str();
}

std::string DescribeChanges(const MachineSnapshot& fresh, const MachineSnapshot& before,
                            const MachineSnapshot& after) {
  std::ostringstream removed;
  size_t removedCount = 0;
  for (const std::string& key : TopRemovedKeys(before, after)) {
    const size_t below = CountUnder(before.keys, key);
    removed << "  key " << key;
    if (below) removed << " (and " << below << " key" << (below == 1 ? "" : "s") << " below)";
    removed << "\n";
    ++removedCount;
  }
  std::set<std::string> remainingKeys(after.keys.begin(), after.keys.end());
  for (const auto& value : before.values) {
    const std::string key = value.first.substr(0, value.first.find('|'));
    if (remainingKeys.count(key) && !after.values.count(value.first)) {
      removed << "  value " << value.first << "\n";
      ++removedCount;
    }
  }
  for (const auto& file : before.files) {
    if (after.files.count(file.first)) continue;
    removed << "  file " << file.first << "\n";
    ++removedCount;
  }
  ListDifference(removed, "device", before.devices, after.devices, &removedCount);
  ListDifference(removed, "process", before.processes, after.processes, &removedCount);
  ListDifference(removed, "window", before.windows, after.windows, &removedCount);

  std::ostringstream changed;
  for (const auto& value : after.values) {
    auto old = before.values.find(value.first);
    if (old == before.values.end()) {
      changed << "  value added " << value.first << " = " << value.second << "\n";
    } else if (old->second != value.second) {
      changed << "  value " << value.first << ": " << old->second << " -> " << value.second << "\n";
    }
  }
  std::set<std::string> keysBefore(before.keys.begin(), before.keys.end());
  for (const std::string& key : after.keys) {
    if (!keysBefore.count(key)) changed << "  key added " << key << "\n";
  }
  for (const auto& file : after.files) {
    auto old = before.files.find(file.first);
    if (old == before.files.end()) {
      changed << "  file added " << file.first << "\n";
    } else if (old->second != file.second) {
      char text[64];
      std::snprintf(text, sizeof(text), ": attributes 0x%02x -> 0x%02x", old->second, file.second);
      changed << "  file " << file.first << text << "\n";
    }
  }

  std::ostringstream kept;
  std::set<std::string> freshKeys(fresh.keys.begin(), fresh.keys.end());
  for (const std::string& key : before.keys) {
    if (freshKeys.count(key) || !remainingKeys.count(key) || !KeyIsLeaf(before.keys, key)) continue;
    kept << "  key " << key << "\n";
  }
  for (const auto& file : before.files) {
    if (!fresh.files.count(file.first) && after.files.count(file.first)) kept << "  file " << file.first << "\n";
  }
  for (const std::string& device : before.devices) {
    if (!Contains(fresh.devices, device) && Contains(after.devices, device)) kept << "  device " << device << "\n";
  }
  for (const std::string& process : before.processes) {
    if (!Contains(fresh.processes, process) && Contains(after.processes, process)) kept << "  process " << process << "\n";
  }
  for (const std::string& window : before.windows) {
    if (!Contains(fresh.windows, window) && Contains(after.windows, window)) kept << "  window \"" << window << "\"\n";
  }

  size_t untouchedKeys = 0;
  for (const std::string& key : fresh.keys) untouchedKeys += remainingKeys.count(key);
  size_t untouchedFiles = 0;
  for (const auto& file : fresh.files) untouchedFiles += after.files.count(file.first);
  size_t untouchedProcesses = 0;
  for (const std::string& process : fresh.processes) untouchedProcesses += Contains(after.processes, process);

  std::ostringstream out;
  out << "Removed:\n" << (removedCount ? removed.str() : "  nothing\n");
  if (!changed.str().empty()) out << "Changed:\n" << changed.str();
  out << "Kept (the machine image's own items still there):\n" << (kept.str().empty() ? "  nothing\n" : kept.str());
  out << "Left alone (what a fresh machine has): " << untouchedKeys << " of " << fresh.keys.size() << " keys, ";
  if (!fresh.files.empty()) out << untouchedFiles << " of " << fresh.files.size() << " files, ";
  out << untouchedProcesses << " of " << fresh.processes.size() << " system processes\n";
  return out.str();
}

}  // namespace image
