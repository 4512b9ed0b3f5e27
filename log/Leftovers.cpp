#include "log/Leftovers.h"

#include <vector>

#include "log/RunLog.h"
#include "platform/afx/afxstr.h"

namespace {
// Kept whole, however long: a path cut short would name another thing.
std::vector<CString> g_items;

bool AlreadyNoted(const char* item) {
  for (const CString& noted : g_items) {
    if (lstrcmpiA(noted, item) == 0) return true;
  }
  return false;
}
}  // namespace

void ResetLeftovers() {
  g_items.clear();
}

void NoteLeftover(const char* item) {
  if (item == nullptr) item = "";
  // One thing met twice (an INF two instances name) is one leftover.
  if (AlreadyNoted(item)) return;
  LogEvent("left", item, "");
  g_items.push_back(item);
}

int LeftoverCount() { return static_cast<int>(g_items.size()); }

const char* LeftoverAt(int index) {
  if (index < 0 || index >= static_cast<int>(g_items.size())) return "";
  return g_items[static_cast<size_t>(index)];
}
