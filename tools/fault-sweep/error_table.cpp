#include "tools/fault-sweep/error_table.h"

#include <map>

#include "platform/win32.h"

namespace sweep {
namespace {

const DWORD kNoSuchDevinst = 0xE000020B;
const DWORD kInfInUseByDevices = 0xE000023D;
const DWORD kResourceNameNotFound = 1814;
const DWORD kElevationRequired = 740;

const std::map<std::string, std::vector<DWORD>>& Table() {
  static const std::map<std::string, std::vector<DWORD>> table = {
      // Registry: missing or denied keys, short buffers, the end of a list.
      {"RegOpenKeyExA", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED}},
      {"RegOpenKeyA", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED}},
      {"RegCreateKeyExA", {ERROR_ACCESS_DENIED}},
      {"RegEnumKeyExA", {ERROR_MORE_DATA, ERROR_NO_MORE_ITEMS, ERROR_ACCESS_DENIED}},
      {"RegQueryValueExA", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_MORE_DATA}},
      {"RegQueryInfoKeyA", {ERROR_ACCESS_DENIED}},
      {"RegSetValueExA", {ERROR_ACCESS_DENIED}},
      {"RegDeleteValueA", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED}},
      {"RegDeleteKeyA", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED}},
      {"SHDeleteKeyA", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED}},
      {"RegFlushKey", {ERROR_ACCESS_DENIED}},
      // Files: missing, denied, in use.
      {"DeleteFileA", {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION}},
      {"SetFileAttributesA", {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED}},
      {"GetFileAttributesA", {ERROR_ACCESS_DENIED}},
      {"GetWindowsDirectoryA", {ERROR_NOT_ENOUGH_MEMORY}},
      // The restart lists: the Session Manager's is admin-only; WININIT.INI
      // may be locked, read-only or on a full disk.
      {"MoveFileExA", {ERROR_ACCESS_DENIED, ERROR_NOT_ENOUGH_MEMORY}},
      {"GetShortPathNameA", {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED}},
      {"CreateFileA", {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_DISK_FULL}},
      {"GetFileSize", {ERROR_INVALID_HANDLE}},
      {"ReadFile", {ERROR_LOCK_VIOLATION, ERROR_NOT_ENOUGH_MEMORY}},
      {"SetFilePointer", {ERROR_INVALID_HANDLE}},
      {"WriteFile", {ERROR_DISK_FULL, ERROR_LOCK_VIOLATION}},
      {"GetPrivateProfileStringA", {ERROR_FILE_NOT_FOUND}},
      {"GetPrivateProfileIntA", {ERROR_FILE_NOT_FOUND}},
      // System.
      {"GetVersionExA", {ERROR_INSUFFICIENT_BUFFER}},
      {"LocalAlloc", {ERROR_NOT_ENOUGH_MEMORY}},
      // Devices.
      {"SetupDiGetClassDevsA", {ERROR_INVALID_PARAMETER, ERROR_NOT_ENOUGH_MEMORY}},
      {"SetupDiEnumDeviceInfo", {ERROR_NO_MORE_ITEMS, ERROR_NOT_ENOUGH_MEMORY}},
      {"SetupDiGetDeviceRegistryPropertyA", {ERROR_INVALID_DATA, ERROR_ACCESS_DENIED, ERROR_KEY_DELETED, kNoSuchDevinst}},
      {"SetupDiRemoveDevice", {ERROR_ACCESS_DENIED, kNoSuchDevinst}},
      // A device's filter list: the device gone meanwhile, or the change refused.
      {"SetupDiSetDeviceRegistryPropertyA", {ERROR_ACCESS_DENIED, kNoSuchDevinst}},
      {"SetupDiGetDeviceInstanceIdA", {ERROR_INSUFFICIENT_BUFFER, kNoSuchDevinst}},
      {"SetupDiDestroyDeviceInfoList", {ERROR_INVALID_HANDLE}},
      // A package: not published (deleted by hand before), no administrator,
      // or its force flag ignored while devices still use it.
      {"SetupUninstallOEMInfA", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, kInfInUseByDevices}},
      // A function this Windows lacks.
      {"GetProcAddress", {ERROR_PROC_NOT_FOUND}},
      // Processes and privileges.
      {"CreateToolhelp32Snapshot", {ERROR_ACCESS_DENIED, ERROR_NOT_ENOUGH_MEMORY}},
      {"Process32First", {ERROR_NO_MORE_FILES}},
      {"Process32Next", {ERROR_NO_MORE_FILES}},
      {"OpenProcessToken", {ERROR_ACCESS_DENIED}},
      {"LookupPrivilegeValueA", {ERROR_NO_SUCH_PRIVILEGE}},
      {"AdjustTokenPrivileges", {ERROR_ACCESS_DENIED}},
      {"OpenProcess", {ERROR_ACCESS_DENIED, ERROR_INVALID_PARAMETER}},
      {"TerminateProcess", {ERROR_ACCESS_DENIED}},
      {"CloseHandle", {ERROR_INVALID_HANDLE}},
      // Windows: another program's window may vanish or hang at any moment;
      // the program's own dialog and box may fail to be created.
      {"FindWindowA", {ERROR_FILE_NOT_FOUND}},
      {"SendMessageTimeoutA", {ERROR_TIMEOUT, ERROR_INVALID_WINDOW_HANDLE}},
      {"MessageBoxA", {ERROR_NOT_ENOUGH_MEMORY}},
      {"DialogBoxParamA", {kResourceNameNotFound, ERROR_NOT_ENOUGH_MEMORY}},
      // The 32-bit program's hand-over on 64-bit Windows: the carried program
      // missing, no system folder, a full disk, a start refused, the file
      // held by someone else.
      {"FindResourceA", {ERROR_RESOURCE_TYPE_NOT_FOUND, kResourceNameNotFound}},
      {"LoadResource", {ERROR_NOT_ENOUGH_MEMORY}},
      {"GetSystemWindowsDirectoryA", {ERROR_NOT_ENOUGH_MEMORY}},
      {"ConvertStringSecurityDescriptorToSecurityDescriptorA", {ERROR_NOT_ENOUGH_MEMORY}},
      {"CreateDirectoryA", {ERROR_ALREADY_EXISTS, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_DISK_FULL}},
      {"CreateFileA", {ERROR_ACCESS_DENIED, ERROR_DISK_FULL, ERROR_SHARING_VIOLATION}},
      {"WriteFile", {ERROR_DISK_FULL, ERROR_ACCESS_DENIED}},
      {"CreateProcessA", {ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT, kElevationRequired, ERROR_NOT_ENOUGH_MEMORY}},
      {"WaitForSingleObject", {ERROR_INVALID_HANDLE}},
      {"RemoveDirectoryA", {ERROR_DIR_NOT_EMPTY, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION}},
      {"IsWow64Process", {ERROR_ACCESS_DENIED}},
  };
  return table;
}

}  // namespace

const std::vector<DWORD>& ErrorsOf(const std::string& api) {
  static const std::vector<DWORD> none;
  auto found = Table().find(api);
  return found == Table().end() ? none : found->second;
}

}  // namespace sweep
