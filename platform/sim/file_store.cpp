#include "platform/sim/file_store.h"

#include <map>

#include "platform/sim/events.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_paths.h"
#include "platform/sim/machine.h"
#include "platform/sim/modules.h"
#include "platform/sim/win32_api.h"
#include "platform/sim/win32_api_wow64.h"
#include "platform/sim/wow64.h"

namespace sim {
namespace files {
namespace {

struct FileSystem {
  std::string windowsDirectory = "C:\\WINDOWS";
  std::map<std::string, FileEntry> entries;      // by lower-case path
  std::map<std::string, std::string> aliases;    // lower-case short path -> key of the long one
};

FileSystem& Fs() {
  static FileSystem fs;
  return fs;
}

std::string KeyOf(const std::string& absolute) { return ToLower(absolute); }

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool NameTaken(const std::string& directory, const std::string& name) {
  const std::string key = KeyOf(directory + "\\" + name);
  return Fs().entries.count(key) != 0 || Fs().aliases.count(key) != 0;
}

// A long name gets the first alias not yet used in its directory, as
// Windows gives one when the file is created.
void GiveShortName(FileEntry* entry) {
  const std::string name = NameOf(entry->path);
  if (IsShortName(name)) return;
  const std::string directory = ParentOf(entry->path);
  for (int n = 1;; ++n) {
    const std::string alias = ShortNameFor(name, n);
    if (NameTaken(directory, alias)) continue;
    entry->shortName = alias;
    Fs().aliases[KeyOf(directory + "\\" + alias)] = KeyOf(entry->path);
    return;
  }
}

FileEntry& NewEntry(const std::string& path) {
  const std::string key = KeyOf(path);
  auto it = Fs().entries.find(key);
  if (it != Fs().entries.end()) return it->second;
  FileEntry& entry = Fs().entries[key];
  entry.path = path;
  GiveShortName(&entry);
  return entry;
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
    if (Fs().entries.count(KeyOf(*it))) continue;
    FileEntry& entry = NewEntry(*it);
    entry.directory = true;
    entry.attributes = FILE_ATTRIBUTE_DIRECTORY;
  }
}

void EraseKey(const std::string& key) {
  auto it = Fs().entries.find(key);
  if (it == Fs().entries.end()) return;
  if (!it->second.shortName.empty()) Fs().aliases.erase(KeyOf(ParentOf(it->second.path) + "\\" + it->second.shortName));
  Fs().entries.erase(it);
}

// The stored path a resolved path reaches, short names of its parts taken
// for the long ones they stand for.
std::string Canonical(const ResolvedPath& resolved) {
  const std::string joined = resolved.Joined();
  if (Fs().entries.count(KeyOf(joined))) return joined;
  std::string current = resolved.root;
  for (const std::string& component : resolved.components) {
    const std::string candidate = current + "\\" + component;
    auto entry = Fs().entries.find(KeyOf(candidate));
    auto alias = Fs().aliases.find(KeyOf(candidate));
    if (entry != Fs().entries.end()) {
      current = entry->second.path;
    } else if (alias != Fs().aliases.end()) {
      current = Fs().entries[alias->second].path;
    } else {
      current = candidate;
    }
  }
  return current;
}

void FreshDrive() {
  Fs() = FileSystem();
  const std::string& windows = Fs().windowsDirectory;
  for (const char* sub : {"\\inf", "\\system", "\\system32\\drivers", "\\TEMP"}) AddDirectoryChain(windows + sub);
}

ResetHook resetFiles(FreshDrive);

}  // namespace

std::string ParentOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void Erase(const std::string& path) { EraseKey(KeyOf(Canonical(ResolvePath(path, Fs().windowsDirectory)))); }

void SetWindowsDirectory(const std::string& path) {
  Fs().windowsDirectory = ResolvePath(path, "C:\\").Joined();
  for (const char* sub : {"\\inf", "\\system", "\\system32\\drivers", "\\TEMP"}) AddDirectoryChain(Fs().windowsDirectory + sub);
}

const std::string& WindowsDirectory() { return Fs().windowsDirectory; }

std::string Absolute(const std::string& path) { return ResolvePath(path, Fs().windowsDirectory).Joined(); }

void Write(const std::string& path, const std::string& content, DWORD attributes) {
  const std::string absolute = Canonical(ResolvePath(path, Fs().windowsDirectory));
  AddDirectoryChain(ParentOf(absolute));
  FileEntry& entry = NewEntry(absolute);
  entry.directory = false;
  entry.attributes = attributes;
  entry.content = content;
}

void MakeDirectory(const std::string& path) { AddDirectoryChain(Absolute(path)); }

bool Exists(const std::string& path) { return Get(path).has_value(); }

std::optional<FileEntry> Get(const std::string& path) {
  auto it = Fs().entries.find(KeyOf(Canonical(ResolvePath(path, Fs().windowsDirectory))));
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

bool Remove(const std::string& path) {
  const std::string key = KeyOf(Absolute(path));
  auto& entries = Fs().entries;
  auto it = entries.find(key);
  if (it == entries.end()) return false;
  const bool directory = it->second.directory;
  entries.erase(it);
  if (directory) {
    const std::string below = key + "\\";
    for (auto child = entries.lower_bound(below); child != entries.end() && child->first.compare(0, below.size(), below) == 0;) {
      child = entries.erase(child);
    }
  }
  return true;
}

Lookup Find(LPCSTR rawPath) {
  Lookup result;
  if (rawPath == nullptr || *rawPath == '\0') {
    result.error = ERROR_PATH_NOT_FOUND;
    return result;
  }
  const ResolvedPath resolved = ResolvePath(rawPath, Fs().windowsDirectory);
  result.trailingSlash = resolved.trailingSlash;
  const std::string path = wow64::RedirectFilePath(Canonical(resolved));
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

namespace {

UINT WindowsDirectoryFor(const char* api, LPSTR lpBuffer, UINT uSize) {
  if (DWORD fault = sim::CheckFault(api, "")) {
    SetLastError(fault);
    return 0;
  }
  const std::string& dir = Fs().windowsDirectory;
  if (lpBuffer == nullptr || dir.size() + 1 > uSize) return static_cast<UINT>(dir.size() + 1);
  for (size_t i = 0; i <= dir.size(); ++i) lpBuffer[i] = dir.c_str()[i];
  return static_cast<UINT>(dir.size());
}

bool OnWindows2000OrLater(const sim::VersionInfo& v) {
  return v.platformId == VER_PLATFORM_WIN32_NT && v.major >= 5;
}

sim::modules::Export systemWindowsDirectoryExport(
    "kernel32.dll", "GetSystemWindowsDirectoryA",
    reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&GetSystemWindowsDirectoryA)), OnWindows2000OrLater);

}  // namespace

UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  return WindowsDirectoryFor("GetWindowsDirectoryA", lpBuffer, uSize);
}

// One user on the simulated machine: the same directory.
UINT GetSystemWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  return WindowsDirectoryFor("GetSystemWindowsDirectoryA", lpBuffer, uSize);
}

UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
  const std::string dir = Fs().windowsDirectory + (sim::IsWin9xFamily() ? "\\system" : "\\system32");
  if (lpBuffer == nullptr || dir.size() + 1 > uSize) return static_cast<UINT>(dir.size() + 1);
  for (size_t i = 0; i <= dir.size(); ++i) lpBuffer[i] = dir.c_str()[i];
  return static_cast<UINT>(dir.size());
}

DWORD GetFileAttributesA(LPCSTR lpFileName) {
  sim::files::Lookup found = sim::files::FindForCall("GetFileAttributesA", lpFileName);
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
  sim::events::Record(sim::events::Kind::FileDelete, lpFileName == nullptr ? "" : lpFileName);
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
  if (sim::files::OpenWithoutDeleteSharing(found.entry->path)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  // A mapped image (a loaded DLL or driver, a running program) cannot go.
  if (sim::files::MappedAsImage(found.entry->path)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  sim::files::EraseKey(sim::files::KeyOf(found.entry->path));
  return TRUE;
}
