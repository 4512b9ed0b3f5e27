#include "app/CarriedProgram.h"

#include <cstring>

#include "app/PrivateTempDirectory.h"
#include "platform/afx/afxstr.h"

namespace {

// A just-ended program's file, and so its directory, can stay locked for a
// moment: Windows letting go of its image, a virus scanner reading it.
const int kRemoveTries = 20;
const DWORD kRemovePauseMs = 50;

struct Resource {
  const BYTE* data = nullptr;
  DWORD size = 0;
};

// The carried program, when the build put one in and it looks like a program.
bool FindCarriedProgram(Resource* program) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_CARRIED_PROGRAM), RT_RCDATA);
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(nullptr, found);
  if (loaded == nullptr) return false;
  program->data = static_cast<const BYTE*>(LockResource(loaded));
  program->size = SizeofResource(nullptr, found);
  return program->data != nullptr && program->size >= 2 && program->data[0] == 'M' && program->data[1] == 'Z';
}

bool WriteNewFile(const char* path, const Resource& content) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, content.data, content.size, &written, nullptr);
  const BOOL closed = CloseHandle(file);
  return wrote && closed && written == content.size;
}

// Removed, or found gone, within the tries.
template <typename Remove>
void RemoveWithPatience(const char* path, Remove remove) {
  for (int attempt = 0; attempt < kRemoveTries; ++attempt) {
    if (remove(path)) return;
    const DWORD attributes = GetFileAttributesA(path);
    const DWORD lookup = GetLastError();
    if (attributes == INVALID_FILE_ATTRIBUTES && lookup == ERROR_FILE_NOT_FOUND) return;
    Sleep(kRemovePauseMs);
  }
}

void RemoveProgramAndDirectory(const char* programPath, const char* directory) {
  RemoveWithPatience(programPath, DeleteFileA);
  RemoveWithPatience(directory, RemoveDirectoryA);
}

bool StartAndWait(const CString& programPath, const char* arguments, DWORD* exitCode) {
  CString commandLine = CString("\"") + programPath + "\"";
  if (arguments != nullptr && arguments[0] != '\0') commandLine += CString(" ") + arguments;
  // CreateProcessA may write into the command line.
  char commandBuffer[MAX_PATH * 2];
  if (commandLine.GetLength() >= static_cast<int>(sizeof(commandBuffer))) return false;
  lstrcpynA(commandBuffer, commandLine, sizeof(commandBuffer));

  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started;
  std::memset(&started, 0, sizeof(started));
  if (!CreateProcessA(programPath, commandBuffer, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    return false;
  }
  WaitForSingleObject(started.hProcess, INFINITE);
  if (!GetExitCodeProcess(started.hProcess, exitCode)) *exitCode = 1;
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

}  // namespace

bool RunCarriedProgram(const char* fileName, const char* arguments, DWORD* exitCode) {
  Resource program;
  if (!FindCarriedProgram(&program)) return false;

  char directory[MAX_PATH];
  if (!CreatePrivateTempDirectory(directory, sizeof(directory))) return false;
  const CString programPath = CString(directory) + "\\" + fileName;
  const bool ran = programPath.GetLength() < MAX_PATH && WriteNewFile(programPath, program) &&
                   StartAndWait(programPath, arguments, exitCode);
  RemoveProgramAndDirectory(programPath, directory);
  return ran;
}
