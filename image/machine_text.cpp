#include "image/machine_text.h"

#include "platform/sim/device_store.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_store.h"
#include "platform/sim/program_start.h"
#include "platform/sim/window_store.h"
#include "platform/sim/wow64.h"
#include "image/reg_file.h"

namespace image {

namespace {

// Another program holds the file: open without delete sharing, loaded as a
// DLL, or running as its program.
bool HoldFilesInUse(const MachineImage& image, std::vector<std::string>* errors) {
  bool ok = true;
  for (const MachineImage::FileInUse& file : image.inUse) {
    const auto entry = sim::files::Get(file.path);
    if (!entry || entry->directory) {
      errors->push_back("machine.ini: file in use not in windows/: " + file.path);
      ok = false;
    } else if (file.how == "open") {
      sim::files::HoldOpen(file.path);
    } else if (file.how == "loaded") {
      sim::files::LoadImage(file.path);
    } else {
      sim::processes::StartImage(file.path);
    }
  }
  return ok;
}

}  // namespace

bool StartMachine(const MachineImage& image, std::vector<std::string>* errors) {
  sim::Reset();
  bool ok = true;
  if (!sim::SetVersion(image.version)) {
    errors->push_back("machine.ini: unknown Windows version: " + image.version);
    ok = false;
  }
  sim::wow64::SetMachineBits(image.bits);
  const sim::VersionInfo& version = sim::Version();
  const bool before64BitEditions = sim::IsWin9xFamily() || version.major < 5 || (version.major == 5 && version.minor == 0);
  if (image.bits == 64 && before64BitEditions) {
    errors->push_back("machine.ini: " + image.version + " had no 64-bit edition");
    ok = false;
  }
  return ok;
}

// Each one must be a device the image lays.
bool UnplugDevices(const MachineImage& image, std::vector<std::string>* errors) {
  bool ok = true;
  for (const std::string& id : image.unplugged) {
    if (!sim::devices::DevicePresent(id)) {
      errors->push_back("machine.ini: an unplugged device is no device of the registry: " + id);
      ok = false;
      continue;
    }
    sim::devices::SetPluggedIn(id, false);
  }
  return ok;
}

bool StartPrograms(const MachineImage& image, std::vector<std::string>* errors) {
  for (const std::string& exe : image.processes) sim::processes::Start(exe);
  bool ok = HoldFilesInUse(image, errors);
  ok = UnplugDevices(image, errors) && ok;
  for (const MachineImage::Window& window : image.windows) {
    sim::windows::ForeignWindow foreign;
    foreign.title = window.title;
    foreign.hung = window.hung;
    sim::windows::AddForeignWindow(foreign);
  }
  sim::windows::ScriptUser(image.actions);
  sim::programs::SetStartArguments(image.arguments);
  for (const MachineImage::Fault& fault : image.faults) {
    sim::InjectFault(fault.api, static_cast<DWORD>(fault.error), fault.subject);
  }
  return ok;
}

bool LayMachineText(const MachineText& machine, std::vector<std::string>* errors) {
  bool ok = StartMachine(machine.image, errors);
  if (!machine.windowsDirectory.empty()) sim::files::SetWindowsDirectory(machine.windowsDirectory);
  const RegParseResult parsed = ParseRegText(machine.registry);
  for (const std::string& error : parsed.errors) errors->push_back("registry: " + error);
  ok = ApplyRegOperations(parsed.operations, errors) && ok && parsed.errors.empty();
  MachineImage image = machine.image;
  for (const MachineFile& file : machine.files) {
    if (file.directory) {
      sim::files::MakeDirectory(file.path);
      continue;
    }
    sim::files::Write(file.path, file.content,
                      FILE_ATTRIBUTE_ARCHIVE | (file.readOnly ? FILE_ATTRIBUTE_READONLY : 0));
    if (file.loaded) {
      image.inUse.push_back({file.path, "loaded"});
    } else if (file.inUse) {
      image.inUse.push_back({file.path, "open"});
    }
  }
  return StartPrograms(image, errors) && ok;
}

}  // namespace image
