// Functions that not every supported Windows has are looked up at run time,
// so that the program still starts where they are missing.
#pragma once

#include "platform/win32.h"

// A library from the system directory, loaded by its full path (never found
// in the program's folder); nullptr when it is not there.
HMODULE LoadSystemLibrary(const char* library);

// The function from a system library: the one already mapped, else the one
// loaded by its full path in the system directory, never from the program's
// folder. nullptr when this Windows lacks it.
FARPROC GetSystemFunction(const char* library, const char* function);

// The same, typed: GetSystemFunctionAs<BOOL(WINAPI*)(HANDLE, PBOOL)>(...).
template <typename Function>
Function GetSystemFunctionAs(const char* library, const char* function) {
  // FARPROC is the generic function pointer GetProcAddress hands out.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetSystemFunction(library, function)));
}
