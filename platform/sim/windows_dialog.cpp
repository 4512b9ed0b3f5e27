// Modal dialogs: created from the resource script's template, then driven by
// the scripted user until the dialog procedure ends them.
#include <cstdio>

#include "platform/sim/desktop_state.h"
#include "platform/sim/desktop_template.h"
#include "platform/sim/events.h"
#include "platform/sim/faults.h"
#include "platform/sim/win32_api.h"

namespace sim {
namespace desktop {
namespace {

// Messages whose result is the dialog procedure's return value itself
// rather than DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
  const UINT kCompareItem = 0x0039, kVKeyToItem = 0x002E, kCharToItem = 0x002F;
  const UINT kCtlColorFirst = 0x0132, kCtlColorLast = 0x0138;
  if (message == WM_INITDIALOG || message == WM_QUERYDRAGICON) return true;
  if (message == kCompareItem || message == kVKeyToItem || message == kCharToItem) return true;
  return message >= kCtlColorFirst && message <= kCtlColorLast;
}

// What the system's dialog class does with a message the procedure left.
LRESULT DefaultDialogProcessing(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
  }
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    return DeliverToDialog(dialog, WM_CLOSE, 0, 0);
  }
  return DefWindowProcA(dialog, message, wParam, lParam);
}

HWND ChildWithId(const Window& dialog, int id) {
  for (HWND child : dialog.children) {
    Window* control = Live(child);
    if (control != nullptr && control->controlId == id) return child;
  }
  return nullptr;
}

void Perform(HWND dialog, const std::string& action) {
  Window* window = Live(dialog);
  if (action == "ok") {
    HWND button = ChildWithId(*window, IDOK);
    Window* ok = Live(button);
    if (ok == nullptr || !ok->visible) return;
    DeliverToDialog(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  } else if (action == "esc") {
    DeliverToDialog(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  } else if (action == "close") {
    DeliverToDialog(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (action == "minimize" || action == "restore") {
    window->iconic = action == "minimize";
    DeliverToDialog(dialog, WM_PAINT, 0, 0);
  }
  // Anything else ("box-ok" with no box up) finds nothing to press.
}

HWND CreateFromTemplate(const DialogTemplate& t, DLGPROC proc) {
  Window dialog;
  dialog.kind = Kind::Dialog;
  dialog.className = "#32770";
  dialog.text = t.caption;
  dialog.rect = RECT{t.x, t.y, t.x + t.cx, t.y + t.cy};
  dialog.visible = false;
  for (const std::string& style : t.styles) dialog.visible = dialog.visible || style == "WS_VISIBLE";
  dialog.dialogProc = proc;
  HWND hwnd = Create(dialog);
  for (const ControlTemplate& c : t.controls) {
    Window control;
    control.kind = Kind::Control;
    control.className = c.className;
    control.text = c.text;
    control.parent = hwnd;
    control.controlId = c.id;
    control.visible = c.visible;
    control.rect = RECT{c.x, c.y, c.x + c.cx, c.y + c.cy};
    HWND child = Create(control);
    Live(hwnd)->children.push_back(child);
  }
  return hwnd;
}

HWND FirstTabStop(const DialogTemplate& t, const Window& dialog) {
  for (size_t i = 0; i < t.controls.size(); ++i) {
    if (t.controls[i].tabStop) return dialog.children[i];
  }
  return nullptr;
}

}  // namespace

LRESULT DeliverToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = Live(dialog);
  if (window == nullptr || window->dialogProc == nullptr) return 0;
  const size_t record = State().dialogMessages.size();
  State().dialogMessages.push_back({message, wParam, lParam, 0});
  const INT_PTR handled = window->dialogProc(dialog, message, wParam, lParam);
  LRESULT result = 0;
  if (handled == 0) {
    result = DefaultDialogProcessing(dialog, message, wParam, lParam);
  } else if (ReturnsDirectly(message)) {
    result = handled;
  } else {
    result = window->longs[DWLP_MSGRESULT];
  }
  State().dialogMessages[record].result = result;
  return result;
}

void DrainPosted() {
  while (!State().posted.empty()) {
    const PostedMessage posted = State().posted.front();
    State().posted.pop_front();
    Window* window = Live(posted.hwnd);
    if (window == nullptr) continue;
    if (window->kind == Kind::Dialog) {
      DeliverToDialog(posted.hwnd, posted.message, posted.wParam, posted.lParam);
    } else {
      SendMessageA(posted.hwnd, posted.message, posted.wParam, posted.lParam);
    }
  }
}

}  // namespace desktop
}  // namespace sim

using namespace sim::desktop;

INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam) {
  const bool numbered = IS_INTRESOURCE(lpTemplateName);
  const int id = numbered ? static_cast<int>(reinterpret_cast<ULONG_PTR>(lpTemplateName)) : -1;
  const std::string templateName = numbered ? std::to_string(id) : lpTemplateName;
  sim::events::Record(sim::events::Kind::BoxShow, templateName);
  if (DWORD fault = sim::CheckFault("DialogBoxParamA", templateName)) {
    SetLastError(fault);
    return -1;
  }
  const bool ownModule = hInstance == nullptr || hInstance == GetModuleHandleA(nullptr);
  const DialogTemplate* found = ownModule && numbered ? ProgramDialogTemplate(id) : nullptr;
  if (found == nullptr) {
    SetLastError(kErrorResourceNameNotFound);
    return -1;
  }
  const DialogTemplate& t = *found;
  if (hWndParent != nullptr && Live(hWndParent) == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  // Windows refuses the whole dialog when a control's class is not
  // registered; the progress bar's comes with InitCommonControls.
  for (const ControlTemplate& c : t.controls) {
    if (sim::EqualsNoCase(c.className, PROGRESS_CLASSA) && !State().commonControls) {
      SetLastError(kErrorCannotFindWndClass);
      return -1;
    }
  }
  HWND dialog = CreateFromTemplate(t, lpDialogFunc);
  State().lastDialog = dialog;
  Window* window = Live(dialog);
  DeliverToDialog(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(FirstTabStop(t, *window)), dwInitParam);
  DrainPosted();
  if (!window->ended && State().whileDialogRuns) State().whileDialogRuns(dialog);
  DrainPosted();
  while (!window->ended) {
    if (State().actions.empty()) {
      // The user walks away: Esc, as the scripted user's last resort.
      DeliverToDialog(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      DrainPosted();
      if (!window->ended) {
        std::fprintf(stderr, "sim: dialog %d cannot be ended by the user; it would wait forever\n", id);
        State().blockedForever = true;
        EndDialog(dialog, IDCANCEL);
      }
      break;
    }
    const std::string action = State().actions.front();
    State().actions.pop_front();
    Perform(dialog, action);
    DrainPosted();
  }
  DeliverToDialog(dialog, WM_DESTROY, 0, 0);
  for (HWND child : window->children) Any(child)->alive = false;
  window->alive = false;
  return window->result;
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
  if (DWORD fault = sim::CheckFault("EndDialog", SubjectOf(hDlg))) {
    SetLastError(fault);
    return FALSE;
  }
  Window* window = Live(hDlg);
  if (window == nullptr || window->kind != Kind::Dialog) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // The dialog goes from the screen at once and is destroyed when its
  // procedure returns to the modal loop.
  window->ended = true;
  window->result = nResult;
  window->visible = false;
  return TRUE;
}
