// The simulated file system: the drive that holds the Windows directory,
// case-insensitive, case-preserving, with attributes and contents.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/win32_types.h"

namespace sim {
namespace files {

struct FileEntry {
  std::string path;  // as created, "C:\WINDOWS\inf\oem3.inf"
  std::string shortName;  // the 8.3 alias of a long name ("LONGDR~1.SYS"); empty for a short name
  bool directory = false;
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
  std::string content;
};

// Default "C:\WINDOWS"; a fresh machine also has its inf, system, system32 and
// system32\drivers subdirectories.
void SetWindowsDirectory(const std::string& path);
const std::string& WindowsDirectory();

// A path resolved as Windows does (file_paths.h); a relative path is taken
// from the Windows directory.
std::string Absolute(const std::string& path);
void Write(const std::string& path, const std::string& content, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE);
void MakeDirectory(const std::string& path);
bool Exists(const std::string& path);
std::optional<FileEntry> Get(const std::string& path);
// The stored entry itself, or null; valid until the store next changes.
const FileEntry* Peek(const std::string& path);
std::vector<FileEntry> All();  // sorted by path, case-insensitively
// Takes a file, or a directory with everything below it, off the drive, as
// the system itself does (no call is made or logged). False when absent.
bool Remove(const std::string& path);

// For the simulated calls: what a Win32 path names, or the error a call on
// it gives.
struct Lookup {
  FileEntry* entry = nullptr;
  DWORD error = 0;
  bool trailingSlash = false;
};
Lookup Find(LPCSTR rawPath);
// As Find, for a call that may be made to fail: the error, if any, is set.
Lookup FindForCall(const char* api, LPCSTR rawPath);
void Erase(const std::string& path);
std::string ParentOf(const std::string& path);

// Open file handles (file_io.cpp): whether one refuses deletion, and
// closing one; false for a handle that is not a file's.
bool OpenWithoutDeleteSharing(const std::string& path);
// Whether a new open of the file with this access and share mode would join
// the handles already open on it.
bool OpensBesideHandles(const std::string& path, DWORD access, DWORD share);
bool CloseFileHandle(ULONG_PTR handle);

// Files in use by other processes (files_in_use.cpp). Another program holds
// the file open with this share mode (no FILE_SHARE_DELETE: it cannot be
// deleted, error 32).
void HoldOpen(const std::string& path, DWORD share = FILE_SHARE_READ);
// Another program has the file loaded as a DLL (or a driver): mapped as an
// image, it cannot be deleted (error 5) but its attributes can change.
void LoadImage(const std::string& path);
// Loaded, or the file of a running program.
bool MappedAsImage(const std::string& path);
// What a restart does to them: every file handle closed, every image
// unloaded.
void CloseEveryFileHandle();
void UnloadImages();
// Every entry in the same order, without copying them.
void ForEach(const std::function<void(const FileEntry&)>& visit);

}  // namespace files
}  // namespace sim
