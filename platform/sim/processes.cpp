// The process list, the toolhelp snapshot, the program's own token and the
// process handles of the simulated machine. Where Wine and Windows differ
// (TerminateProcess on an ended process, AdjustTokenPrivileges without
// elevation) this follows Windows.
#include <cstring>
#include <unordered_map>
#include <utility>

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_store.h"

namespace sim {
namespace processes {
namespace {

constexpr DWORD kOwnPid = 0x1A4;
constexpr const char* kOwnName = "DrvUninst.exe";
constexpr ULONG_PTR kCurrentProcess = static_cast<ULONG_PTR>(-1);
// Processes of the machine's own start have lower IDs; a restart keeps them.
constexpr DWORD kFirstStartedPid = 0x400;

struct Process {
  Process(DWORD id, DWORD parent, std::string name) : pid(id), parentPid(parent), exeName(std::move(name)) {}
  DWORD pid;
  DWORD parentPid;
  std::string exeName;
  bool alive = true;
  std::string image;  // lower-case absolute path of its file, when known
  DWORD exitCode = 259;  // STILL_ACTIVE
};

enum class HandleKind { kSnapshot, kToken, kProcess };

struct Handle {
  explicit Handle(HandleKind k) : kind(k) {}
  HandleKind kind;
  DWORD access = 0;
  DWORD pid = 0;                   // kProcess
  std::vector<Process> entries;    // kSnapshot: the processes when it was taken
  size_t next = 0;                 // kSnapshot: the entry Process32Next returns
};

struct ProcessState {
  std::vector<Process> processes;
  std::vector<Ended> ended;
  std::unordered_map<ULONG_PTR, Handle> handles;
  ULONG_PTR nextHandle = 0x70;
  DWORD nextPid = kFirstStartedPid;
  bool debugPrivilege = false;
  bool elevated = true;

