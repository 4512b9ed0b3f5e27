#include "harness/machine_state.h"

#include <cctype>
#include <utility>

#include "platform/sim/file_store.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/restart.h"
#include "platform/sim/window_store.h"

namespace fuzzcase {
namespace {

// Built in place, each string once: the walk runs twice per fuzz input, over
// the whole registry.
void Walk(const sim::RegKey* key, const std::string& path, std::string lowerPath, MachineState* state) {
  KeyState& entry = state->keys.try_emplace(std::move(lowerPath)).first->second;
  entry.path = path;
  for (const auto& value : key->values()) {
    if (sim::IsRestartListValue(path, value.second.name)) continue;
    std::string text = std::to_string(value.second.type);
    text += ':';
    text.append(value.second.data.begin(), value.second.data.end());
    entry.values.emplace(Lower(value.second.name), std::move(text));
  }
  entry.children.reserve(key->subkeys.size());
  for (const auto& child : key->subkeys) {
    std::string childPath;
    childPath.reserve(path.size() + 1 + child.second->name.size());
    childPath += path;
    childPath += '\\';
    childPath += child.second->name;
    std::string childLower = Lower(childPath);
    entry.children.push_back(childLower);
    Walk(child.second.get(), childPath, std::move(childLower), state);
  }
}

// Every field is closed by a byte that cannot be in it, or preceded by its
// length, so two different machines never give the same text.
void AddField(const char* data, size_t size, std::string* image) {
  *image += std::to_string(size);
  *image += ':';
  image->append(data, size);
}

void ImageOfKey(const sim::RegKey* key, std::string* image) {
  AddField(key->name.data(), key->name.size(), image);
  for (const auto& value : key->values()) {
    *image += 'v';
    AddField(value.second.name.data(), value.second.name.size(), image);
    *image += std::to_string(value.second.type);
    AddField(reinterpret_cast<const char*>(value.second.data.data()), value.second.data.size(), image);
  }
  for (const auto& child : key->subkeys) {
    *image += '(';
    ImageOfKey(child.second.get(), image);
    *image += ')';
  }
}

}  // namespace

void TakeImage(std::string* image) {
  image->clear();
  ImageOfKey(sim::registry::Root(HKEY_LOCAL_MACHINE), image);
  ImageOfKey(sim::registry::Root(HKEY_CURRENT_USER), image);
  sim::files::ForEach([image](const sim::files::FileEntry& entry) {
    *image += entry.directory ? 'd' : 'f';
    AddField(entry.path.data(), entry.path.size(), image);
    *image += std::to_string(entry.attributes);
    AddField(entry.content.data(), entry.content.size(), image);
  });
  for (const std::string& process : sim::processes::Running()) AddField(process.data(), process.size(), image);
  *image += '|';
  for (const std::string& title : sim::windows::AliveForeignWindowTitles()) AddField(title.data(), title.size(), image);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

MachineState Capture() {
  MachineState state;
  Walk(sim::registry::Root(HKEY_LOCAL_MACHINE), "HKLM", "hklm", &state);
  Walk(sim::registry::Root(HKEY_CURRENT_USER), "HKCU", "hkcu", &state);
  // A file the next restart deletes counts as deleted; the restart lists
  // themselves are no change.
  const std::set<std::string> scheduled = sim::ScheduledDeletions();
  for (const sim::files::FileEntry& entry : sim::files::All()) {
    if (scheduled.count(Lower(entry.path)) || sim::IsRestartListFile(entry.path)) continue;
    state.files[Lower(entry.path)] = FileState{entry.path, entry.attributes, entry.directory};
  }
  state.processes = sim::processes::Running();
  state.windows = sim::windows::AliveForeignWindowTitles();
  return state;
}

}  // namespace fuzzcase
