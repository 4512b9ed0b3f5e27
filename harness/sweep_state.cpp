#include "harness/sweep_state.h"

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/restart.h"
#include "image/snapshot.h"

namespace sweep {

MachineState CaptureState() {
  const image::MachineSnapshot snapshot = image::CaptureMachine();
  MachineState state;
  for (const std::string& key : snapshot.keys) state.keys.insert(sim::ToLower(key));
  for (const auto& value : snapshot.values) {
    const size_t bar = value.first.rfind('|');
    if (sim::IsRestartListValue(value.first.substr(0, bar), value.first.substr(bar + 1))) continue;
    state.values[sim::ToLower(value.first)] = value.second;
  }
  // A file the next restart deletes counts as deleted.
  const std::set<std::string> scheduled = sim::ScheduledDeletions();
  // Directories too: a bad name must not reset a directory's attributes.
  for (const sim::files::FileEntry& entry : sim::files::All()) {
    const std::string path = sim::ToLower(entry.path);
    if (scheduled.count(path) || sim::IsRestartListFile(entry.path)) continue;
    state.files[path] = entry.attributes;
  }
  for (const std::string& exe : snapshot.processes) ++state.processes[sim::ToLower(exe)];
  for (const std::string& title : snapshot.windows) ++state.windows[sim::ToLower(title)];
  return state;
}

}  // namespace sweep
