// How Windows reads a path and names a file, as plain text rules: the path a
// call really reaches, and the 8.3 names of long file names.
#pragma once

#include <string>
#include <vector>

namespace sim {
namespace files {

struct ResolvedPath {
  std::string root;                     // the drive, "C:"
  std::vector<std::string> components;  // below the drive, as written
  bool trailingSlash = false;           // the path ended in a separator
  std::string Joined() const;           // "C:\WINDOWS\inf\x.inf"; the drive alone for no components
};

// '/' is a separator, repeated separators count once, "." and ".." components
// are taken out, a trailing dot of a component and the trailing dots and
// blanks of the last one are cut. A relative path is taken from
// currentDirectory, a path with a leading separator from its drive.
ResolvedPath ResolvePath(const std::string& raw, const std::string& currentDirectory);

// Whether a name is a valid 8.3 name as it stands (no alias needed).
bool IsShortName(const std::string& name);
// The nth alias Windows tries for a long name: "LONGDR~1.SYS".
std::string ShortNameFor(const std::string& longName, int n);

}  // namespace files
}  // namespace sim
