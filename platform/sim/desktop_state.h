// The simulated desktop's state, shared by the USER32/GDI entry points.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/desktop_progress.h"
#include "platform/sim/window_store.h"

namespace sim {
namespace desktop {

enum class Kind { Dialog, Control, Foreign };

struct Window {
  Kind kind = Kind::Foreign;
  bool alive = true;
  std::string text;  // caption or control text
  std::string className;
  HWND parent = nullptr;
  int controlId = 0;
  bool visible = true;
  bool iconic = false;
  bool hung = false;
  bool closesOnWmClose = true;
  RECT rect{};  // dialog units: left, top, right, bottom
  POINT position{};  // top-level windows: the frame's top-left corner on the screen, pixels
  int updates = 0;   // UpdateWindow calls
  std::map<int, LONG_PTR> longs;
  // Dialogs only.
  DLGPROC dialogProc = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  std::vector<HWND> children;  // in tab order
  // Progress bars only.
  ProgressState progress;
};

struct PostedMessage {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

struct Desktop {
  std::map<HWND, Window> windows;  // every window ever created, by handle (creation order)
  std::deque<std::string> actions;
  std::deque<PostedMessage> posted;
  std::vector<windows::MessageBoxRecord> boxes;
  std::vector<windows::TextRecord> texts;
  std::vector<windows::ProgressRecord> progress;
  std::vector<windows::DialogMessage> dialogMessages;
  std::vector<windows::IconDrawing> icons;
  std::function<void(HWND)> whileDialogRuns;
  HWND lastDialog = nullptr;
  bool commonControls = false;
  bool blockedForever = false;
  int defaultPaints = 0;
  int openPaintContexts = 0;
  int paintContextsUsed = 0;
  unsigned long long waitedMs = 0;
};

Desktop& State();
// A live window, or null.
Window* Live(HWND hwnd);
// Any window ever created, or null.
Window* Any(HWND hwnd);
HWND Create(const Window& window);

// Dialog unit to pixel scale of the dialog font (Arial 9 at 96 dpi).
enum { kBaseUnitX = 6, kBaseUnitY = 15 };
// The simulated screen, and the frame a captioned dialog adds to its client area.
enum { kScreenWidth = 1024, kScreenHeight = 768, kFrameWidth = 6, kFrameHeight = 29 };

// A message to the program's own dialog: its procedure first, then the
// default dialog processing.
LRESULT DeliverToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Posted messages for live windows, handled in order.
void DrainPosted();

}  // namespace desktop
}  // namespace sim

namespace sim {
namespace desktop {

// Error codes of the SDK the desktop reports.
constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorCannotFindWndClass = 1407;
constexpr DWORD kErrorControlIdNotFound = 1421;
constexpr DWORD kErrorResourceNameNotFound = 1814;

// The subject fault rules match: a window's title, or a control's ID.
std::string SubjectOf(HWND hwnd);
// Sets the text of one of the program's windows and records it.
void SetText(HWND hwnd, const std::string& text);

}  // namespace desktop
}  // namespace sim
