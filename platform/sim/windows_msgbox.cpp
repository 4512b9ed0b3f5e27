// Message boxes: recorded, and closed by the scripted user.
#include "platform/sim/desktop_state.h"
#include "platform/sim/events.h"
#include "platform/sim/faults.h"
#include "platform/sim/win32_api.h"

using namespace sim::desktop;

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  sim::events::Record(sim::events::Kind::BoxShow, lpCaption == nullptr ? "" : lpCaption);
  if (DWORD fault = sim::CheckFault("MessageBoxA", lpCaption == nullptr ? "" : lpCaption)) {
    SetLastError(fault);
    return 0;
  }
  Window* owner = nullptr;
  if (hWnd != nullptr) {
    owner = Live(hWnd);
    if (owner == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
  }
  sim::windows::MessageBoxRecord record;
  record.text = lpText == nullptr ? "" : lpText;
  record.caption = lpCaption == nullptr ? "Error" : lpCaption;
  record.style = uType;
  record.ownedByDialog = owner != nullptr && owner->kind == Kind::Dialog;
  record.owner = hWnd;
  State().boxes.push_back(record);
  // The box takes the user's next action only when it closes a box.
  std::deque<std::string>& actions = State().actions;
  if (!actions.empty() && actions.front() == "box-ok") actions.pop_front();
  const UINT buttons = uType & 0xF;
  return buttons == MB_YESNO || buttons == 3 ? IDYES : IDOK;
}
