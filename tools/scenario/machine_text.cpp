#include "tools/scenario/machine_text.h"

#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_store.h"
#include "platform/sim/win32_api.h"
#include "platform/sim/window_store.h"
#include "tools/scenario/reg_file.h"

namespace scenario {

bool StartMachine(const MachineImage& image, std::vector<std::string>* errors) {
  sim::Reset();
  if (sim::SetVersion(image.version)) return true;
  errors->push_back("machine.ini: unknown Windows version: " + image.version);
  return false;
}

void StartPrograms(const MachineImage& image) {
  for (const std::string& exe : image.processes) sim::processes::Start(exe);
  for (const MachineImage::Window& window : image.windows) {
    sim::windows::ForeignWindow foreign;
    foreign.title = window.title;
    foreign.hung = window.hung;
    sim::windows::AddForeignWindow(foreign);
  }
  sim::windows::ScriptUser(image.actions);
}

bool LayMachineText(const MachineText& machine, std::vector<std::string>* errors) {
  bool ok = StartMachine(machine.image, errors);
  if (!machine.windowsDirectory.empty()) sim::files::SetWindowsDirectory(machine.windowsDirectory);
  const RegParseResult parsed = ParseRegText(machine.registry);
  for (const std::string& error : parsed.errors) errors->push_back("registry: " + error);
  ok = ApplyRegOperations(parsed.operations, errors) && ok && parsed.errors.empty();
  for (const MachineFile& file : machine.files) {
    if (file.directory) {
      sim::files::MakeDirectory(file.path);
      continue;
    }
    sim::files::Write(file.path, file.content,
                      FILE_ATTRIBUTE_ARCHIVE | (file.readOnly ? FILE_ATTRIBUTE_READONLY : 0));
    if (!file.inUse) continue;
    // The holder keeps its handle for good, as the other program would.
    CreateFileA(sim::files::Absolute(file.path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  StartPrograms(machine.image);
  return ok;
}

}  // namespace scenario
