#include "removal/InfCollection.h"

#include <cstring>

#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "profile/RunProfile.h"
#include "removal/RemovalSteps.h"

namespace {

const DWORD kSubkeyNameSize = 250;
const DWORD kValueSize = 256;

// Only a key or value known to be missing tells that nothing of the package
// is there; any other failure may hide one of its INF files.
bool Unread(LSTATUS status) { return status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND; }

void NoteUnread(const char* keyPath) {
  const CString item = CString("HKEY_LOCAL_MACHINE\\") + keyPath + " (could not be read)";
  LogEvent("INF files", item, "an INF file of the package may stay");
  NoteLeftover(item);
}

// An empty name would match every description.
bool DescriptionBeginsWith(const char* description, const char* name) {
  const size_t length = std::strlen(name);
  return length > 0 && _strnicmp(description, name, length) == 0;
}

// The instance's "InfPath", or false when it has none that fits a slot; one
// that cannot be read is noted.
bool ReadInfPath(HKEY instance, const char* instancePath, char (&value)[INF_SLOT_SIZE + 1]) {
  // One byte more than the value may fill, so that a value stored without
  // its terminator still ends in one.
  std::memset(value, 0, sizeof(value));
  DWORD size = INF_SLOT_SIZE;
  const LSTATUS read = RegQueryValueExA(instance, "InfPath", nullptr, nullptr, reinterpret_cast<LPBYTE>(value), &size);
  if (Unread(read)) NoteUnread(instancePath);
  if (read != ERROR_SUCCESS) return false;
  // An empty name would make the INF directory itself the path; a name of
  // 256 characters or more is longer than a slot holds.
  const size_t length = std::strlen(value);
  return length > 0 && length < INF_SLOT_SIZE;
}

bool InList(const InfList& list, const char* name) {
  for (int i = 0; i < list.count; ++i) {
    if (lstrcmpiA(list.slots[i], name) == 0) return true;
  }
  return false;
}

// A file that is there, or whose state cannot be read, is noted.
void NoteIfPresent(const CString& path) {
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
    const DWORD lookup = GetLastError();
    if (lookup == ERROR_FILE_NOT_FOUND || lookup == ERROR_PATH_NOT_FOUND) return;
  }
  LogEvent("file", path, "kept: past the ten INFs the list holds");
  NoteLeftover(path);
}

// An INF the full list cannot take stays on the machine with its PNF: each
// is named, unless the list holds the INF already or the file is not there.
void NoteInfPastTheList(const char* name) {
  CString infPath;
  CString pnfPath;
  if (!BuildRemovalPath("\\inf\\", name, &infPath)) return;
  NoteIfPresent(infPath);
  if (BuildRemovalPath("\\inf\\", PnfNameFor(name), &pnfPath)) NoteIfPresent(pnfPath);
}

void AddInfPath(HKEY instance, const char* instancePath, InfList* list) {
  char value[INF_SLOT_SIZE + 1];
  if (!ReadInfPath(instance, instancePath, value)) return;
  if (list->count >= INF_LIST_SLOTS) {
    if (!InList(*list, value)) NoteInfPastTheList(value);
    return;
  }
  std::memcpy(list->slots[list->count], value, std::strlen(value) + 1);
  ++list->count;
}

void AddMatches(HKEY instance, const char* instancePath, const char* description, const DRVENTRY* entries, int count,
                InfList* list) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    if (DescriptionBeginsWith(description, entries[i].szDrvName)) AddInfPath(instance, instancePath, list);
  }
}

void VisitInstance(HKEY classKey, const char* subkeyName, InfList* list) {
  const CString instancePath = CString(g_szClassKey) + "\\" + subkeyName;
  HKEY instance = nullptr;
  const LSTATUS opened = RegOpenKeyExA(classKey, subkeyName, 0, KEY_ALL_ACCESS, &instance);
  if (Unread(opened)) NoteUnread(instancePath);
  if (opened != ERROR_SUCCESS) return;
  char description[kValueSize + 1];
  std::memset(description, 0, sizeof(description));
  DWORD size = kValueSize;
  const LSTATUS read =
      RegQueryValueExA(instance, "DriverDesc", nullptr, nullptr, reinterpret_cast<LPBYTE>(description), &size);
  if (Unread(read)) NoteUnread(instancePath);
  if (read == ERROR_SUCCESS) {
    const UninstProfile& profile = TheProfile();
    AddMatches(instance, instancePath, description, profile.m_DevDrv, profile.m_nDevIDNum, list);
    AddMatches(instance, instancePath, description, profile.m_ExtDevDrv, profile.m_nExtDevIDNum, list);
    AddMatches(instance, instancePath, description, profile.m_PossibleExtDevDrv, profile.m_nPossibleExtDevIDNum, list);
  }
  RegCloseKey(instance);
}

}  // namespace

void CollectInfFiles(InfList* list) {
  list->count = 0;
  HKEY classKey = nullptr;
  const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_szClassKey, 0, KEY_ALL_ACCESS, &classKey);
  if (Unread(opened)) NoteUnread(g_szClassKey);
  if (opened != ERROR_SUCCESS) return;
  char subkeyName[kSubkeyNameSize];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = kSubkeyNameSize;
    FILETIME lastWrite;
    const LSTATUS listed = RegEnumKeyExA(classKey, index, subkeyName, &nameSize, nullptr, nullptr, nullptr, &lastWrite);
    if (listed == ERROR_NO_MORE_ITEMS) break;
    if (listed != ERROR_SUCCESS) {
      NoteUnread(g_szClassKey);
      break;
    }
    VisitInstance(classKey, subkeyName, list);
  }
  RegCloseKey(classKey);
}

CString PnfNameFor(const char* infName) {
  // What strtok(name, ".") gives first: after any leading dots, up to the next dot.
  const char* base = infName;
  while (*base == '.') ++base;
  const char* end = base;
  while (*end != '\0' && *end != '.') ++end;
  return CString(std::string(base, end).c_str()) + ".pnf";
}
