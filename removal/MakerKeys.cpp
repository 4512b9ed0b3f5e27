#include "removal/MakerKeys.h"

#include <cstring>
#include <string>

#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "platform/system/WindowsBitness.h"
#include "profile/RunProfile.h"
#include "removal/RegistryNames.h"

namespace {

const char kSoftware[] = "Software";

const char* const kSharedBranches[] = {"Microsoft", "Classes", "Wow6432Node", "Policies", "Clients"};

bool IsDotsName(const char* begin, size_t length) {
  return (length == 1 && begin[0] == '.') || (length == 2 && begin[0] == '.' && begin[1] == '.');
}

bool IsSharedBranch(const char* begin, size_t length) {
  for (const char* branch : kSharedBranches) {
    if (std::strlen(branch) == length && _strnicmp(begin, branch, length) == 0) return true;
  }
  return false;
}

// "Software\\" and the first `end` characters of path.
CString SoftwarePath(const char* path, size_t end) {
  const std::string full = std::string(kSoftware) + "\\" + std::string(path, end);
  return CString(full.c_str());
}

bool KeyExists(REGSAM view, const CString& softwarePath) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, softwarePath, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

enum KeyContents { KEY_EMPTY, KEY_HOLDS_SOMETHING, KEY_GONE, KEY_UNREADABLE };

// Whether a key holds neither values nor subkeys; one that cannot be read
// is not taken for empty.
KeyContents ContentsOf(REGSAM view, const CString& softwarePath) {
  HKEY key = nullptr;
  const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, softwarePath, 0, KEY_READ | view, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return KEY_GONE;
  if (opened != ERROR_SUCCESS) return KEY_UNREADABLE;
  DWORD subkeys = 1;
  DWORD values = 1;
  const LSTATUS queried =
      RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                       nullptr);
  RegCloseKey(key);
  if (queried != ERROR_SUCCESS) return KEY_UNREADABLE;
  return subkeys == 0 && values == 0 ? KEY_EMPTY : KEY_HOLDS_SOMETHING;
}

// Deletes the last component of the first `end` characters of path from its
// parent, in the view. withSubtree: SHDeleteKeyA, else a leaf only.
LSTATUS DeleteComponent(REGSAM view, const char* path, size_t end, bool withSubtree) {
  size_t slash = end;
  while (slash > 0 && path[slash - 1] != '\\') --slash;
  const CString parentPath = slash == 0 ? CString(kSoftware) : SoftwarePath(path, slash - 1);
  const std::string name(path + slash, end - slash);
  HKEY parent = nullptr;
  const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, parentPath, 0, KEY_ALL_ACCESS | view, &parent);
  if (opened != ERROR_SUCCESS) return opened;
  const LSTATUS deleted = withSubtree ? SHDeleteKeyA(parent, name.c_str()) : RegDeleteKeyA(parent, name.c_str());
  RegCloseKey(parent);
  return deleted;
}

// The keys above the deleted one, from its parent up to the maker's key,
// while each is left empty.
void DeleteEmptiedParents(REGSAM view, const char* path) {
  size_t end = std::strlen(path);
  for (;;) {
    while (end > 0 && path[end - 1] != '\\') --end;
    if (end == 0) return;
    --end;  // the parent's path ends before that backslash
    const CString parent = SoftwarePath(path, end);
    const CString shown = SoftwareKeyName(view, std::string(path, end).c_str());
    const KeyContents contents = ContentsOf(view, parent);
    if (contents == KEY_HOLDS_SOMETHING || contents == KEY_GONE) return;
    // It may be left empty by this removal: one that cannot be told stays, named.
    if (contents == KEY_UNREADABLE) {
      NoteLeftover(shown);
      return;
    }
    // On Windows 9x RegDeleteKeyA takes subkeys along: the key was just found empty.
    if (DeleteComponent(view, path, end, false) != ERROR_SUCCESS) {
      if (KeyExists(view, parent)) NoteLeftover(shown);
      return;
    }
    LogEvent("key", shown, "removed (left empty)");
  }
}

void DeleteMakerKeyInView(REGSAM view, const char* path) {
  const CString full = SoftwarePath(path, std::strlen(path));
  const LSTATUS deleted = DeleteComponent(view, path, std::strlen(path), true);
  if (deleted == ERROR_SUCCESS) {
    LogEvent("key", SoftwareKeyName(view, path), "removed");
    DeleteEmptiedParents(view, path);
    return;
  }
  // Missing in this view is no failure: an installer writes the view of its own bitness.
  if (KeyExists(view, full)) NoteLeftover(SoftwareKeyName(view, path));
}

}  // namespace

MakerKeyVerdict MakerKeyVerdictOf(const char* path) {
  const size_t length = std::strlen(path);
  if (length == 0) return MAKER_KEY_EMPTY;
  if (length >= TEXT_SIZE - 1) return MAKER_KEY_MAY_BE_CUT;
  int components = 0;
  for (const char* begin = path;; ++components) {
    const char* end = std::strchr(begin, '\\');
    const size_t size = end == nullptr ? std::strlen(begin) : static_cast<size_t>(end - begin);
    if (size == 0 || IsDotsName(begin, size)) return MAKER_KEY_BAD_COMPONENT;
    if (components == 0 && IsSharedBranch(begin, size)) return MAKER_KEY_SHARED_BRANCH;
    if (end == nullptr) break;
    begin = end + 1;
  }
  return components + 1 >= 2 ? MAKER_KEY_ALLOWED : MAKER_KEY_TOO_SHORT;
}

void DeleteMakerKeys() {
  REGSAM views[MAX_REGISTRY_VIEWS];
  const int viewCount = SoftwareRegistryViews(views);
  const int count = UsableCount(TheProfile().m_nUnInstRegKeyNum, MAX_DRV_ENTRIES);
  for (int i = 0; i < count; ++i) {
    const char* path = TheProfile().m_szUnInstRegKey[i];
    if (MakerKeyVerdictOf(path) != MAKER_KEY_ALLOWED) {
      if (path[0] != '\0') LogEvent("key", path, "refused: not a product's own key below HKLM\\Software");
      continue;
    }
    for (int v = 0; v < viewCount; ++v) DeleteMakerKeyInView(views[v], path);
  }
}
