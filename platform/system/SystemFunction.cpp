#include "platform/system/SystemFunction.h"

#include <cstring>

HMODULE LoadSystemLibrary(const char* library) {
  char path[MAX_PATH];
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length + 1 + std::strlen(library) >= MAX_PATH) return nullptr;
  lstrcatA(path, "\\");
  lstrcatA(path, library);
  return LoadLibraryA(path);
}

FARPROC GetSystemFunction(const char* library, const char* function) {
  HMODULE module = GetModuleHandleA(library);
  // Kept loaded for the life of the process: the function is called later.
  if (module == nullptr) module = LoadSystemLibrary(library);
  if (module == nullptr) return nullptr;
  return GetProcAddress(module, function);
}
