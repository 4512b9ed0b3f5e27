#include "removal/ClassFilters.h"

#include <string>

#include "log/RunLog.h"
#include "removal/Leftovers.h"

namespace {

const char kClassRootPath[] = "SYSTEM\\CurrentControlSet\\Control\\Class";
const char* const kFilterValues[] = {"UpperFilters", "LowerFilters"};

bool IsOneOf(const std::string& name, const std::vector<CString>& serviceNames) {
  for (const CString& service : serviceNames) {
    if (lstrcmpiA(name.c_str(), service) == 0) return true;
  }
  return false;
}

// The value's bytes, or false when it is missing, no multi-string, or keeps
// changing under us.
bool ReadMultiString(HKEY classKey, const char* valueName, std::string* data) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(classKey, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_MULTI_SZ) return false;
    data->assign(size, '\0');
    const LSTATUS read =
        RegQueryValueExA(classKey, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(&(*data)[0]), &size);
    if (read == ERROR_MORE_DATA) continue;
    if (read != ERROR_SUCCESS || type != REG_MULTI_SZ) return false;
    data->resize(size);
    return true;
  }
  return false;
}

// Takes the names out of the list as Windows reads it (up to its first empty
// string, or the end of the data when a terminator is missing), byte for
// byte, so that everything else stays as it was. Returns whether any went;
// *namesLeft tells whether the list still names anything.
bool DropNames(const std::vector<CString>& serviceNames, std::string* data, bool* namesLeft) {
  std::string kept;
  bool dropped = false;
  *namesLeft = false;
  size_t at = 0;
  while (at < data->size()) {
    size_t end = data->find('\0', at);
    if (end == std::string::npos) end = data->size();
    if (end == at) break;  // the empty string that ends the list
    const std::string name = data->substr(at, end - at);
    const size_t next = end < data->size() ? end + 1 : end;
    if (IsOneOf(name, serviceNames)) {
      dropped = true;
    } else {
      kept.append(*data, at, next - at);
      *namesLeft = true;
    }
    at = next;
  }
  kept.append(*data, at, std::string::npos);
  data->swap(kept);
  return dropped;
}

// A list that keeps a deleted service's name breaks its class: it is named
// among what stays.
void FilterValue(HKEY classKey, bool writable, const CString& classKeyPath, const char* valueName,
                 const std::vector<CString>& serviceNames) {
  std::string data;
  if (!ReadMultiString(classKey, valueName, &data)) return;
  bool namesLeft = false;
  if (!DropNames(serviceNames, &data, &namesLeft)) return;
  LSTATUS written = ERROR_ACCESS_DENIED;  // so it stays in a key opened for reading only
  if (writable && !namesLeft) written = RegDeleteValueA(classKey, valueName);
  // c_str() keeps a NUL after the data: a list whose last name had no
  // terminator gets the one Windows adds when it sees it.
  if (writable && namesLeft) {
    written = RegSetValueExA(classKey, valueName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size()));
  }
  const CString valuePath = CString("HKEY_LOCAL_MACHINE\\") + classKeyPath + "\\" + valueName;
  if (written == ERROR_SUCCESS) LogEvent("filter list", valuePath, namesLeft ? "the service taken out" : "removed");
  if (written != ERROR_SUCCESS && written != ERROR_FILE_NOT_FOUND) {
    NoteLeftover(valuePath);
  }
}

}  // namespace

void RemoveFromClassFilters(const std::vector<CString>& serviceNames) {
  if (serviceNames.empty()) return;
  HKEY classRoot = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassRootPath, 0, KEY_READ, &classRoot) != ERROR_SUCCESS) return;
  char className[256];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof(className);
    const LSTATUS listed = RegEnumKeyExA(classRoot, index, className, &nameSize, nullptr, nullptr, nullptr, nullptr);
    if (listed == ERROR_MORE_DATA) continue;  // no class key has such a name
    if (listed != ERROR_SUCCESS) break;
    HKEY classKey = nullptr;
    bool writable = true;
    if (RegOpenKeyExA(classRoot, className, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &classKey) != ERROR_SUCCESS) {
      // A class key we may not change may still name the service.
      writable = false;
      if (RegOpenKeyExA(classRoot, className, 0, KEY_QUERY_VALUE, &classKey) != ERROR_SUCCESS) continue;
    }
    const CString classKeyPath = CString(kClassRootPath) + "\\" + className;
    for (const char* valueName : kFilterValues) FilterValue(classKey, writable, classKeyPath, valueName, serviceNames);
    RegCloseKey(classKey);
  }
  RegCloseKey(classRoot);
}
