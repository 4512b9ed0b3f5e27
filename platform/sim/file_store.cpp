#include "platform/sim/file_store.h"

#include <map>

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/win32_api.h"

namespace sim {
namespace files {
namespace {

struct FileSystem {
  std::string windowsDirectory = "C:\\WINDOWS";
  std::map<std::string, FileEntry> entries;  // by lower-case path
};

FileSystem& Fs() {
  static FileSystem fs;
  return fs;
}

std::string Normalise(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string KeyOf(const std::string& absolute) { return ToLower(absolute); }

std::string ParentOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void AddDirectoryChain(const std::string& path) {
  // Most files go to a directory that is there, and so are its parents.
  auto known = Fs().entries.find(KeyOf(path));
  if (known != Fs().entries.end() && known->second.directory) return;
  std::string current = path;
  std::vector<std::string> chain;
  while (!current.empty() && current.size() > 2) {  // stop at the drive, "C:"
    chain.push_back(current);
    current = ParentOf(current);
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    FileEntry& entry = Fs().entries[KeyOf(*it)];
    if (entry.path.empty()) {
      entry.path = *it;
      entry.directory = true;
      entry.attributes = FILE_ATTRIBUTE_DIRECTORY;
    }
  }
}

void FreshDrive() {
  Fs() = FileSystem();
  const std::string& windows = Fs().windowsDirectory;
  for (const char* sub : {"\\inf", "\\system", "\\system32\\drivers"}) AddDirectoryChain(windows + sub);
}

ResetHook resetFiles(FreshDrive);

}  // namespace

void SetWindowsDirectory(const std::string& path) {
  Fs().windowsDirectory = Normalise(path);
  for (const char* sub : {"\\inf", "\\system", "\\system32\\drivers"}) AddDirectoryChain(Fs().windowsDirectory + sub);
}

const std::string& WindowsDirectory() { return Fs().windowsDirectory; }

std::string Absolute(const std::string& path) {
  std::string normal = Normalise(path);
  if (normal.size() >= 2 && normal[1] == ':') return normal;
  if (!normal.empty() && normal[0] == '\\') return normal;
  return Fs().windowsDirectory + "\\" + normal;
}

void Write(const std::string& path, const std::string& content, DWORD attributes) {
  const std::string absolute = Absolute(path);
  AddDirectoryChain(ParentOf(absolute));
  FileEntry& entry = Fs().entries[KeyOf(absolute)];
  entry.path = absolute;
  entry.directory = false;
  entry.attributes = attributes;
  entry.content = content;
}

void MakeDirectory(const std::string& path) { AddDirectoryChain(Absolute(path)); }

bool Exists(const std::string& path) { return Get(path).has_value(); }

std::optional<FileEntry> Get(const std::string& path) {
  auto it = Fs().entries.find(KeyOf(Absolute(path)));
  if (it == Fs().entries.end()) return std::nullopt;
  return it->second;
}

const FileEntry* Peek(const std::string& path) {
  auto it = Fs().entries.find(KeyOf(Absolute(path)));
  return it == Fs().entries.end() ? nullptr : &it->second;
}

void ForEach(const std::function<void(const FileEntry&)>& visit) {
  for (const auto& entry : Fs().entries) visit(entry.second);
}

std::vector<FileEntry> All() {
  std::vector<FileEntry> all;
  for (const auto& entry : Fs().entries) all.push_back(entry.second);
  return all;
}

// What a Win32 path names: the entry, or the error a call on it gives.
struct Lookup {
  FileEntry* entry = nullptr;
  DWORD error = 0;
  bool trailingSlash = false;
};

Lookup Find(LPCSTR rawPath) {
  Lookup result;
  if (rawPath == nullptr || *rawPath == '\0') {
    result.error = ERROR_PATH_NOT_FOUND;
    return result;
  }
  std::string path = Normalise(rawPath);
  while (path.size() > 3 && path.back() == '\\') {
    path.pop_back();
    result.trailingSlash = true;
  }
  auto& entries = Fs().entries;
  auto it = entries.find(KeyOf(path));
  if (it != entries.end()) {
    result.entry = &it->second;
    return result;
  }
  // Missing: is it the file or a directory on the way that is missing?
  auto parent = entries.find(KeyOf(ParentOf(path)));
  const bool parentIsDirectory = parent != entries.end() && parent->second.directory;
  const bool isDriveRoot = ParentOf(path).size() == 2;
  result.error = (parentIsDirectory || isDriveRoot) && !result.trailingSlash ? ERROR_FILE_NOT_FOUND
                                                                              : ERROR_PATH_NOT_FOUND;
  return result;
}

// As Find, for a call that may be made to fail: the error, if any, is set.
Lookup FindForCall(const char* api, LPCSTR rawPath) {
  Lookup found;
  if (DWORD fault = CheckFault(api, rawPath == nullptr ? "" : rawPath)) {
    found.error = fault;
  } else {
    found = Find(rawPath);
  }
  if (found.entry == nullptr) SetLastError(found.error);
  return found;
}

}  // namespace files
}  // namespace sim

using sim::files::Fs;

UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  if (DWORD fault = sim::CheckFault("GetWindowsDirectoryA", "")) {
    SetLastError(fault);
    return 0;
  }
  const std::string& dir = Fs().windowsDirectory;
  if (lpBuffer == nullptr || dir.size() + 1 > uSize) return static_cast<UINT>(dir.size() + 1);
  for (size_t i = 0; i <= dir.size(); ++i) lpBuffer[i] = dir.c_str()[i];
  return static_cast<UINT>(dir.size());
}

UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
  const std::string dir = Fs().windowsDirectory + (sim::IsWin9xFamily() ? "\\system" : "\\system32");
  if (lpBuffer == nullptr || dir.size() + 1 > uSize) return static_cast<UINT>(dir.size() + 1);
  for (size_t i = 0; i <= dir.size(); ++i) lpBuffer[i] = dir.c_str()[i];
  return static_cast<UINT>(dir.size());
}

DWORD GetFileAttributesA(LPCSTR lpFileName) {
  sim::files::Lookup found = sim::files::Find(lpFileName);
  if (found.entry != nullptr && found.trailingSlash && !found.entry->directory) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (found.entry == nullptr) {
    SetLastError(found.error);
    return INVALID_FILE_ATTRIBUTES;
  }
  return found.entry->attributes;
}

BOOL SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
  sim::files::Lookup found = sim::files::FindForCall("SetFileAttributesA", lpFileName);
  if (found.entry == nullptr) return FALSE;
  if (found.trailingSlash && !found.entry->directory) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  DWORD attributes = dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
  if (attributes == FILE_ATTRIBUTE_NORMAL) attributes = found.entry->directory ? 0 : FILE_ATTRIBUTE_NORMAL;
  if (found.entry->directory) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  found.entry->attributes = attributes;
  return TRUE;
}

BOOL DeleteFileA(LPCSTR lpFileName) {
  sim::files::Lookup found = sim::files::FindForCall("DeleteFileA", lpFileName);
  if (found.entry == nullptr) return FALSE;
  if (found.entry->directory) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (found.trailingSlash) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  if (found.entry->attributes & FILE_ATTRIBUTE_READONLY) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  Fs().entries.erase(sim::files::KeyOf(found.entry->path));
  return TRUE;
}
