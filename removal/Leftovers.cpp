#include "removal/Leftovers.h"

#include <cstring>

#include "log/RunLog.h"

namespace {
const int kItemSize = 300;
char g_items[MAX_LEFTOVERS_KEPT][kItemSize];
int g_count = 0;
}  // namespace

void ResetLeftovers() { g_count = 0; }

void NoteLeftover(const char* item) {
  LogEvent("left", item, "");
  if (g_count < MAX_LEFTOVERS_KEPT) {
    std::strncpy(g_items[g_count], item == nullptr ? "" : item, kItemSize - 1);
    g_items[g_count][kItemSize - 1] = '\0';
  }
  ++g_count;
}

int LeftoverCount() { return g_count; }

const char* LeftoverAt(int index) {
  if (index < 0 || index >= g_count || index >= MAX_LEFTOVERS_KEPT) return "";
  return g_items[index];
}
