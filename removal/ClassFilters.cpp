#include "removal/ClassFilters.h"

#include <string>

#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "removal/FilterNames.h"

namespace {

const char kClassRootPath[] = "SYSTEM\\CurrentControlSet\\Control\\Class";
const char* const kFilterValues[] = {"UpperFilters", "LowerFilters"};

enum ListRead { LIST_READ, LIST_NONE, LIST_UNREADABLE };

// The value's type and bytes; LIST_NONE when it is missing, LIST_UNREADABLE
// when it cannot be read or keeps changing under us.
ListRead ReadFilterValue(HKEY classKey, const char* valueName, DWORD* type, std::string* data) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD size = 0;
    const LSTATUS sized = RegQueryValueExA(classKey, valueName, nullptr, type, nullptr, &size);
    if (sized == ERROR_FILE_NOT_FOUND) return LIST_NONE;
    if (sized != ERROR_SUCCESS) return LIST_UNREADABLE;
    data->assign(size, '\0');
    DWORD readType = REG_NONE;
    const LSTATUS read =
        RegQueryValueExA(classKey, valueName, nullptr, &readType, reinterpret_cast<LPBYTE>(&(*data)[0]), &size);
    if (read == ERROR_MORE_DATA || (read == ERROR_SUCCESS && readType != *type)) continue;
    if (read == ERROR_FILE_NOT_FOUND) return LIST_NONE;
    if (read != ERROR_SUCCESS) return LIST_UNREADABLE;
    data->resize(size);
    return LIST_READ;
  }
  return LIST_UNREADABLE;
}

// A list or class key that cannot be read may still name a deleted service.
void NoteUnread(const CString& path) {
  const CString item = CString("HKEY_LOCAL_MACHINE\\") + path + " (could not be read)";
  LogEvent("filter list", item, "may still name a deleted service");
  NoteLeftover(item);
}

// A list that keeps a deleted service's name breaks its class: it is named
// among what stays.
void FilterValue(HKEY classKey, bool writable, const CString& classKeyPath, const char* valueName,
                 const std::vector<CString>& serviceNames) {
  std::string data;
  DWORD type = REG_NONE;
  const ListRead read = ReadFilterValue(classKey, valueName, &type, &data);
  if (read == LIST_UNREADABLE) NoteUnread(classKeyPath + "\\" + valueName);
  if (read != LIST_READ) return;
  const FilterChange change = DropFilterNames(type, serviceNames, &data);
  if (change == FILTER_UNCHANGED) return;
  const CString valuePath = CString("HKEY_LOCAL_MACHINE\\") + classKeyPath + "\\" + valueName;
  if (change == FILTER_NAMES_IT) {
    LogEvent("filter list", valuePath, "names the service in a form that is not rewritten");
    NoteLeftover(valuePath);
    return;
  }
  LSTATUS written = ERROR_ACCESS_DENIED;  // so it stays in a key opened for reading only
  if (writable && change == FILTER_DELETE) written = RegDeleteValueA(classKey, valueName);
  // c_str() keeps a NUL after the data: a list whose last name had no
  // terminator gets the one Windows adds when it sees it.
  if (writable && change == FILTER_REWRITE) {
    written = RegSetValueExA(classKey, valueName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size()));
  }
  if (written == ERROR_SUCCESS) {
    LogEvent("filter list", valuePath, change == FILTER_REWRITE ? "the service taken out" : "removed");
  }
  if (written != ERROR_SUCCESS && written != ERROR_FILE_NOT_FOUND) {
    LogEvent("filter list", valuePath, ("still names the service, error " + std::to_string(written)).c_str());
    NoteLeftover(valuePath);
  }
}

}  // namespace

void RemoveFromClassFilters(const std::vector<CString>& serviceNames) {
  if (serviceNames.empty()) return;
  HKEY classRoot = nullptr;
  const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassRootPath, 0, KEY_READ, &classRoot);
  if (opened != ERROR_SUCCESS && opened != ERROR_FILE_NOT_FOUND) NoteUnread(kClassRootPath);
  if (opened != ERROR_SUCCESS) return;
  char className[256];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof(className);
    const LSTATUS listed = RegEnumKeyExA(classRoot, index, className, &nameSize, nullptr, nullptr, nullptr, nullptr);
    if (listed != ERROR_SUCCESS && listed != ERROR_NO_MORE_ITEMS) NoteUnread(kClassRootPath);
    // A name too long to read is passed over: the keys after it are still checked.
    if (listed == ERROR_MORE_DATA) continue;
    if (listed != ERROR_SUCCESS) break;
    HKEY classKey = nullptr;
    bool writable = true;
    if (RegOpenKeyExA(classRoot, className, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &classKey) != ERROR_SUCCESS) {
      // A class key we may not change may still name the service.
      writable = false;
      const LSTATUS readable = RegOpenKeyExA(classRoot, className, 0, KEY_QUERY_VALUE, &classKey);
      if (readable != ERROR_SUCCESS && readable != ERROR_FILE_NOT_FOUND) {
        NoteUnread(CString(kClassRootPath) + "\\" + className);
      }
      if (readable != ERROR_SUCCESS) continue;
    }
    const CString classKeyPath = CString(kClassRootPath) + "\\" + className;
    for (const char* valueName : kFilterValues) FilterValue(classKey, writable, classKeyPath, valueName, serviceNames);
    RegCloseKey(classKey);
  }
  RegCloseKey(classRoot);
}
