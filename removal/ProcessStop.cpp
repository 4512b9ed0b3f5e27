// Stopping the media-center receiver, which holds the tuner open on the
// systems where it runs.
#include <cstring>

#include "platform/win32.h"
#include "removal/Removal.h"

namespace {

// Enables the debug privilege and ends the process. Returns false only when
// the privilege could not even be asked for, so a later process of the same
// name may still be tried; otherwise the stop counts as done.
bool EndWithDebugPrivilege(DWORD processId) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;

  TOKEN_PRIVILEGES privileges;
  memset(&privileges, 0, sizeof(privileges));
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid)) {
    CloseHandle(token);
    return false;
  }
  TOKEN_PRIVILEGES previous;
  memset(&previous, 0, sizeof(previous));
  DWORD previousLength = 0;
  AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), &previous, &previousLength);
  CloseHandle(token);

  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
  if (process != nullptr) {
    TerminateProcess(process, 0);
    CloseHandle(process);
  }
  return true;
}

}  // namespace

void KillProcessByName(const char* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;

  PROCESSENTRY32 entry;
  memset(&entry, 0, sizeof(entry));
  entry.dwSize = sizeof(PROCESSENTRY32);
  BOOL more = Process32First(snapshot, &entry);
  bool done = false;
  while (more) {
    // The receiver's name is matched exactly, letter case included.
    if (strcmp(name, entry.szExeFile) == 0) done = EndWithDebugPrivilege(entry.th32ProcessID);
    more = Process32Next(snapshot, &entry);
    if (done) break;
  }
  CloseHandle(snapshot);
}
