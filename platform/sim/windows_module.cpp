// The program's module, its resources, and the common controls.
#include <cstdint>

#include "platform/sim/desktop_state.h"
#include "platform/sim/desktop_template.h"
#include "platform/sim/faults.h"
#include "platform/sim/modules.h"
#include "platform/sim/win32_api.h"

using namespace sim::desktop;

namespace {

HMODULE ProgramModule() { return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000)); }

// A stable handle per icon resource; icons are never drawn for real.
HICON IconHandle(uintptr_t base, int id) { return reinterpret_cast<HICON>(base + 4 * static_cast<uintptr_t>(id)); }

}  // namespace

void InitCommonControls(void) {
  sim::CheckFault("InitCommonControls", "");
  State().commonControls = true;
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
  const std::string name = lpModuleName == nullptr ? "" : lpModuleName;
  if (DWORD fault = sim::CheckFault("GetModuleHandleA", name)) {
    SetLastError(fault);
    return nullptr;
  }
  if (name.empty() || sim::EqualsNoCase(name, "DrvUninst.exe") || sim::EqualsNoCase(name, "DrvUninst")) {
    return ProgramModule();
  }
  // The system libraries the program imports are always mapped.
  if (HMODULE library = sim::modules::SystemLibraryHandle(name)) return library;
  SetLastError(kErrorModNotFound);
  return nullptr;
}

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  const bool numbered = IS_INTRESOURCE(lpIconName);
  const int id = numbered ? static_cast<int>(reinterpret_cast<ULONG_PTR>(lpIconName)) : -1;
  if (DWORD fault = sim::CheckFault("LoadIconA", numbered ? std::to_string(id) : lpIconName)) {
    SetLastError(fault);
    return nullptr;
  }
  const int kFirstSystemIcon = 32512, kLastSystemIcon = 32518;
  if (hInstance == nullptr && numbered && id >= kFirstSystemIcon && id <= kLastSystemIcon) {
    return IconHandle(0x5000000, id);
  }
  if (hInstance == ProgramModule() && numbered && ProgramScriptDefines("ICON", id)) {
    return IconHandle(0x1C00000, id);
  }
  SetLastError(kErrorResourceNameNotFound);
  return nullptr;
}
