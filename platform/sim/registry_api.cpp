// Registry functions of ADVAPI32 and SHLWAPI over the simulated registry,
// returning what Wine and Windows return (see the platform notes).
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/sim/value_journal.h"
#include "platform/sim/events.h"
#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/win32_api.h"
#include "platform/sim/win32_api_wow64.h"
#include "platform/sim/wow64.h"

namespace sim {
namespace registry {
namespace {

struct HandleTable {
  std::unordered_map<ULONG_PTR, std::shared_ptr<RegKey>> open;
  ULONG_PTR next = 0x1000;
};

HandleTable& Handles() {
  static HandleTable table;
  return table;
}

ResetHook resetHandles([] { Handles() = HandleTable(); });

std::shared_ptr<RegKey> Shared(RegKey* key) {
  if (key->parent == nullptr) {
    // Root keys are owned by the store; the handle table must not own them.
    return std::shared_ptr<RegKey>(key, [](RegKey*) {});
  }
  return key->parent->FindSubkey(key->name)->second;
}

HKEY NewHandle(RegKey* key) {
  HandleTable& table = Handles();
  const ULONG_PTR value = table.next;
  table.next += 4;
  table.open[value] = Shared(key);
  return reinterpret_cast<HKEY>(value);
}

bool IsPredefined(HKEY key) { return Root(key) != nullptr; }

// The key a handle refers to; sets *status to the error when there is none.
RegKey* Target(HKEY handle, LSTATUS* status) {
  RegKey* key = FromHandle(handle);
  if (key == nullptr) {
    *status = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (key->deleted) {
    *status = ERROR_KEY_DELETED;
    return nullptr;
  }
  *status = ERROR_SUCCESS;
  return key;
}

std::string SubjectOf(RegKey* base, LPCSTR sub) {
  std::string subject = base == nullptr ? std::string("?") : base->Path();
  if (sub != nullptr && *sub != '\0') subject += std::string("\\") + sub;
  return subject;
}

// The key path a call on base\sub reaches in the registry view that sam and
// the process choose, or "" when that is base\sub itself.
std::string ViewPath(RegKey* base, LPCSTR sub, REGSAM sam) {
  if (!wow64::Reaches32BitView(sam)) return "";
  return wow64::RegistryViewPath(SubjectOf(base, sub), sam);
}

RegKey* ResolveInView(RegKey* base, LPCSTR sub, const std::string& viewPath) {
  return viewPath.empty() ? Resolve(base, sub) : Find(viewPath);
}

LSTATUS Open(HKEY hKey, LPCSTR lpSubKey, REGSAM sam, PHKEY phkResult, const char* api, bool sameHandleForEmpty) {
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  LSTATUS status;
  RegKey* base = Target(hKey, &status);
  if (base == nullptr) {
    *phkResult = nullptr;
    return status;
  }
  const std::string viewPath = ViewPath(base, lpSubKey, sam);
  if (DWORD fault = CheckFault(api, viewPath.empty() ? SubjectOf(base, lpSubKey) : viewPath)) {
    *phkResult = nullptr;
    return static_cast<LSTATUS>(fault);
  }
  if (lpSubKey == nullptr || *lpSubKey == '\0') {
    *phkResult = (sameHandleForEmpty || IsPredefined(hKey)) ? hKey : NewHandle(base);
    return ERROR_SUCCESS;
  }
  if (lpSubKey[0] == '\\') {
    *phkResult = nullptr;
    return ERROR_BAD_PATHNAME;
  }
  RegKey* key = ResolveInView(base, lpSubKey, viewPath);
  if (key == nullptr) {
    *phkResult = nullptr;
    return ERROR_FILE_NOT_FOUND;
  }
  *phkResult = NewHandle(key);
  return ERROR_SUCCESS;
}

void RemoveContents(RegKey* key) {
  while (!key->subkeys.empty()) DeleteSubtree(key->subkeys.begin()->second.get());
  key->ChangeValues().clear();
}

}  // namespace

RegKey* FromHandle(HKEY handle) {
  if (RegKey* root = Root(handle)) return root;
  auto it = Handles().open.find(reinterpret_cast<ULONG_PTR>(handle));
  return it == Handles().open.end() ? nullptr : it->second.get();
}

size_t OpenHandleCount() { return Handles().open.size(); }

}  // namespace registry
}  // namespace sim

using namespace sim;
using namespace sim::registry;

LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  return Open(hKey, lpSubKey, samDesired, phkResult, "RegOpenKeyExA", false);
}

LSTATUS RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  return Open(hKey, lpSubKey, 0, phkResult, "RegOpenKeyA", true);
}

LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired, void*,
                        PHKEY phkResult, LPDWORD lpdwDisposition) {
  LSTATUS status;
  RegKey* base = Target(hKey, &status);
  if (base == nullptr) return status;
  const std::string viewPath = ViewPath(base, lpSubKey, samDesired);
  const std::string path = viewPath.empty() ? base->Path() + "\\" + (lpSubKey == nullptr ? "" : lpSubKey) : viewPath;
  if (DWORD fault = CheckFault("RegCreateKeyExA", viewPath.empty() ? SubjectOf(base, lpSubKey) : viewPath)) {
    return static_cast<LSTATUS>(fault);
  }
  const bool existed = Find(path) != nullptr;
  RegKey* key = Create(path);
  if (lpdwDisposition != nullptr) *lpdwDisposition = existed ? 2 : 1;
  if (phkResult != nullptr) *phkResult = NewHandle(key);
  return ERROR_SUCCESS;
}

LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD, LPSTR lpClass,
                      LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  LSTATUS status;
  RegKey* key = Target(hKey, &status);
  if (key == nullptr) return status;
  if (DWORD fault = CheckFault("RegEnumKeyExA", key->Path(), static_cast<long>(dwIndex))) {
    return static_cast<LSTATUS>(fault);
  }
  if (lpName == nullptr || lpcchName == nullptr) return ERROR_INVALID_PARAMETER;
  RegKey* child = key->SubkeyAt(dwIndex);
  if (child == nullptr) return ERROR_NO_MORE_ITEMS;
  // A buffer that cannot take the name and its NUL is left as it was.
  if (child->name.size() >= *lpcchName) return ERROR_MORE_DATA;
  std::memcpy(lpName, child->name.c_str(), child->name.size() + 1);
  *lpcchName = static_cast<DWORD>(child->name.size());
  if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) {
    lpClass[0] = '\0';
    *lpcchClass = 0;
  }
  if (lpftLastWriteTime != nullptr) {
    lpftLastWriteTime->dwLowDateTime = 0;
    lpftLastWriteTime->dwHighDateTime = 0;
  }
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData) {
  LSTATUS status;
  RegKey* key = Target(hKey, &status);
  if (key == nullptr) return status;
  const std::string name = lpValueName == nullptr ? "" : lpValueName;
  if (events::KeptValueRead(name)) events::Record(events::Kind::ValueRead, key->Path(), name);
  if (DWORD fault = CheckFault("RegQueryValueExA", key->Path() + "\\@" + name)) return static_cast<LSTATUS>(fault);
  if (lpData != nullptr && lpcbData == nullptr) return ERROR_INVALID_PARAMETER;
  auto it = key->values().find(name);
  if (it == key->values().end()) {
    if (lpType != nullptr) *lpType = REG_NONE;
    return ERROR_FILE_NOT_FOUND;
  }
  const RegValue& value = it->second;
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (lpType != nullptr) *lpType = value.type;
  if (lpData == nullptr) {
    if (lpcbData != nullptr) *lpcbData = size;
    return ERROR_SUCCESS;
  }
  if (*lpcbData < size) {
    *lpcbData = size;
    return ERROR_MORE_DATA;
  }
  if (size > 0) std::memcpy(lpData, value.data.data(), size);
  // A string stored without its NUL gets one when there is room for it.
  const bool isString = value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
  if (isString && *lpcbData > size && (size == 0 || value.data[size - 1] != 0)) lpData[size] = 0;
  *lpcbData = size;
  return ERROR_SUCCESS;
}

