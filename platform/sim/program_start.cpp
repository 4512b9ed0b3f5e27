// Resources of the program's module, CreateProcessA of the carried 64-bit
// program, the wait for it and its exit code, and the process ID and tick
// count that name its directory.
#include "platform/sim/program_start.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/sim/desktop_template.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/kernel_state.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_store.h"
#include "platform/sim/win32_api.h"
#include "platform/sim/win32_api_wow64.h"
#include "platform/sim/wow64.h"

namespace sim {
namespace programs {
namespace {

const uintptr_t kProgramModule = 0x400000;
const DWORD kFirstTick = 0x0012D687;

struct StartState {
  std::optional<std::string> carried;
  std::vector<Started> started;
  std::function<void(const std::string&)> beforeStart;
  std::string arguments;
  // What a started program got after its name; kept while it runs.
  std::string childArguments;
  StartState() : carried(Program64Image()) {}
};

StartState& State() {
  static StartState state;
  return state;
}

int (*&Entry())(const char*) {
  static int (*entry)(const char*) = nullptr;
  return entry;
}

ResetHook resetStarts([] { State() = StartState(); });

const std::string& CarriedScript() {
  static const std::string script = desktop::ProgramResourceText("res/CarriedProgram.rc");
  return script;
}

bool IsProgramModule(HMODULE module) {
  return module == nullptr || reinterpret_cast<uintptr_t>(module) == kProgramModule;
}

// The RCDATA resource id asked for, or -1.
int CarriedId(LPCSTR name, LPCSTR type) {
  if (!IS_INTRESOURCE(name) || type != RT_RCDATA) return -1;
  return static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
}

// Only the 32-bit build carries the 64-bit program.
bool Carries(int id) {
  return wow64::ProcessBits() == 32 && State().carried.has_value() &&
         desktop::ScriptDefines(CarriedScript(), "RCDATA", id);
}

// The program the command line names when no application name is given.
std::string FirstToken(LPCSTR commandLine) {
  std::string line = commandLine == nullptr ? "" : commandLine;
  if (!line.empty() && line[0] == '"') {
    const size_t close = line.find('"', 1);
    return line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  }
  return line.substr(0, line.find(' '));
}

// What WinMain gets: the command line after the program's name (quoted or
// not) and the blanks that follow it.
std::string ArgumentsAfterProgram(LPCSTR commandLine) {
  const std::string line = commandLine == nullptr ? "" : commandLine;
  size_t at = 0;
  if (!line.empty() && line[0] == '"') {
    const size_t close = line.find('"', 1);
    at = close == std::string::npos ? line.size() : close + 1;
  } else {
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
  }
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  return line.substr(at);
}

}  // namespace

void SetProgramEntry(int (*entry)(const char*)) { Entry() = entry; }

void SetStartArguments(const std::string& arguments) { State().arguments = arguments; }

const std::string& StartArguments() { return State().arguments; }

namespace {

void PutWord(std::string* image, size_t at, unsigned value) {
  (*image)[at] = static_cast<char>(value & 0xFF);
  (*image)[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

// The headers of a 64-bit Windows GUI program with one section, then a text.
std::string MakeProgram64Image() {
  const size_t peAt = 0x40;
  const size_t optionalAt = peAt + 4 + 20;
  const size_t optionalSize = 240;
  std::string image(optionalAt + optionalSize + 40, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  PutWord(&image, 0x3C, peAt);
  image.replace(peAt, 4, std::string("PE\0\0", 4));
  PutWord(&image, peAt + 4, 0x8664);           // Machine: x86-64
  PutWord(&image, peAt + 6, 1);                // NumberOfSections
  PutWord(&image, peAt + 20, optionalSize);    // SizeOfOptionalHeader
  PutWord(&image, peAt + 22, 0x0022);          // executable, large-address aware
  PutWord(&image, optionalAt, 0x20B);          // PE32+
  PutWord(&image, optionalAt + 68, 2);         // Windows GUI
  image.replace(optionalAt + optionalSize, 5, ".text");
  return image + "DrvUninst.exe for 64-bit Windows (simulated)";
}

}  // namespace

const std::string& Program64Image() {
  static const std::string image = MakeProgram64Image();
  return image;
}

void SetBeforeStart(std::function<void(const std::string& program)> hook) { State().beforeStart = std::move(hook); }

void SetCarriedResource(std::optional<std::string> content) { State().carried = std::move(content); }

const std::vector<Started>& StartedPrograms() { return State().started; }

}  // namespace programs
}  // namespace sim

using namespace sim::programs;

HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  const int id = CarriedId(lpName, lpType);
  if (DWORD fault = sim::CheckFault("FindResourceA", std::to_string(id))) {
    SetLastError(fault);
    return nullptr;
  }
  if (!IsProgramModule(hModule) || id < 0 || !Carries(id)) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HRSRC>(static_cast<uintptr_t>(0x7A0000 + id));
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo) {
  if (DWORD fault = sim::CheckFault("LoadResource", "")) {
    SetLastError(fault);
    return nullptr;
  }
  if (!IsProgramModule(hModule) || hResInfo == nullptr || !State().carried) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return const_cast<char*>(State().carried->data());
}

LPVOID LockResource(HGLOBAL hResData) { return hResData; }

DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  if (!IsProgramModule(hModule) || hResInfo == nullptr || !State().carried) return 0;
  return static_cast<DWORD>(State().carried->size());
}

BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL, DWORD, LPVOID, LPCSTR lpCurrentDirectory, LPSTARTUPINFOA lpStartupInfo,
                    LPPROCESS_INFORMATION lpProcessInformation) {
  const std::string path = lpApplicationName != nullptr ? lpApplicationName : FirstToken(lpCommandLine);
  if (DWORD fault = sim::CheckFault("CreateProcessA", path)) {
    SetLastError(fault);
    return FALSE;
  }
  if (lpStartupInfo == nullptr || lpProcessInformation == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (State().beforeStart) State().beforeStart(path);
  sim::files::Lookup found = sim::files::Find(path.c_str());
  if (found.entry == nullptr) {
    SetLastError(found.error);
    return FALSE;
  }
  if (found.entry->directory) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  // The directory the child starts in, as the child sees it (a 64-bit child
  // of a 32-bit parent sees system32 itself).
  if (lpCurrentDirectory != nullptr) {
    const sim::files::FileEntry* directory = sim::files::Peek(lpCurrentDirectory);
    if (directory == nullptr || !directory->directory) {
      SetLastError(ERROR_DIRECTORY);
      return FALSE;
    }
  }
  // Windows opens the image to read and map it, letting others read and
  // delete: a handle that may write to it refuses the start.
  if (!sim::files::OpensBesideHandles(found.entry->path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  // Only the program itself runs here, and its 64-bit build only on 64 bits.
  if (found.entry->content != Program64Image() || sim::wow64::MachineBits() != 64 || Entry() == nullptr) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return FALSE;
  }
  State().started.push_back({found.entry->path, lpCommandLine == nullptr ? path : lpCommandLine, 64,
                             lpCurrentDirectory == nullptr ? "" : lpCurrentDirectory});
  const std::string exeName = found.entry->path.substr(found.entry->path.rfind('\\') + 1);
  const DWORD pid = sim::processes::StartChild(exeName);
  const int parentBits = sim::wow64::ProcessBits();
  sim::wow64::SetProcessBits(64);
  State().childArguments = ArgumentsAfterProgram(lpCommandLine);
  const int exitCode = Entry()(State().childArguments.c_str());
  sim::wow64::SetProcessBits(parentBits);
  sim::processes::Exit(pid, static_cast<UINT>(exitCode));
  lpProcessInformation->hProcess = sim::processes::NewProcessHandle(pid);
  // The thread handle is a second handle on the process: it is waited on and
  // closed like one.
  lpProcessInformation->hThread = sim::processes::NewProcessHandle(pid);
  lpProcessInformation->dwProcessId = pid;
  lpProcessInformation->dwThreadId = pid + 4;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD) {
  const DWORD pid = sim::processes::ProcessOfHandle(hHandle);
  if (DWORD fault = sim::CheckFault("WaitForSingleObject", "")) {
    SetLastError(fault);
    return WAIT_FAILED;
  }
  if (pid == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  // A started program has run to its end before CreateProcessA returned.
  return sim::processes::Alive(pid) ? WAIT_TIMEOUT : WAIT_OBJECT_0;
}

BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  const DWORD pid = sim::processes::ProcessOfHandle(hProcess);
  if (pid == 0 || lpExitCode == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *lpExitCode = sim::processes::ExitCodeOf(pid);
  return TRUE;
}

DWORD GetCurrentProcessId(void) { return sim::processes::OwnPid(); }

DWORD GetTickCount(void) {
  return kFirstTick + static_cast<DWORD>(sim::SleptMilliseconds());
}
