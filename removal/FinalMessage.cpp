#include "removal/FinalMessage.h"

#include <string>

#include "app/DrvUninstApp.h"
#include "removal/Leftovers.h"

bool RunLeftSomething() { return LeftoverCount() > 0; }

CString FinalMessageText() {
  if (!RunLeftSomething()) return CString(theApp.m_szUnInstDrvPassMsg) + "\n\n" + theApp.m_szUnInstDrvPassMsg2;
  CString text = CString(theApp.m_szUnInstDrvLeftMsg) + "\n";
  const int count = LeftoverCount();
  for (int i = 0; i < count && i < LEFTOVERS_SHOWN; ++i) text += CString("\n") + LeftoverAt(i);
  if (count > LEFTOVERS_SHOWN) text += ("\nand " + std::to_string(count - LEFTOVERS_SHOWN) + " more").c_str();
  return text + "\n\n" + theApp.m_szUnInstDrvPassMsg2;
}