LSTATUS RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                         LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                         LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                         PFILETIME lpftLastWriteTime) {
  LSTATUS status;
  RegKey* key = Target(hKey, &status);
  if (key == nullptr) return status;
  if (DWORD fault = CheckFault("RegQueryInfoKeyA", key->Path())) return static_cast<LSTATUS>(fault);
  DWORD longestSubkey = 0;
  for (const auto& child : key->subkeys) {
    longestSubkey = std::max(longestSubkey, static_cast<DWORD>(child.second->name.size()));
  }
  DWORD longestName = 0;
  DWORD largestData = 0;
  for (const auto& value : key->values()) {
    longestName = std::max(longestName, static_cast<DWORD>(value.second.name.size()));
    largestData = std::max(largestData, static_cast<DWORD>(value.second.data.size()));
  }
  if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) lpClass[0] = '\0';
  if (lpcchClass != nullptr) *lpcchClass = 0;
  if (lpcSubKeys != nullptr) *lpcSubKeys = static_cast<DWORD>(key->subkeys.size());
  if (lpcbMaxSubKeyLen != nullptr) *lpcbMaxSubKeyLen = longestSubkey;
  if (lpcbMaxClassLen != nullptr) *lpcbMaxClassLen = 0;
  if (lpcValues != nullptr) *lpcValues = static_cast<DWORD>(key->values().size());
  if (lpcbMaxValueNameLen != nullptr) *lpcbMaxValueNameLen = longestName;
  if (lpcbMaxValueLen != nullptr) *lpcbMaxValueLen = largestData;
  if (lpcbSecurityDescriptor != nullptr) *lpcbSecurityDescriptor = 0;
  if (lpftLastWriteTime != nullptr) {
    lpftLastWriteTime->dwLowDateTime = 0;
    lpftLastWriteTime->dwHighDateTime = 0;
  }
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  LSTATUS status;
  RegKey* key = Target(hKey, &status);
  if (key == nullptr) return status;
  const std::string name = lpValueName == nullptr ? "" : lpValueName;
  if (DWORD fault = CheckFault("RegSetValueExA", key->Path() + "\\@" + name)) return static_cast<LSTATUS>(fault);
  RegValue& value = key->ChangeValues()[name];
  value.name = name;
  value.type = dwType;
  value.data.assign(lpData, lpData + (lpData == nullptr ? 0 : cbData));
  return ERROR_SUCCESS;
}

LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  LSTATUS status;
  RegKey* key = Target(hKey, &status);
  if (key == nullptr) return status;
  const std::string name = lpValueName == nullptr ? "" : lpValueName;
  if (DWORD fault = CheckFault("RegDeleteValueA", key->Path() + "\\@" + name)) return static_cast<LSTATUS>(fault);
  auto it = key->values().find(name);
  if (it == key->values().end()) return ERROR_FILE_NOT_FOUND;
  key->ChangeValues().erase(it);
  return ERROR_SUCCESS;
}

LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  LSTATUS status;
  RegKey* base = Target(hKey, &status);
  if (base == nullptr) return status;
  if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  const std::string viewPath = ViewPath(base, lpSubKey, 0);
  if (DWORD fault = CheckFault("RegDeleteKeyA", viewPath.empty() ? SubjectOf(base, lpSubKey) : viewPath)) {
    return static_cast<LSTATUS>(fault);
  }
  if (lpSubKey[0] == '\\') return ERROR_BAD_PATHNAME;  // as opening it would
  RegKey* key = ResolveInView(base, lpSubKey, viewPath);
  if (key == nullptr) return ERROR_FILE_NOT_FOUND;
  if (key->parent == nullptr) return ERROR_ACCESS_DENIED;
  // Windows 9x takes the subkeys along; the NT family deletes leaves only.
  if (!IsWin9xFamily() && !key->subkeys.empty()) return ERROR_ACCESS_DENIED;
  DeleteSubtree(key);
  return ERROR_SUCCESS;
}

LSTATUS SHDeleteKeyA(HKEY hKey, LPCSTR pszSubKey) {
  LSTATUS status;
  RegKey* base = Target(hKey, &status);
  if (base == nullptr) return status;
  const std::string viewPath = ViewPath(base, pszSubKey, 0);
  if (DWORD fault = CheckFault("SHDeleteKeyA", viewPath.empty() ? SubjectOf(base, pszSubKey) : viewPath)) {
    return static_cast<LSTATUS>(fault);
  }
  if (pszSubKey == nullptr || *pszSubKey == '\0') {
    // The key itself stays; everything in it goes.
    RemoveContents(base);
    return ERROR_SUCCESS;
  }
  if (pszSubKey[0] == '\\') return ERROR_BAD_PATHNAME;  // as opening it would
  RegKey* key = ResolveInView(base, pszSubKey, viewPath);
  if (key == nullptr) return ERROR_FILE_NOT_FOUND;
  DeleteSubtree(key);
  return ERROR_SUCCESS;
}

LSTATUS RegFlushKey(HKEY hKey) {
  LSTATUS status;
  RegKey* key = Target(hKey, &status);
  if (key == nullptr) return status;
  return static_cast<LSTATUS>(CheckFault("RegFlushKey", key->Path()));
}

LSTATUS RegCloseKey(HKEY hKey) {
  if (Root(hKey) != nullptr) return ERROR_SUCCESS;
  auto& open = Handles().open;
  auto it = open.find(reinterpret_cast<ULONG_PTR>(hKey));
  if (it == open.end()) return ERROR_INVALID_HANDLE;
  open.erase(it);
  return ERROR_SUCCESS;
}
