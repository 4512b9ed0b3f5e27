// Reading and writing files through handles, directories and the temporary
// folder on the simulated file system. Opens honour each other's share modes
// as Windows does; a file open without FILE_SHARE_DELETE cannot be deleted.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/win32_api.h"
#include "platform/sim/security.h"
#include "platform/sim/wow64.h"

namespace sim {
namespace files {
namespace {

struct OpenFile {
  std::string key;  // lower-case absolute path
  DWORD access = 0;
  DWORD share = 0;
  size_t position = 0;
};

struct HandleTable {
  std::unordered_map<ULONG_PTR, OpenFile> open;
  ULONG_PTR next = 0x10000000;
};

HandleTable& Handles() {
  static HandleTable table;
  return table;
}

ResetHook resetFileHandles([] { Handles() = HandleTable(); });

OpenFile* OpenFileOf(HANDLE handle) {
  auto it = Handles().open.find(reinterpret_cast<ULONG_PTR>(handle));
  return it == Handles().open.end() ? nullptr : &it->second;
}

// Whether a new open with this access and share mode may join the opens
// already on the file.
bool SharesWithOpenHandles(const std::string& key, DWORD access, DWORD share) {
  for (const auto& handle : Handles().open) {
    const OpenFile& other = handle.second;
    if (other.key != key) continue;
    if ((access & GENERIC_READ) && !(other.share & FILE_SHARE_READ)) return false;
    if ((access & GENERIC_WRITE) && !(other.share & FILE_SHARE_WRITE)) return false;
    if ((other.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return false;
    if ((other.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return false;
  }
  return true;
}

HANDLE NewHandle(const std::string& key, DWORD access, DWORD share) {
  HandleTable& table = Handles();
  const ULONG_PTR value = table.next;
  table.next += 4;
  table.open[value] = OpenFile{key, access, share, 0};
  return reinterpret_cast<HANDLE>(value);
}

FileEntry* EntryOf(const OpenFile& file) {
  Lookup found = Find(file.key.c_str());
  return found.entry != nullptr && !found.entry->directory ? found.entry : nullptr;
}

// The checks ReadFile and WriteFile share: the call's fault, a handle opened
// for the access, a file still there. Sets the error and gives nullptr when
// the transfer cannot happen.
FileEntry* Transfer(const char* api, HANDLE handle, DWORD access, LPDWORD transferred, OpenFile** file) {
  *file = OpenFileOf(handle);
  if (DWORD fault = sim::CheckFault(api, *file == nullptr ? "" : (*file)->key)) {
    SetLastError(fault);
    return nullptr;
  }
  if (transferred != nullptr) *transferred = 0;
  if (*file == nullptr || !((*file)->access & access)) {
    SetLastError(*file == nullptr ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
    return nullptr;
  }
  FileEntry* entry = EntryOf(**file);
  if (entry == nullptr) SetLastError(ERROR_ACCESS_DENIED);
  return entry;
}

}  // namespace

bool OpenWithoutDeleteSharing(const std::string& path) {
  const std::string key = ToLower(Absolute(path));
  for (const auto& handle : Handles().open) {
    if (handle.second.key == key && !(handle.second.share & FILE_SHARE_DELETE)) return true;
  }
  return false;
}

bool OpensBesideHandles(const std::string& path, DWORD access, DWORD share) {
  return SharesWithOpenHandles(ToLower(Absolute(path)), access, share);
}

bool CloseFileHandle(ULONG_PTR handle) { return Handles().open.erase(handle) != 0; }

void HoldOpen(const std::string& path, DWORD share) {
  const auto entry = Get(path);
  NewHandle(ToLower(entry ? entry->path : Absolute(path)), GENERIC_READ, share);
}

void CloseEveryFileHandle() { Handles().open.clear(); }

}  // namespace files
}  // namespace sim

using namespace sim::files;

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  Lookup found = FindForCall("CreateFileA", lpFileName);
  if (found.entry == nullptr && found.error != ERROR_FILE_NOT_FOUND) return INVALID_HANDLE_VALUE;
  if (found.entry != nullptr && (found.entry->directory || found.trailingSlash)) {
    SetLastError(found.entry->directory ? ERROR_ACCESS_DENIED : ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  const bool exists = found.entry != nullptr;
  const bool wantsWrite = (dwDesiredAccess & GENERIC_WRITE) != 0;
  switch (dwCreationDisposition) {
    case CREATE_NEW:
      if (exists) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
      }
      break;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING:
      if (!exists) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
      }
      break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  const bool truncates = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING;
  if (exists && (wantsWrite || truncates) && (found.entry->attributes & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  const std::string path = exists ? found.entry->path : sim::wow64::RedirectFilePath(Absolute(lpFileName));
  const std::string key = sim::ToLower(path);
  if (exists && !SharesWithOpenHandles(key, dwDesiredAccess, dwShareMode)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return INVALID_HANDLE_VALUE;
  }
  if (!exists) {
    DWORD attributes = dwFlagsAndAttributes & 0xFFFF & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
    if (attributes == 0 || attributes == FILE_ATTRIBUTE_NORMAL) attributes = FILE_ATTRIBUTE_ARCHIVE;
    Write(path, "", attributes);
  } else if (truncates) {
    found.entry->content.clear();
  }
  // Windows reports whether an "always" disposition met an existing file.
  SetLastError(exists && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS)
                   ? ERROR_ALREADY_EXISTS
                   : ERROR_SUCCESS);
  return NewHandle(key, dwDesiredAccess, dwShareMode);
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED) {
  OpenFile* file = nullptr;
  FileEntry* entry = Transfer("ReadFile", hFile, GENERIC_READ, lpNumberOfBytesRead, &file);
  if (entry == nullptr) return FALSE;
  const size_t available = file->position < entry->content.size() ? entry->content.size() - file->position : 0;
  const size_t count = std::min<size_t>(available, nNumberOfBytesToRead);
  if (count > 0) std::memcpy(lpBuffer, entry->content.data() + file->position, count);
  file->position += count;
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = static_cast<DWORD>(count);
  return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED) {
  OpenFile* file = nullptr;
  FileEntry* entry = Transfer("WriteFile", hFile, GENERIC_WRITE, lpNumberOfBytesWritten, &file);
  if (entry == nullptr) return FALSE;
  std::string& content = entry->content;
  if (content.size() < file->position) content.resize(file->position, '\0');
  content.replace(file->position, std::min<size_t>(nNumberOfBytesToWrite, content.size() - file->position),
                  static_cast<const char*>(lpBuffer), nNumberOfBytesToWrite);
  file->position += nNumberOfBytesToWrite;
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = nNumberOfBytesToWrite;
  return TRUE;
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  OpenFile* file = OpenFileOf(hFile);
  if (DWORD fault = sim::CheckFault("GetFileSize", file == nullptr ? "" : file->key)) {
    SetLastError(fault);
    return INVALID_FILE_SIZE;
  }
  FileEntry* entry = file == nullptr ? nullptr : EntryOf(*file);
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  if (lpFileSizeHigh != nullptr) *lpFileSizeHigh = 0;
  return static_cast<DWORD>(entry->content.size());
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
  OpenFile* file = OpenFileOf(hFile);
  if (DWORD fault = sim::CheckFault("SetFilePointer", file == nullptr ? "" : file->key)) {
    SetLastError(fault);
    return INVALID_SET_FILE_POINTER;
  }
  FileEntry* entry = file == nullptr ? nullptr : EntryOf(*file);
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_SET_FILE_POINTER;
  }
  long long base = 0;
  if (dwMoveMethod == FILE_CURRENT) base = static_cast<long long>(file->position);
  if (dwMoveMethod == FILE_END) base = static_cast<long long>(entry->content.size());
  const long long target = base + lDistanceToMove;
  if (target < 0 || (lpDistanceToMoveHigh != nullptr && *lpDistanceToMoveHigh != 0)) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  file->position = static_cast<size_t>(target);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(target);
}

BOOL SetEndOfFile(HANDLE hFile) {
  OpenFile* file = OpenFileOf(hFile);
  if (DWORD fault = sim::CheckFault("SetEndOfFile", file == nullptr ? "" : file->key)) {
    SetLastError(fault);
    return FALSE;
  }
  FileEntry* entry = file == nullptr ? nullptr : EntryOf(*file);
  if (entry == nullptr || !(file->access & GENERIC_WRITE)) {
    SetLastError(entry == nullptr ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  entry->content.resize(file->position, '\0');
  return TRUE;
}

BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes) {
  Lookup found = FindForCall("CreateDirectoryA", lpPathName);
  if (found.entry != nullptr) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if (found.error != ERROR_FILE_NOT_FOUND) return FALSE;  // a directory on the way is missing
  const std::string path = sim::wow64::RedirectFilePath(Absolute(lpPathName));
  MakeDirectory(path);
  sim::security::NoteDirectoryCreated(path, lpSecurityAttributes);
  return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR lpPathName) {
  Lookup found = FindForCall("RemoveDirectoryA", lpPathName);
  if (found.entry == nullptr) return FALSE;
  if (!found.entry->directory) {
    SetLastError(ERROR_DIRECTORY);
    return FALSE;
  }
  const std::string prefix = sim::ToLower(found.entry->path) + "\\";
  for (const FileEntry& entry : All()) {
    if (sim::ToLower(entry.path).compare(0, prefix.size(), prefix) == 0) {
      SetLastError(ERROR_DIR_NOT_EMPTY);
      return FALSE;
    }
  }
  Erase(found.entry->path);
  return TRUE;
}

DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
  if (DWORD fault = sim::CheckFault("GetTempPathA", "")) {
    SetLastError(fault);
    return 0;
  }
  const std::string temp = WindowsDirectory() + "\\TEMP\\";
  if (lpBuffer == nullptr || temp.size() + 1 > nBufferLength) return static_cast<DWORD>(temp.size() + 1);
  std::memcpy(lpBuffer, temp.c_str(), temp.size() + 1);
  return static_cast<DWORD>(temp.size());
}
