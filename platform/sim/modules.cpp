// LoadLibraryA, GetProcAddress and FreeLibrary over the exports the simulated
// functions declare.
#include "platform/sim/modules.h"

#include <cstdint>
#include <set>
#include <vector>

#include "platform/sim/faults.h"
#include "platform/sim/win32_api.h"

namespace sim {
namespace modules {
namespace {

struct ExportRecord {
  std::string library;  // lower case, "setupapi.dll"
  std::string name;
  FARPROC function;
  Availability available;
};

// Function-local so that exports declared in other files' static
// initialisers find it constructed.
std::vector<ExportRecord>& Exports() {
  static std::vector<ExportRecord> exports;
  return exports;
}

const char* const kSystemLibraries[] = {"kernel32.dll", "advapi32.dll", "user32.dll", "setupapi.dll",
                                        "shlwapi.dll",  "comctl32.dll", "gdi32.dll",  "ntdll.dll"};
const uintptr_t kFirstLibraryBase = 0x70000000;
const uintptr_t kLibraryStride = 0x100000;

struct ModuleState {
  std::set<std::pair<std::string, std::string>> missing;
  std::vector<std::string> loadRequests;
};

ModuleState& State() {
  static ModuleState state;
  return state;
}

ResetHook resetModules([] { State() = ModuleState(); });

// The file name of a bare name or a path; only the system directory holds
// system libraries, so a path elsewhere names none.
std::string LibraryName(const std::string& request) {
  const size_t slash = request.find_last_of("\\/");
  if (slash == std::string::npos) return ToLower(request);
  std::string directory = request.substr(0, slash);
  char system[MAX_PATH];
  const UINT length = GetSystemDirectoryA(system, sizeof(system));
  if (length == 0 || length >= sizeof(system) || !EqualsNoCase(directory, system)) return "";
  return ToLower(request.substr(slash + 1));
}

const ExportRecord* FindExport(const std::string& library, const std::string& name) {
  for (const ExportRecord& record : Exports()) {
    if (record.library == library && record.name == name) return &record;
  }
  return nullptr;
}

}  // namespace

Export::Export(const char* library, const char* name, FARPROC function, Availability available) {
  Exports().push_back({ToLower(library), name, function, available});
}

void SetExportMissing(const std::string& library, const std::string& name, bool missing) {
  const auto key = std::make_pair(ToLower(library), name);
  if (missing) {
    State().missing.insert(key);
  } else {
    State().missing.erase(key);
  }
}

const std::vector<std::string>& LoadRequests() { return State().loadRequests; }

HMODULE SystemLibraryHandle(const std::string& name) {
  std::string wanted = ToLower(name);
  if (wanted.find('.') == std::string::npos) wanted += ".dll";
  for (size_t i = 0; i < sizeof(kSystemLibraries) / sizeof(kSystemLibraries[0]); ++i) {
    if (wanted == kSystemLibraries[i]) return reinterpret_cast<HMODULE>(kFirstLibraryBase + i * kLibraryStride);
  }
  return nullptr;
}

}  // namespace modules
}  // namespace sim

using namespace sim::modules;

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
  const std::string request = lpLibFileName == nullptr ? "" : lpLibFileName;
  State().loadRequests.push_back(request);
  if (DWORD fault = sim::CheckFault("LoadLibraryA", request)) {
    SetLastError(fault);
    return nullptr;
  }
  const std::string name = LibraryName(request);
  HMODULE module = name.empty() ? nullptr : SystemLibraryHandle(name);
  if (module == nullptr) SetLastError(ERROR_MOD_NOT_FOUND);
  return module;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  const std::string name = lpProcName == nullptr ? "" : lpProcName;
  if (DWORD fault = sim::CheckFault("GetProcAddress", name)) {
    SetLastError(fault);
    return nullptr;
  }
  for (size_t i = 0; i < sizeof(kSystemLibraries) / sizeof(kSystemLibraries[0]); ++i) {
    if (hModule != SystemLibraryHandle(kSystemLibraries[i])) continue;
    const ExportRecord* record = FindExport(kSystemLibraries[i], name);
    const bool missing = record == nullptr || State().missing.count({record->library, name}) != 0 ||
                         (record->available != nullptr && !record->available(sim::Version()));
    if (missing) {
      SetLastError(ERROR_PROC_NOT_FOUND);
      return nullptr;
    }
    return record->function;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

BOOL FreeLibrary(HMODULE hLibModule) {
  if (hLibModule == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
