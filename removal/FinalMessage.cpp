#include "removal/FinalMessage.h"

#include "log/Leftovers.h"
#include "profile/RunProfile.h"

const char kBuiltInLeftMoreFormat[] = "and %d more";

bool IsLeftMoreFormat(const char* format) {
  int numbers = 0;
  for (const char* c = format; *c != '\0'; ++c) {
    if (*c != '%') continue;
    // Anything else after a "%" would make wsprintfA read what was never passed.
    if (c[1] != 'd') return false;
    ++numbers;
    ++c;
  }
  return numbers == 1;
}

namespace {

CString MoreText(int more) {
  const char* format = TheProfile().m_szUnInstDrvLeftMoreMsg;
  if (!IsLeftMoreFormat(format)) format = kBuiltInLeftMoreFormat;
  // The format is at most TEXT_SIZE - 1 characters, the number at most 11.
  char text[TEXT_SIZE + 16];
  wsprintfA(text, format, more);
  return text;
}

}  // namespace

bool RunLeftSomething() { return LeftoverCount() > 0; }

CString FinalMessageText() {
  const UninstProfile& profile = TheProfile();
  if (!RunLeftSomething()) return CString(profile.m_szUnInstDrvPassMsg) + "\n\n" + profile.m_szUnInstDrvPassMsg2;
  CString text = CString(profile.m_szUnInstDrvLeftMsg) + "\n";
  const int count = LeftoverCount();
  for (int i = 0; i < count && i < LEFTOVERS_SHOWN; ++i) text += CString("\n") + LeftoverAt(i);
  if (count > LEFTOVERS_SHOWN) text += CString("\n") + MoreText(count - LEFTOVERS_SHOWN);
  return text + "\n\n" + profile.m_szUnInstDrvPassMsg2;
}