  ProcessState() {
    // What any Windows runs, and the uninstaller itself.
    processes = {{0, 0, "[System Process]"}, {4, 0, "System"},      {0x130, 4, "smss.exe"},
                 {0x1C8, 0x1B0, "csrss.exe"}, {0x210, 0x1B0, "wininit.exe"}, {0x268, 0x210, "services.exe"},
                 {0x5F0, 0x5D8, "explorer.exe"}, {kOwnPid, 0x5F0, kOwnName}};
  }
};

ProcessState& State() {
  static ProcessState state;
  return state;
}

ResetHook resetProcesses([] { State() = ProcessState(); });

Process* FindProcess(DWORD pid) {
  for (Process& process : State().processes) {
    if (process.pid == pid) return &process;
  }
  return nullptr;
}

Handle* HandleOf(HANDLE handle, HandleKind kind) {
  auto it = State().handles.find(reinterpret_cast<ULONG_PTR>(handle));
  if (it == State().handles.end() || it->second.kind != kind) return nullptr;
  return &it->second;
}

HANDLE NewHandle(Handle handle) {
  ProcessState& state = State();
  const ULONG_PTR value = state.nextHandle;
  state.nextHandle += 4;
  state.handles.emplace(value, std::move(handle));
  return reinterpret_cast<HANDLE>(value);
}

bool HasHandleTo(DWORD pid) {
  for (const auto& entry : State().handles) {
    if (entry.second.kind == HandleKind::kProcess && entry.second.pid == pid) return true;
  }
  return false;
}

void Fill(const Process& process, LPPROCESSENTRY32 entry) {
  entry->cntUsage = 0;
  entry->th32ProcessID = process.pid;
  entry->th32DefaultHeapID = 0;
  entry->th32ModuleID = 0;
  entry->cntThreads = 1;
  entry->th32ParentProcessID = process.parentPid;
  entry->pcPriClassBase = 8;
  entry->dwFlags = 0;
  const size_t n = process.exeName.size() < MAX_PATH - 1 ? process.exeName.size() : MAX_PATH - 1;
  std::memcpy(entry->szExeFile, process.exeName.c_str(), n);
  entry->szExeFile[n] = '\0';
}

BOOL ReadEntry(HANDLE snapshot, LPPROCESSENTRY32 entry, const char* api, bool first) {
  Handle* handle = HandleOf(snapshot, HandleKind::kSnapshot);
  if (handle == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (entry == nullptr || entry->dwSize != sizeof(PROCESSENTRY32)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const size_t index = first ? 0 : handle->next;
  const bool inRange = index < handle->entries.size();
  if (DWORD fault = CheckFault(api, inRange ? handle->entries[index].exeName : "", static_cast<long>(index))) {
    SetLastError(fault);
    return FALSE;
  }
  if (!inRange) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  Fill(handle->entries[index], entry);
  handle->next = index + 1;
  return TRUE;
}

struct KnownPrivilege {
  const char* name;
  DWORD luid;
};

const KnownPrivilege kPrivileges[] = {
    {"SeCreateTokenPrivilege", 2},  {"SeSecurityPrivilege", 8},  {"SeTakeOwnershipPrivilege", 9},
    {"SeLoadDriverPrivilege", 10},  {"SeSystemtimePrivilege", 12}, {"SeBackupPrivilege", 17},
    {"SeRestorePrivilege", 18},     {"SeShutdownPrivilege", 19},  {"SeDebugPrivilege", 20},
    {"SeChangeNotifyPrivilege", 23}};

constexpr DWORD kDebugLuid = 20;

}  // namespace

DWORD Start(const std::string& exeName) {
  ProcessState& state = State();
  const DWORD pid = state.nextPid;
  state.nextPid += 4;
  state.processes.push_back(Process{pid, 0x5F0, exeName});
  return pid;
}

DWORD StartImage(const std::string& imagePath) {
  const std::string absolute = files::Absolute(imagePath);
  const DWORD pid = Start(absolute.substr(absolute.rfind('\\') + 1));
  State().processes.back().image = ToLower(absolute);
  return pid;
}

bool RunsImage(const std::string& lowerPath) {
  for (const Process& process : State().processes) {
    if (process.alive && process.image == lowerPath) return true;
  }
  return false;
}

void EndAllButSystem() {
  ProcessState& state = State();
  for (Process& process : state.processes) {
    if (process.pid >= kFirstStartedPid) process.alive = false;
  }
}

DWORD StartChild(const std::string& exeName) {
  const DWORD pid = Start(exeName);
  State().processes.back().parentPid = kOwnPid;
  return pid;
}

void Exit(DWORD pid, UINT exitCode) {
  Process* process = FindProcess(pid);
  if (process == nullptr) return;
  process->alive = false;
  process->exitCode = exitCode;
}

DWORD ExitCodeOf(DWORD pid) {
  const Process* process = FindProcess(pid);
  return process == nullptr ? 259 : process->exitCode;
}

HANDLE NewProcessHandle(DWORD pid) {
  Handle handle{HandleKind::kProcess};
  handle.access = PROCESS_ALL_ACCESS;
  handle.pid = pid;
  return NewHandle(std::move(handle));
}

DWORD ProcessOfHandle(HANDLE handle) {
  const Handle* process = HandleOf(handle, HandleKind::kProcess);
  return process == nullptr ? 0 : process->pid;
}

DWORD OwnPid() { return kOwnPid; }

bool Alive(DWORD pid) {
  const Process* process = FindProcess(pid);
  return process != nullptr && process->alive;
}

std::vector<std::string> Running() {
  std::vector<std::string> names;
  for (const Process& process : State().processes) {
    if (process.alive) names.push_back(process.exeName);
  }
  return names;
}

const std::vector<Ended>& Terminated() { return State().ended; }
bool DebugPrivilegeEnabled() { return State().debugPrivilege; }
void SetElevated(bool elevated) { State().elevated = elevated; }
bool Elevated() { return State().elevated; }
size_t OpenHandleCount() { return State().handles.size(); }

}  // namespace processes
}  // namespace sim

using namespace sim;
using namespace sim::processes;

HANDLE CreateToolhelp32Snapshot(DWORD dwFlags, DWORD) {
  if (DWORD fault = CheckFault("CreateToolhelp32Snapshot", "")) {
    SetLastError(fault);
    return INVALID_HANDLE_VALUE;
  }
  Handle snapshot{HandleKind::kSnapshot};
  if ((dwFlags & TH32CS_SNAPPROCESS) != 0) {
    for (const Process& process : State().processes) {
      if (process.alive) snapshot.entries.push_back(process);
    }
  }
  return NewHandle(std::move(snapshot));
}

BOOL Process32First(HANDLE hSnapshot, LPPROCESSENTRY32 lppe) {
  return ReadEntry(hSnapshot, lppe, "Process32First", true);
}

BOOL Process32Next(HANDLE hSnapshot, LPPROCESSENTRY32 lppe) {
  return ReadEntry(hSnapshot, lppe, "Process32Next", false);
}

BOOL CloseHandle(HANDLE hObject) {
  const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(hObject);
  if (DWORD fault = CheckFault("CloseHandle", "")) {
    SetLastError(fault);
    return FALSE;
  }
  if (value == kCurrentProcess) return TRUE;  // a pseudo handle needs no closing
  if (sim::files::CloseFileHandle(value)) return TRUE;
  if (State().handles.erase(value) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

HANDLE GetCurrentProcess(void) { return reinterpret_cast<HANDLE>(kCurrentProcess); }

BOOL OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
  const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(ProcessHandle);
  DWORD pid = kOwnPid;
  if (value != kCurrentProcess) {
    Handle* process = HandleOf(ProcessHandle, HandleKind::kProcess);
    if (process == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    pid = process->pid;
  }
  const Process* owner = FindProcess(pid);
  if (DWORD fault = CheckFault("OpenProcessToken", owner == nullptr ? "" : owner->exeName)) {
    SetLastError(fault);
    return FALSE;
  }
  if (TokenHandle == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Handle token{HandleKind::kToken};
  token.access = DesiredAccess;
  token.pid = pid;
  *TokenHandle = NewHandle(std::move(token));
  return TRUE;
}

BOOL LookupPrivilegeValueA(LPCSTR, LPCSTR lpName, PLUID lpLuid) {
  if (DWORD fault = CheckFault("LookupPrivilegeValueA", lpName == nullptr ? "" : lpName)) {
    SetLastError(fault);
    return FALSE;
  }
  if (lpName == nullptr || lpLuid == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (const KnownPrivilege& privilege : kPrivileges) {
    if (EqualsNoCase(lpName, privilege.name)) {
      lpLuid->LowPart = privilege.luid;
      lpLuid->HighPart = 0;
      return TRUE;
    }
  }
  SetLastError(ERROR_NO_SUCH_PRIVILEGE);
  return FALSE;
}

BOOL AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges, PTOKEN_PRIVILEGES NewState,
                           DWORD BufferLength, PTOKEN_PRIVILEGES PreviousState, PDWORD ReturnLength) {
  Handle* token = HandleOf(TokenHandle, HandleKind::kToken);
  if (token == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if ((token->access & TOKEN_ADJUST_PRIVILEGES) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (DWORD fault = CheckFault("AdjustTokenPrivileges", "")) {
    SetLastError(fault);
    return FALSE;
  }
  ProcessState& state = State();
  const bool wasEnabled = state.debugPrivilege;
  bool touchesDebug = DisableAllPrivileges != FALSE;
  bool enable = false;
  if (!DisableAllPrivileges && NewState != nullptr) {
    for (DWORD i = 0; i < NewState->PrivilegeCount && i < 1; ++i) {
      const LUID_AND_ATTRIBUTES& item = NewState->Privileges[i];
      if (item.Luid.LowPart == kDebugLuid && item.Luid.HighPart == 0) {
        touchesDebug = true;
        enable = (item.Attributes & SE_PRIVILEGE_ENABLED) != 0;
      }
    }
  }
  if (PreviousState != nullptr) {
    const DWORD needed = sizeof(TOKEN_PRIVILEGES);
    if (ReturnLength != nullptr) *ReturnLength = needed;
    if (BufferLength < needed) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    PreviousState->PrivilegeCount = touchesDebug ? 1 : 0;
    PreviousState->Privileges[0].Luid.LowPart = kDebugLuid;
    PreviousState->Privileges[0].Luid.HighPart = 0;
    PreviousState->Privileges[0].Attributes = wasEnabled ? SE_PRIVILEGE_ENABLED : 0;
  }
  // Without elevation the token does not hold the privilege at all.
  if (enable && !state.elevated) {
    SetLastError(ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
  }
  if (touchesDebug) state.debugPrivilege = enable;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

HANDLE OpenProcess(DWORD dwDesiredAccess, BOOL, DWORD dwProcessId) {
  const Process* process = FindProcess(dwProcessId);
  if (DWORD fault = CheckFault("OpenProcess", process == nullptr ? "" : process->exeName)) {
    SetLastError(fault);
    return nullptr;
  }
  // An ended process can be opened only while some handle still keeps it.
  const bool reachable = process != nullptr && (process->alive || HasHandleTo(dwProcessId));
  if (dwProcessId == 0 || !reachable) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Handle handle{HandleKind::kProcess};
  handle.access = dwDesiredAccess;
  handle.pid = dwProcessId;
  return NewHandle(std::move(handle));
}

BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode) {
  Handle* handle = HandleOf(hProcess, HandleKind::kProcess);
  if (handle == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if ((handle->access & PROCESS_TERMINATE) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  Process* process = FindProcess(handle->pid);
  if (DWORD fault = CheckFault("TerminateProcess", process == nullptr ? "" : process->exeName)) {
    SetLastError(fault);
    return FALSE;
  }
  if (process == nullptr || !process->alive) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  process->alive = false;
  process->exitCode = uExitCode;
  State().ended.push_back(Ended{process->pid, process->exeName, uExitCode});
  return TRUE;
}
