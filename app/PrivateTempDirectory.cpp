#include "app/PrivateTempDirectory.h"

#include "app/SystemFunction.h"

namespace {

// Full control for the system and the administrators and nobody else, not
// inherited from the user's own temporary folder.
const char kAdminsOnly[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
// A name taken by someone else is passed over; this many tries, then give up.
const int kNameTries = 16;
const char kNamePrefix[] = "DrvUninst-";
const DWORD kNameLength = sizeof(kNamePrefix) - 1 + 8;

using ConvertSddl = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);

// Hard to foresee without reading this process's memory: the time, the
// process ID and the try, mixed.
DWORD NameNumber(int attempt) {
  DWORD number = GetTickCount() * 2654435761u;
  number ^= GetCurrentProcessId() << 16;
  number ^= static_cast<DWORD>(attempt + 1) * 0x9E3779B9u;
  return number;
}

}  // namespace

bool CreatePrivateTempDirectory(char* path, DWORD size) {
  char temp[MAX_PATH];
  const DWORD tempLength = GetTempPathA(MAX_PATH, temp);
  if (tempLength == 0 || tempLength >= MAX_PATH || tempLength + kNameLength >= size) return false;

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
