// What the desktop shows tests: records of the run and the last dialog.
#include "platform/sim/desktop_state.h"
#include "platform/sim/faults.h"

using namespace sim::desktop;

namespace sim {
namespace windows {

void ScriptUser(const std::vector<std::string>& actions) {
  State().actions.assign(actions.begin(), actions.end());
}

void WhileDialogRuns(std::function<void(HWND dialog)> hook) { State().whileDialogRuns = std::move(hook); }

const std::vector<MessageBoxRecord>& MessageBoxes() { return State().boxes; }
const std::vector<TextRecord>& TextsShown() { return State().texts; }
const std::vector<ProgressRecord>& ProgressMessages() { return State().progress; }
const std::vector<DialogMessage>& DialogMessages() { return State().dialogMessages; }
const std::vector<IconDrawing>& IconsDrawn() { return State().icons; }
int DefaultPaints() { return State().defaultPaints; }
int OpenPaintContexts() { return State().openPaintContexts; }
bool SendBlockedForever() { return State().blockedForever; }
unsigned long long WaitedMilliseconds() { return State().waitedMs; }

const DialogSnapshot& LastDialog() {
  static DialogSnapshot snapshot;
  snapshot = DialogSnapshot();
  const Window* dialog = Any(State().lastDialog);
  if (dialog == nullptr) return snapshot;
  snapshot.shown = true;
  snapshot.caption = dialog->text;
  snapshot.result = dialog->result;
  snapshot.iconic = dialog->iconic;
  snapshot.position = dialog->position;
  snapshot.updates = dialog->updates;
  snapshot.bigIcon = dialog->bigIcon;
  snapshot.smallIcon = dialog->smallIcon;
  for (HWND child : dialog->children) {
    const Window* c = Any(child);
    snapshot.controls.push_back({c->controlId, c->className, c->text, c->visible, c->rect});
    if (EqualsNoCase(c->className, PROGRESS_CLASSA)) {
      snapshot.progressMin = c->progress.min;
      snapshot.progressMax = c->progress.max;
      snapshot.progressPos = c->progress.pos;
      snapshot.progressStep = c->progress.step;
    }
  }
  return snapshot;
}

}  // namespace windows
}  // namespace sim
