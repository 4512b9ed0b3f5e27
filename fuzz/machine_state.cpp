#include "fuzz/machine_state.h"

#include <cctype>

#include "platform/sim/file_store.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/restart.h"
#include "platform/sim/window_store.h"

namespace fuzzcase {
namespace {

void Walk(const sim::RegKey* key, const std::string& path, MachineState* state) {
  KeyState& entry = state->keys[Lower(path)];
  entry.path = path;
  for (const auto& value : key->values) {
    if (sim::IsRestartListValue(path, value.second.name)) continue;
    entry.values[Lower(value.second.name)] =
        std::to_string(value.second.type) + ":" + std::string(value.second.data.begin(), value.second.data.end());
  }
  for (const auto& child : key->subkeys) {
    const std::string childPath = path + "\\" + child.second->name;
    entry.children.push_back(Lower(childPath));
    Walk(child.second.get(), childPath, state);
  }
}

}  // namespace

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

MachineState Capture() {
  MachineState state;
  Walk(sim::registry::Root(HKEY_LOCAL_MACHINE), "HKLM", &state);
  Walk(sim::registry::Root(HKEY_CURRENT_USER), "HKCU", &state);
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
