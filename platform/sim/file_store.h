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
  bool directory = false;
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
  std::string content;
};

// Default "C:\WINDOWS"; a fresh machine also has its inf, system, system32 and
// system32\drivers subdirectories.
void SetWindowsDirectory(const std::string& path);
const std::string& WindowsDirectory();

// Paths may use '/' or '\'; a relative path is taken from the Windows directory.
std::string Absolute(const std::string& path);
void Write(const std::string& path, const std::string& content, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE);
void MakeDirectory(const std::string& path);
bool Exists(const std::string& path);
std::optional<FileEntry> Get(const std::string& path);
// The stored entry itself, or null; valid until the store next changes.
const FileEntry* Peek(const std::string& path);
std::vector<FileEntry> All();  // sorted by path, case-insensitively
// Every entry in the same order, without copying them.
void ForEach(const std::function<void(const FileEntry&)>& visit);

}  // namespace files
}  // namespace sim
