#include "app/PrivateTempDirectory.h"

#include <cstring>

#include "platform/system/SystemFunction.h"

namespace {

// Full control for the system and the administrators and nobody else, not
// inherited from the user's own temporary folder.
const char kAdminsOnly[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
// A name taken by someone else is passed over; this many tries, then give up.
const int kNameTries = 16;
const char kNamePrefix[] = "DrvUninst-";
const DWORD kNameLength = sizeof(kNamePrefix) - 1 + 8;

using ConvertSddl = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);
// Windows 2000 and later (kernel32 of Windows 98 lacks it).
using SystemDirectoryFunction = UINT(WINAPI*)(LPSTR, UINT);
const char kTempFolder[] = "\\Temp\\";

// Hard to foresee without reading this process's memory: the time, the
// process ID and the try, mixed.
DWORD NameNumber(int attempt) {
  DWORD number = GetTickCount() * 2654435761u;
  number ^= GetCurrentProcessId() << 16;
  number ^= static_cast<DWORD>(attempt + 1) * 0x9E3779B9u;
  return number;
}

// %SystemRoot%\Temp\: users may create entries there but not delete or
// rename another account's, as they may in their own %TEMP%. The system's
// Windows directory, not a Terminal Server user's private one.
bool SystemTempFolder(char* temp, DWORD size) {
  auto systemWindowsDirectory = GetSystemFunctionAs<SystemDirectoryFunction>("kernel32.dll", "GetSystemWindowsDirectoryA");
  if (systemWindowsDirectory == nullptr) return false;
  const UINT length = systemWindowsDirectory(temp, size);
  if (length == 0 || length + sizeof(kTempFolder) > size) return false;
  lstrcatA(temp, kTempFolder);
  return true;
}

}  // namespace

bool CreatePrivateTempDirectory(char* path, DWORD size) {
  char temp[MAX_PATH];
  if (!SystemTempFolder(temp, MAX_PATH)) return false;
  const DWORD tempLength = static_cast<DWORD>(std::strlen(temp));
  if (tempLength + kNameLength >= size) return false;

  // Windows 2000 and later; 64-bit Windows always has it.
  auto convert = GetSystemFunctionAs<ConvertSddl>("advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA");
  if (convert == nullptr) return false;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!convert(kAdminsOnly, SDDL_REVISION_1, &descriptor, nullptr)) return false;
  SECURITY_ATTRIBUTES security;
  security.nLength = sizeof(security);
  security.lpSecurityDescriptor = descriptor;
  security.bInheritHandle = FALSE;

  bool created = false;
  for (int attempt = 0; attempt < kNameTries && !created; ++attempt) {
    wsprintfA(path, "%s%s%08lX", temp, kNamePrefix, static_cast<unsigned long>(NameNumber(attempt)));
    created = CreateDirectoryA(path, &security) != FALSE;
    // Only a name already taken is worth another try.
    if (!created && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  LocalFree(descriptor);
  return created;
}
