// The simulated process list: other programs running on the machine.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace sim {
namespace processes {

// Starts a process with that executable name (as it appears in a snapshot);
// returns its process ID.
DWORD Start(const std::string& exeName);
// Starts a program from its file (a path under the Windows directory or a
// full path): its snapshot name is the file name, and while it runs the
// file is mapped as its image.
DWORD StartImage(const std::string& imagePath);
// Whether a running process has this file (lower-case absolute path) as its image.
bool RunsImage(const std::string& lowerPath);
// A restart: every process but the system's own ends.
void EndAllButSystem();
bool Alive(DWORD pid);
// Names of running processes, in snapshot order.
std::vector<std::string> Running();
// Processes ended by TerminateProcess, in order, with their exit codes.
struct Ended {
  DWORD pid;
  std::string exeName;
  UINT exitCode;
};
const std::vector<Ended>& Terminated();
// Whether SeDebugPrivilege is enabled in the program's own token.
bool DebugPrivilegeEnabled();
// A program run without elevation cannot enable the privilege:
// AdjustTokenPrivileges then succeeds with ERROR_NOT_ALL_ASSIGNED.
void SetElevated(bool elevated);
bool Elevated();
// A process the program starts: a child of the program's own process.
DWORD StartChild(const std::string& exeName);
// Ends a process that ran to its end, with its exit code.
void Exit(DWORD pid, UINT exitCode);
// The exit code of an ended process; STILL_ACTIVE (259) while it runs.
DWORD ExitCodeOf(DWORD pid);
// A handle to a process, as CreateProcessA hands out, and the process a
// process handle names (0 for none).
HANDLE NewProcessHandle(DWORD pid);
DWORD ProcessOfHandle(HANDLE handle);
DWORD OwnPid();
// Handles (snapshots, tokens, processes) opened and not yet closed.
size_t OpenHandleCount();

}  // namespace processes
}  // namespace sim
