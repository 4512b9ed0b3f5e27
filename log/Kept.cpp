#include "log/Kept.h"

#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

struct KeptItem {
  std::string item;
  std::string why;
};

std::vector<KeptItem>& Items() {
  static std::vector<KeptItem> items;
  return items;
}

}  // namespace

void ResetKept() { Items().clear(); }

void NoteKept(const char* item, const char* why) {
  const std::string text = item == nullptr ? "" : item;
  for (const KeptItem& kept : Items()) {
    if (lstrcmpiA(kept.item.c_str(), text.c_str()) == 0) return;
  }
  Items().push_back({text, why == nullptr ? "" : why});
}

int KeptCount() { return static_cast<int>(Items().size()); }

const char* KeptItemAt(int index) {
  if (index < 0 || index >= KeptCount()) return "";
  return Items()[static_cast<size_t>(index)].item.c_str();
}

const char* KeptWhyAt(int index) {
  if (index < 0 || index >= KeptCount()) return "";
  return Items()[static_cast<size_t>(index)].why.c_str();
}
