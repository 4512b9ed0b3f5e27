#include "app/SystemFunction.h"

#include <cstring>

FARPROC GetSystemFunction(const char* library, const char* function) {
  HMODULE module = GetModuleHandleA(library);
  if (module == nullptr) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + std::strlen(library) >= MAX_PATH) return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, library);
    module = LoadLibraryA(path);
    // Kept loaded for the life of the process: the function is called later.
    if (module == nullptr) return nullptr;
  }
  return GetProcAddress(module, function);
}
