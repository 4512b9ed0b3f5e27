#include "app/CarriedProgram.h"

#include <cstring>

#include "app/CarriedImage.h"
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

// The carried program, when the build put one in and it is a 64-bit program.
bool FindCarriedProgram(Resource* program) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_CARRIED_PROGRAM), RT_RCDATA);
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(nullptr, found);
  if (loaded == nullptr) return false;
  program->data = static_cast<const BYTE*>(LockResource(loaded));
  program->size = SizeofResource(nullptr, found);
  return IsX64ProgramImage(program->data, program->size);
}

// Whether the file, read from its start through the handle, holds exactly
// the content.
bool HoldsExactly(HANDLE file, const Resource& content) {
  BYTE chunk[4096];
  DWORD at = 0;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, chunk, sizeof(chunk), &read, nullptr)) return false;
    if (read == 0) return at == content.size;
    if (read > content.size - at || std::memcmp(chunk, content.data + at, read) != 0) return false;
    at += read;
  }
}

void CloseIfOpen(HANDLE file) {
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// Writes the new file and returns a handle that holds it: open for reading
// with no write or delete sharing, so that no one can change, rename or
// delete it until the handle is closed. From the write on, some handle
// without delete sharing is always open; a writer that got in between the two
// is caught (the holding handle cannot open beside it, or the content is no
// longer ours). INVALID_HANDLE_VALUE, and nothing held, on any failure.
HANDLE WriteAndHold(const char* path, const Resource& content) {
  HANDLE writer = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (writer == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  DWORD written = 0;
  const bool wrote = WriteFile(writer, content.data, content.size, &written, nullptr) && written == content.size;
  // Opened beside the writer, it must let it write; it keeps the file until
  // the holder, which lets no one write, is open.
  HANDLE bridge = wrote ? CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)
                        : INVALID_HANDLE_VALUE;
  const bool writerClosed = CloseHandle(writer) != FALSE;
  HANDLE holder = bridge != INVALID_HANDLE_VALUE && writerClosed
                      ? CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                    nullptr)
                      : INVALID_HANDLE_VALUE;
  CloseIfOpen(bridge);
  if (holder != INVALID_HANDLE_VALUE && HoldsExactly(holder, content)) return holder;
  CloseIfOpen(holder);
  return INVALID_HANDLE_VALUE;
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

// Started with the system directory as its current directory: never the
// temporary folder, nor whatever folder the user started this program from.
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
  char systemDirectory[MAX_PATH];
  const UINT systemLength = GetSystemDirectoryA(systemDirectory, MAX_PATH);
  if (systemLength == 0 || systemLength >= MAX_PATH) return false;
  if (!CreateProcessA(programPath, commandBuffer, nullptr, nullptr, FALSE, 0, nullptr, systemDirectory, &startup,
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
  HANDLE held = programPath.GetLength() < MAX_PATH ? WriteAndHold(programPath, program) : INVALID_HANDLE_VALUE;
  // Held through the start and the wait: the file that starts is the file
  // that was written.
  const bool ran = held != INVALID_HANDLE_VALUE && StartAndWait(programPath, arguments, exitCode);
  CloseIfOpen(held);
  RemoveProgramAndDirectory(programPath, directory);
  return ran;
}
