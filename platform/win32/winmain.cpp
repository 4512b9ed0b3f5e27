// The Windows entry: the DLL search narrowed to the system folder, then
// straight into the class library's.
#include "platform/afx/afxwin.h"
#include "platform/system/SystemFunction.h"

namespace {

// From here on, every library loaded for this process (themes, input
// methods, anything a system DLL pulls in later) comes from the system
// folder, not from the folder the program was started from. Windows before
// 8 (without update KB2533623) lack the function and keep their old search.
void SearchSystemFolderOnly() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto setDefaultDllDirectories =
      GetSystemFunctionAs<SetDefaultDllDirectoriesFunction>("kernel32.dll", "SetDefaultDllDirectories");
  if (setDefaultDllDirectories != nullptr) setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Loaded by name later by the system itself (themes, image blending for
  // the controls): from the system folder now, so those loads find them in
  // memory, which wins over any file of that name, also on Windows without
  // the function above. Windows that lack one simply do not load it.
  for (const char* library : {"uxtheme.dll", "msimg32.dll"}) LoadSystemLibrary(library);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  SearchSystemFolderOnly();
  return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
