#include "tools/fault-sweep/shown.h"

#include <algorithm>

#include "app/DrvUninstApp.h"
#include "log/Leftovers.h"
#include "platform/sim/faults.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/window_store.h"

namespace sweep {
namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The final message, whether it reports a complete removal or names leftovers.
bool IsFinalBox(const Shown& shown, const std::string& box) {
  if (box == shown.finalBox) return true;
  return !shown.leftoverBoxStart.empty() && box.compare(0, shown.leftoverBoxStart.size(), shown.leftoverBoxStart) == 0 &&
         EndsWith(box, shown.leftoverBoxEnd);
}

bool ShowsFinalBox(const Shown& shown) {
  for (const std::string& box : shown.boxes) {
    if (IsFinalBox(shown, box)) return true;
  }
  return false;
}

// The calls that delete what the run set out to remove.
bool Deletes(const std::string& api) {
  return api == "SHDeleteKeyA" || api == "RegDeleteKeyA" || api == "SetupDiRemoveDevice";
}

// A failed close leaves its handle open; that is the call's doing.
bool Closes(const std::string& api) { return api == "CloseHandle" || api == "SetupDiDestroyDeviceInfoList"; }

}  // namespace

Shown CaptureShown() {
  Shown shown;
  shown.dialog = sim::windows::LastDialog().shown;
  for (const auto& record : sim::windows::TextsShown()) shown.texts.emplace_back(record.controlId, record.text);
  for (const auto& box : sim::windows::MessageBoxes()) shown.boxes.push_back(box.caption + "|" + box.text);
  for (const auto& message : sim::windows::ProgressMessages()) {
    if (message.message == PBM_STEPIT) shown.steppedProgress = true;
  }
  shown.blockedForever = sim::windows::SendBlockedForever();
  shown.openHandles = sim::processes::OpenHandleCount() + sim::registry::OpenHandleCount();
  const std::string title = theApp.m_szUnInstDrvAppTitle;
  shown.notInstalledBox = title + "|" + theApp.m_szUnInstNoRegKeyMsg;
  shown.finalBox = title + "|" + theApp.m_szUnInstDrvPassMsg + "\n\n" + theApp.m_szUnInstDrvPassMsg2;
  shown.leftoverBoxStart = title + "|" + theApp.m_szUnInstDrvLeftMsg + "\n\n";
  shown.leftoverBoxEnd = std::string("\n\n") + theApp.m_szUnInstDrvPassMsg2;
  shown.handOverFailedBox = title + "|" + theApp.m_szUnInstDrv64FailMsg;
  for (int i = 0; i < LeftoverCount(); ++i) shown.leftovers.insert(sim::ToLower(LeftoverAt(i)));
  shown.noDeviceBox = title + "|" + theApp.m_szUnInstDrvNoDevMsg;
  return shown;
}

std::vector<std::string> ShownOutsideCleanRun(const Shown& clean, const Shown& faulted, const FaultedRun& run) {
  std::vector<std::string> lines;
  if (faulted.blockedForever && !clean.blockedForever) lines.push_back("waits for good on a hung window");
  if (faulted.openHandles > clean.openHandles && !Closes(run.api)) {
    lines.push_back("leaves " + std::to_string(faulted.openHandles - clean.openHandles) + " more handles open");
  }
  if (faulted.dialog && !clean.dialog) lines.push_back("shows the dialog, the clean run did not");

  const bool cleanFinal = ShowsFinalBox(clean);
  const bool faultedFinal = ShowsFinalBox(faulted);
  // A different machine or profile may let the removal run where the
  // clean one stopped; a mere failure may not.
  const bool otherMachine = run.absence || run.loadsOtherNames;
  if (faultedFinal && !cleanFinal && !otherMachine) lines.push_back("shows the final message, the clean run did not");
  if (cleanFinal && !faultedFinal) {
    // Allowed only where the run legitimately stops before the end: no box
    // could be shown, no dialog, or the NT sequence stopped at the device
    // check before touching anything.
    const bool stoppedAtDeviceCheck = !faulted.steppedProgress && !run.changedMachine;
    if (run.api != "MessageBoxA" && faulted.dialog && !stoppedAtDeviceCheck) {
      lines.push_back("the final message is missing after the removal began");
    }
  }
  // A deletion that failed, and the thing is still there: the box must say so.
  if (Deletes(run.api) && !run.absence && run.keptWhatCleanRemoved && Contains(faulted.boxes, faulted.finalBox)) {
    lines.push_back("reports a complete removal, yet keeps a key the clean run deleted");
  }
  const bool handOverFailed = Contains(faulted.boxes, faulted.handOverFailedBox);
  for (const std::string& box : faulted.boxes) {
    // A failed device walk stops the removal as a missing device does, and says so.
    if (!IsFinalBox(faulted, box) && box != faulted.notInstalledBox && box != faulted.handOverFailedBox &&
        box != faulted.noDeviceBox && !Contains(clean.boxes, box)) {
      lines.push_back("shows an unexpected box: " + box);
    }
  }
  // The box says nothing was removed; so it must be.
  // The stop box says the same: nothing was removed.
  if (Contains(faulted.boxes, faulted.noDeviceBox) && faulted.steppedProgress && run.changedMachine) {
    lines.push_back("says the drivers were not removed, yet the removal ran");
  }
  if (handOverFailed && (faulted.dialog || run.changedMachine)) {
    lines.push_back("says the 64-bit part did not start, yet it ran or changed the machine");
  }
  if (faulted.boxes.size() > 1) lines.push_back("shows " + std::to_string(faulted.boxes.size()) + " boxes");

  if (!otherMachine) {
    for (const auto& text : faulted.texts) {
      // A faulted run may reach a file the clean run meant to remove and could not.
      if (std::find(clean.texts.begin(), clean.texts.end(), text) == clean.texts.end() &&
          !clean.leftovers.count(sim::ToLower(text.second))) {
        lines.push_back("sets text " + std::to_string(text.first) + " \"" + text.second + "\", the clean run never did");
      }
    }
  }
  return lines;
}

}  // namespace sweep
