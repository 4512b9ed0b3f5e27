#include "preview/Preview.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string_view>
#include <unordered_set>

#include "app/DrvUninstApp.h"
#include "app/ExitCodes.h"
#include "platform/sim/events.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/program_start.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/restart.h"
#include "platform/sim/value_journal.h"
#include "platform/sim/window_store.h"
#include "removal/Kept.h"
#include "preview/DeviceCheck.h"
#include "image/report.h"
#include "image/run_program.h"
#include "image/snapshot.h"

namespace preview {
namespace {

using image::MachineSnapshot;
using image::OneLine;

std::string Quoted(const std::string& text) { return "\"" + OneLine(text) + "\""; }

using sim::events::Event;
using sim::events::Kind;

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() > suffix.size() && sim::EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// What the account below reads of a run. The installed check reads the
// DisplayName of every Uninstall entry; a run reads other values of every
// device and class instance, which the account need not keep.
const char kDisplayName[] = "DisplayName";

void StartEventsTheAccountReads() {
  sim::events::Start({Kind::FileDelete, Kind::FileDeleteAtRestart, Kind::DeviceRemove, Kind::DriverPackageUninstall,
                      Kind::BoxShow, Kind::WindowMessage, Kind::ValueRead},
                     kDisplayName);
}

// What the run on the copy did.
struct Outcome {
  explicit Outcome(const std::vector<Event>& recorded) : events(recorded) {}
  MachineSnapshot before;
  MachineSnapshot after;
  const std::vector<Event>& events;  // the run's, in the order they happened
  std::set<std::string> scheduled;  // lower-cased paths a restart would delete
  bool installed = false;
  bool finished = false;  // a final message was shown after OK
};

void TellSection(std::ostream& out, const UninstProfile& profile, int country) {
  const std::string code = std::to_string(country);
  out << "Profile section: [" << profile.m_szSection << "]: ";
  if (code == profile.m_szSection) {
    out << "the user's country code is " << code << " and that section has a title\n";
  } else {
    out << "the user's country code is " << code << ", and section [" << code
        << "] has no title (or is not there), so the uninstaller falls back to section [1]\n";
  }
  out << "Texts the user would see:\n"
      << "  title:  " << Quoted(profile.m_szUnInstDrvAppTitle) << "\n"
      << "  prompt: " << Quoted(profile.m_szUnInstDrvRunTipMsg) << "\n"
      << "  button: " << Quoted(profile.m_szOKText) << "\n";
}

// The values the account reads from the snapshots: the Uninstall entries
// before the run. What the run writes comes from the registry's journal.
bool IsUninstallEntry(const std::string& keyPath) {
  const size_t name = keyPath.rfind('\\');
  return name != std::string::npos && EndsWithNoCase(std::string_view(keyPath).substr(0, name), "\\Uninstall");
}

bool NoValues(const std::string&) { return false; }

// The Uninstall entries read before the dialog or the warning came up whose
// DisplayName is the product's, in the order the uninstaller read them.
std::vector<std::string> MatchedUninstallEntries(const Outcome& outcome, const std::string& displayName) {
  std::vector<std::string> matched;
  for (const Event& event : outcome.events) {
    if (event.kind == Kind::BoxShow) break;
    if (event.kind != Kind::ValueRead || !sim::EqualsNoCase(event.name, kDisplayName)) continue;
    const std::string& entry = event.subject;
    auto value = outcome.before.values.find(entry + "|" + kDisplayName);
    if (value == outcome.before.values.end() || !sim::EqualsNoCase(value->second, "\"" + displayName + "\"")) continue;
    if (std::find(matched.begin(), matched.end(), entry) == matched.end()) matched.push_back(entry);
  }
  return matched;
}

void TellInstalledCheck(std::ostream& out, const UninstProfile& profile, const Outcome& outcome) {
  out << "Installed check: ";
  if (outcome.installed) {
    out << "installed: the DisplayName " << Quoted(profile.m_szDrvUninstRegKeyName) << " is found in\n";
    for (const std::string& entry : MatchedUninstallEntries(outcome, profile.m_szDrvUninstRegKeyName)) {
      out << "  " << entry << (sim::ContainsNoCase(entry, "\\Wow6432Node\\") ? " (the 32-bit registry view)" : "")
          << "\n";
    }
    return;
  }
  out << "not installed: no Uninstall entry has the DisplayName " << Quoted(profile.m_szDrvUninstRegKeyName)
      << "; the user gets the warning " << Quoted(profile.m_szUnInstNoRegKeyMsg) << " and nothing is removed\n";
}

std::string Devices(size_t n) { return std::to_string(n) + (n == 1 ? " device" : " devices"); }

void TellDeviceCheck(std::ostream& out, const UninstProfile& profile, const DeviceCheck& check, bool nt) {
  out << "Device check (DevIDNum " << check.expected << "):\n";
  if (!check.listed) out << "  the list of present devices could not be had: no device matches\n";
  for (const EntryDevices& entry : check.entries) {
    out << "  entry " << entry.index << " " << Quoted(entry.prefix) << ": " << Devices(entry.devices.size()) << "\n";
    for (const MatchedDevice& device : entry.devices) {
      out << "    " << device.instanceId << " (first hardware ID " << device.hardwareId << ")\n";
      for (int j : device.variants) {
        const DRVENTRY& variant = profile.m_PossibleDevDrv[j];
        out << "      variant " << j << " " << Quoted(variant.szDrvID) << " applied: driver " << Quoted(variant.szDrvSYS)
            << ", INF " << Quoted(variant.szDrvINF) << ", description " << Quoted(variant.szDrvName) << "\n";
      }
    }
  }
  if (!check.walkEnd.empty()) out << "  " << check.walkEnd << "\n";
  if (!nt) {
    out << "  " << check.count << " matches; the 9x family removes without comparing the count\n";
    return;
  }
  out << "  " << check.count << " matches against DevIDNum " << check.expected << ": "
      << (check.count == check.expected ? "the removal goes on\n" : "they differ\n");
}

// Why the removal stops, in the profile's terms, and the box that says so.
void TellStop(std::ostream& out, const DeviceCheck& check, const std::string& box) {
  out << "The removal would stop here: the dialog closes, no file, device or key is removed, and a warning says "
      << Quoted(box) << "\n";
  if (check.count == check.expected) return;
  out << "  Why: the uninstaller found " << check.count << " matches where DevIDNum is " << check.expected << ".\n";
  for (const EntryDevices& entry : check.entries) {
    if (entry.devices.empty()) {
      out << "  entry " << entry.index << " " << Quoted(entry.prefix) << " found no present device\n";
    } else if (entry.devices.size() > 1) {
      out << "  entry " << entry.index << " " << Quoted(entry.prefix) << " found " << Devices(entry.devices.size())
          << "\n";
    }
  }
}

std::string Lower(const std::string& text) { return sim::ToLower(text); }


void TellWindowsAndProcesses(std::ostream& out, const Outcome& outcome) {
  std::set<std::string> told;
  for (const Event& event : outcome.events) {
    if (event.kind != Kind::WindowMessage) continue;
    const std::string& title = event.subject;
    if (std::find(outcome.before.windows.begin(), outcome.before.windows.end(), title) ==
            outcome.before.windows.end() ||
        !told.insert(title).second) {
      continue;
    }
    const bool stays =
        std::find(outcome.after.windows.begin(), outcome.after.windows.end(), title) != outcome.after.windows.end();
    out << "Would close the window " << Quoted(title) << (stays ? ": it does not close" : "") << "\n";
  }
  for (const std::string& process : outcome.before.processes) {
    if (std::find(outcome.after.processes.begin(), outcome.after.processes.end(), process) ==
        outcome.after.processes.end()) {
      out << "Would end the process " << process << "\n";
    }
  }
}

// What became of a file the uninstaller set out to delete.
std::string FileFate(const Outcome& outcome, const std::string& path, unsigned attributes) {
  for (const auto& file : outcome.after.files) {
    if (!sim::EqualsNoCase(file.first, path)) continue;
    if (outcome.scheduled.count(Lower(path))) return " (in use: deleted at the restart)";
    if (attributes & FILE_ATTRIBUTE_READONLY) return " (read-only: it stays)";
    return " (cannot be deleted: it stays)";
  }
  return "";
}

void TellFiles(std::ostream& out, const Outcome& outcome) {
  std::map<std::string, std::pair<std::string, unsigned>> existing;  // lower-cased -> path, attributes
  for (const auto& file : outcome.before.files) existing[Lower(file.first)] = file;
  std::vector<std::string> order;
  for (const Event& event : outcome.events) {
    if (event.kind == Kind::FileDelete || event.kind == Kind::FileDeleteAtRestart) order.push_back(Lower(event.subject));
  }
  for (const auto& file : outcome.before.files) {  // gone another way (a driver package's uninstall)
    if (!outcome.after.files.count(file.first)) order.push_back(Lower(file.first));
  }
  std::set<std::string> told;
  std::string lines;
  for (const std::string& path : order) {
    auto it = existing.find(path);
    if (it == existing.end() || !told.insert(path).second) continue;
    lines += "  " + it->second.first + FileFate(outcome, it->second.first, it->second.second) + "\n";
  }
  out << "Would delete files:\n" << (lines.empty() ? "  none\n" : lines);
}

std::vector<std::string> GoneDevices(const Outcome& outcome) {
  const std::unordered_set<std::string_view> left(outcome.after.devices.begin(), outcome.after.devices.end());
  std::vector<std::string> gone;
  for (const std::string& device : outcome.before.devices) {
    if (!left.count(device)) gone.push_back(device);
  }
  return gone;
}

void TellDevicesAndKeys(std::ostream& out, const Outcome& outcome) {
  std::string lines;
  std::set<std::string> told;
  for (const Event& event : outcome.events) {
    if (event.kind == Kind::DeviceRemove && told.insert(Lower(event.subject)).second) lines += "  " + event.subject + "\n";
  }
  for (const std::string& device : GoneDevices(outcome)) {
    if (told.insert(Lower(device)).second) lines += "  " + device + "\n";
  }
  out << "Would remove devices:\n" << (lines.empty() ? "  none\n" : lines);

  const std::vector<std::string> keys = image::TopRemovedKeys(outcome.before, outcome.after);
  out << "Would delete registry keys (each with everything below it):\n";
  if (keys.empty()) out << "  none\n";
  for (const std::string& key : keys) out << "  " << key << "\n";
}

// Values that stay but change, and everything the run adds, each line under
// its "key|name", from what each key held before the run first changed it.
std::map<std::string, std::string> ValueChanges() {
  std::map<std::string, std::string> lines;
  const sim::NameLess less;
  for (const sim::registry::ValuesBefore& was : sim::registry::ValueJournal()) {
    const sim::RegKey* key = sim::registry::Find(was.path);
    if (key == nullptr) continue;  // gone: told among the deleted keys
    const auto tell = [&](const sim::RegValue& value, const std::string& what) {
      const std::string name = was.path + "|" + value.name;
      lines[name] = "  value " + name + what + "\n";
    };
    const auto text = [](const sim::RegValue& value) { return image::DescribeValue(value.type, value.data); };
    const sim::RegKey::Values& values = key->values();
    auto old = was.values.begin();
    auto now = values.begin();
    while (old != was.values.end() || now != values.end()) {
      if (now == values.end() || (old != was.values.end() && less(old->first, now->first))) {
        tell(old->second, " deleted");
        ++old;
      } else if (old == was.values.end() || less(now->first, old->first)) {
        tell(now->second, " = " + text(now->second));
        ++now;
      } else {
        const std::string before = text(old->second);
        const std::string after = text(now->second);
        if (before != after) tell(old->second, ": " + before + " -> " + after);
        ++old;
        ++now;
      }
    }
  }
  return lines;
}

void TellWrites(std::ostream& out, const Outcome& outcome) {
  std::string lines;
  for (const auto& change : ValueChanges()) lines += change.second;
  for (const auto& file : outcome.after.files) {
    if (!outcome.before.files.count(file.first)) lines += "  file " + file.first + " written\n";
  }
  if (!lines.empty()) out << "Would change (filter lists, restart operations):\n" << lines;

  std::string packages;
  for (const Event& event : outcome.events) {
    // One Windows refused (a device still uses it) stays, and the final message names it.
    if (event.kind != Kind::DriverPackageUninstall || sim::files::Exists("inf\\" + event.subject)) continue;
    packages += "  " + event.subject + "\n";
  }
  if (!packages.empty()) out << "Would uninstall driver packages:\n" << packages;
}

// Every key, file and device that would be gone, one a line, for tools.
void TellLists(std::ostream& out, const Outcome& outcome) {
  const std::unordered_set<std::string_view> keysAfter(outcome.after.keys.begin(), outcome.after.keys.end());
  for (const std::string& key : outcome.before.keys) {
    if (!keysAfter.count(key)) out << "gone key " << key << "\n";
  }
  for (const auto& file : outcome.before.files) {
    if (!outcome.after.files.count(file.first)) out << "gone file " << file.first << "\n";
  }
  for (const std::string& device : GoneDevices(outcome)) out << "gone device " << device << "\n";
}

// What the run left on purpose because another product's device uses it:
// no failure of the removal, but the user should know why it is still there.
void TellKept(std::ostream& out) {
  const int count = KeptCount();
  if (count == 0) return;
  out << "Kept, in use by another product's device:\n";
  for (int i = 0; i < count; ++i) out << "  " << KeptItemAt(i) << " (" << KeptWhyAt(i) << ")\n";
}

// Keys the machine does not have cannot go: no account names them.
void LeaveOut(const std::vector<std::string>& laid, std::vector<std::string>* keys) {
  if (laid.empty()) return;
  std::set<std::string> lower;
  for (const std::string& key : laid) lower.insert(Lower(key));
  keys->erase(std::remove_if(keys->begin(), keys->end(), [&](const std::string& key) { return lower.count(Lower(key)); }),
              keys->end());
}

std::string MachineKind() {
  const sim::VersionInfo& version = sim::Version();
  return std::string(sim::IsWin9xFamily() ? "a 9x-family" : "an NT-family") + " machine (Windows " +
         std::to_string(version.major) + "." + std::to_string(version.minor) + ")";
}

}  // namespace

PreviewStatus RunPreview(const PreviewOptions& options, std::ostream& out) {
  // The account is of a user pressing OK, whatever switches a machine image gives.
  sim::windows::ScriptUser({"ok", "box-ok"});
  sim::programs::SetStartArguments("");
  const bool nt = !sim::IsWin9xFamily();
  out << "What DrvUninst would do on " << options.machineName << ", " << MachineKind() << "\n";
  if (!options.notReadable.empty()) {
    out << "Not readable (the analysis cannot see these):\n";
    for (const std::string& part : options.notReadable) out << "  " << part << "\n";
  }

  if (!options.notes.empty()) {
    out << "Not seen (a file only these hold is taken as free):\n";
    for (const std::string& note : options.notes) out << "  " << note << "\n";
  }

  Outcome outcome(sim::events::Recorded());
  outcome.before = image::CaptureMachine(IsUninstallEntry);
  LeaveOut(options.laidKeys, &outcome.before.keys);
  image::ResetProgramState();
  const int country = theApp.GetCountryCode();
  theApp.LoadUninstProfile();
  const UninstProfile profile = theApp;
  const DeviceCheck devices = CheckDevices(profile);

  // The account below is read from what the run does; the call log is the
  // fault sweep's, and a long run need not keep it.
  sim::SetCallLogging(false);
  StartEventsTheAccountReads();
  sim::registry::StartValueJournal();
  const int exitCode = image::RunProgram(options.processBits);
  sim::registry::StopValueJournal();
  sim::events::Stop();
  sim::SetCallLogging(true);
  outcome.after = image::CaptureMachine(NoValues);
  outcome.scheduled = sim::ScheduledDeletions();
  const auto& boxes = sim::windows::MessageBoxes();
  outcome.installed = sim::windows::LastDialog().shown;
  const bool stopped = exitCode == static_cast<int>(EXIT_DEVICE_NOT_FOUND);
  outcome.finished = outcome.installed && !boxes.empty() && !stopped;

  TellSection(out, profile, country);
  for (const sim::programs::Started& started : sim::programs::StartedPrograms()) {
    out << "Hand-over: the " << options.processBits << "-bit DrvUninst.exe starts the " << started.bits
        << "-bit program it carries (" << started.path << "), which does all that follows\n";
  }
  TellInstalledCheck(out, profile, outcome);
  if (outcome.installed) {
    TellDeviceCheck(out, profile, devices, nt);
    if (stopped) TellStop(out, devices, boxes.empty() ? std::string() : boxes.back().text);
    TellWindowsAndProcesses(out, outcome);
    if (outcome.finished) {
      TellFiles(out, outcome);
      TellDevicesAndKeys(out, outcome);
      TellWrites(out, outcome);
      TellKept(out);
      out << "Final message: " << Quoted(boxes.back().text) << "\n";
    }
  }
  const PreviewStatus status = outcome.finished ? PREVIEW_WOULD_REMOVE : PREVIEW_WOULD_NOT_REMOVE;
  out << "Verdict: "
      << (outcome.finished ? "DrvUninst would remove the package"
                           : outcome.installed ? "DrvUninst would stop without removing anything"
                                               : "DrvUninst would find the package not installed")
      << "\n";
  if (options.lists) TellLists(out, outcome);
  if (!options.notReadable.empty()) {
    out << "Parts of the machine could not be read, so this answer may not be the uninstaller's.\n";
    return PREVIEW_CANNOT_TELL;
  }
  return status;
}

}  // namespace preview
