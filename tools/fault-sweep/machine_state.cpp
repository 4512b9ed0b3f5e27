#include "tools/fault-sweep/machine_state.h"

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "tools/scenario/snapshot.h"

namespace sweep {

MachineState CaptureState() {
  const scenario::MachineSnapshot snapshot = scenario::CaptureMachine();
  MachineState state;
  for (const std::string& key : snapshot.keys) state.keys.insert(sim::ToLower(key));
  for (const auto& value : snapshot.values) state.values[sim::ToLower(value.first)] = value.second;
  // Directories too: a bad name must not reset a directory's attributes.
  for (const sim::files::FileEntry& entry : sim::files::All()) state.files[sim::ToLower(entry.path)] = entry.attributes;
  for (const std::string& exe : snapshot.processes) ++state.processes[sim::ToLower(exe)];
  for (const std::string& title : snapshot.windows) ++state.windows[sim::ToLower(title)];
  return state;
}

}  // namespace sweep
