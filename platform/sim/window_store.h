// The simulated desktop: the program's own dialog and controls, message
// boxes, other programs' top-level windows, and a scripted user.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/win32_types.h"

namespace sim {
namespace windows {

// What the user does, in order, whenever the program waits for input:
// "ok" presses the dialog's OK button, "esc" presses Esc, "close" uses the
// dialog's close box, "minimize"/"restore" change its state (painting it),
// "box-ok" closes the message box on screen. With no action left, a dialog
// is cancelled and a message box closed with OK.
void ScriptUser(const std::vector<std::string>& actions);

// Another program's top-level window. A hung window never handles a message.
struct ForeignWindow {
  std::string title;
  std::string className = "#32770";
  bool hung = false;
  bool closesOnWmClose = true;  // false: handles WM_CLOSE and stays
};
HWND AddForeignWindow(const ForeignWindow& window);
bool ForeignWindowAlive(const std::string& title);
std::vector<std::string> AliveForeignWindowTitles();

// What the program showed, in order.
struct MessageBoxRecord {
  std::string text;
  std::string caption;
  UINT style;
  bool ownedByDialog;
  HWND owner = nullptr;
};
const std::vector<MessageBoxRecord>& MessageBoxes();

// Every text set on the dialog or a control: (control id, text); the dialog's
// caption has id 0.
struct TextRecord {
  int controlId;
  std::string text;
};
const std::vector<TextRecord>& TextsShown();

// Every message sent to the progress bar, and its state now.
struct ProgressRecord {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result;
};
const std::vector<ProgressRecord>& ProgressMessages();

// The last dialog's state when it ended (or now, while it runs).
struct DialogSnapshot {
  bool shown = false;
  std::string caption;
  INT_PTR result = 0;
  struct Control {
    int id;
    std::string className;
    std::string text;
    bool visible;
    RECT rect;  // dialog units: left, top, right, bottom
  };
  std::vector<Control> controls;  // in tab order
  int progressMin = 0, progressMax = 100, progressPos = 0, progressStep = 10;
  bool iconic = false;
  POINT position{};  // the frame's top-left corner on the screen, pixels
  int updates = 0;   // times the program had it repaint at once
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
};
const DialogSnapshot& LastDialog();

// Called once the dialog has handled WM_INITDIALOG, before the scripted
// user acts: lets a test send the running dialog messages of its own.
void WhileDialogRuns(std::function<void(HWND dialog)> hook);

// Every message the dialog's procedure was given, and what it resulted in.
struct DialogMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result;
};
const std::vector<DialogMessage>& DialogMessages();

// Icons drawn with DrawIcon, and painting left to the default processing.
struct IconDrawing {
  HDC dc;
  int x;
  int y;
  HICON icon;
};
const std::vector<IconDrawing>& IconsDrawn();
int DefaultPaints();
// BeginPaint calls not yet matched by EndPaint.
int OpenPaintContexts();

// True once the program sent a message that a hung window would never have
// answered: on a real machine the program would hang there for good.
bool SendBlockedForever();
// Simulated time the program spent waiting on other windows.
unsigned long long WaitedMilliseconds();

}  // namespace windows
}  // namespace sim
