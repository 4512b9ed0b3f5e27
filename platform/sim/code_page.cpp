// The machine's ANSI code page and what it says about a byte: which bytes
// begin a double-byte character, as the code page tables of Windows have it.
#include "platform/sim/machine.h"
#include "platform/sim/win32_api.h"

namespace sim {
namespace {

const UINT kWesternEuropean = 1252;

UINT& CurrentCodePage() {
  static UINT codePage = kWesternEuropean;
  return codePage;
}

ResetHook resetCodePage([] { CurrentCodePage() = kWesternEuropean; });

}  // namespace

void SetAnsiCodePage(UINT codePage) { CurrentCodePage() = codePage; }
UINT AnsiCodePage() { return CurrentCodePage(); }

}  // namespace sim

BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
  const UINT codePage = CodePage == CP_ACP ? sim::AnsiCodePage() : CodePage;
  switch (codePage) {
    case 932:  // Shift-JIS
      return (TestChar >= 0x81 && TestChar <= 0x9F) || (TestChar >= 0xE0 && TestChar <= 0xFC);
    case 936:  // GBK
    case 949:  // Unified Hangul
    case 950:  // Big5
      return TestChar >= 0x81 && TestChar <= 0xFE;
    default:
      return FALSE;
  }
}
