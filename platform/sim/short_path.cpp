// GetShortPathNameA: each long name of an existing path replaced by the 8.3
// alias the file or directory got when it was created.
#include <cstring>

#include "platform/sim/faults.h"
#include "platform/sim/file_paths.h"
#include "platform/sim/file_store.h"
#include "platform/sim/win32_api.h"

DWORD GetShortPathNameA(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer) {
  if (DWORD fault = sim::CheckFault("GetShortPathNameA", lpszLongPath == nullptr ? "" : lpszLongPath)) {
    SetLastError(fault);
    return 0;
  }
  if (lpszLongPath == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const sim::files::Lookup found = sim::files::Find(lpszLongPath);
  if (found.entry == nullptr) {
    SetLastError(found.error);
    return 0;
  }
  const sim::files::ResolvedPath resolved =
      sim::files::ResolvePath(lpszLongPath, sim::files::WindowsDirectory());
  std::string shortPath = resolved.root;
  std::string longPath = resolved.root;
  for (const std::string& component : resolved.components) {
    const auto entry = sim::files::Get(longPath + "\\" + component);
    if (!entry) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return 0;
    }
    // A name that is already 8.3 stays as written.
    const bool keep = sim::files::IsShortName(component) || entry->shortName.empty();
    shortPath += "\\" + (keep ? component : entry->shortName);
    longPath = entry->path;
  }
  if (resolved.trailingSlash) shortPath += "\\";
  if (lpszShortPath == nullptr || shortPath.size() + 1 > cchBuffer) return static_cast<DWORD>(shortPath.size() + 1);
  std::memcpy(lpszShortPath, shortPath.c_str(), shortPath.size() + 1);
  return static_cast<DWORD>(shortPath.size());
}
