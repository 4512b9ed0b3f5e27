#include "devices/EnumKeyNames.h"

#include <cstring>

CString TailAt(const char* hardwareId, const char* characterSet) {
  const char* tail = strpbrk(hardwareId, characterSet);
  return CString(tail == nullptr ? "" : tail);
}

void RecordEnumKeyName(CString* list, int* count, const CString& text) {
  if (text.IsEmpty()) return;
  if (*count < 0 || *count >= MAX_ENUM_IDS) return;
  list[*count] = text;
  ++*count;
}
