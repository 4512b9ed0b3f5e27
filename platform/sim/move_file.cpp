// MoveFileExA on the simulated machine: a rename now, or an operation left
// for the next restart in the Session Manager's pending list, as the NT
// family keeps it. Windows 9x has only a stub that fails.
#include "platform/sim/events.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/restart.h"
#include "platform/sim/win32_api.h"

namespace {

void AppendString(std::vector<BYTE>* data, const std::string& text) {
  data->insert(data->end(), text.begin(), text.end());
  data->push_back(0);
}

// Source, NUL, destination (empty to delete), NUL; the list ends with a further NUL.
void AppendPendingOperation(const std::string& source, const std::string& destination) {
  std::vector<BYTE> data;
  for (const auto& operation : sim::PendingFileRenames()) {
    AppendString(&data, "\\??\\" + operation.first);
    AppendString(&data, operation.second.empty() ? "" : "\\??\\" + operation.second);
  }
  AppendString(&data, source);
  AppendString(&data, destination);
  data.push_back(0);
  sim::registry::SetValue(sim::kSessionManagerKey, sim::kPendingRenamesValue, REG_MULTI_SZ, data);
}

BOOL RenameNow(LPCSTR existing, LPCSTR newName, DWORD flags) {
  sim::files::Lookup source = sim::files::Find(existing);
  if (source.entry == nullptr) {
    SetLastError(source.error);
    return FALSE;
  }
  if (sim::files::OpenWithoutDeleteSharing(source.entry->path)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  sim::files::Lookup target = sim::files::Find(newName);
  if (target.entry != nullptr) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return FALSE;
    }
    if (target.entry->directory || (target.entry->attributes & FILE_ATTRIBUTE_READONLY)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
  } else if (target.error != ERROR_FILE_NOT_FOUND) {
    SetLastError(target.error);
    return FALSE;
  }
  const sim::files::FileEntry moved = *source.entry;
  sim::files::Erase(moved.path);
  sim::files::Write(newName, moved.content, moved.attributes);
  return TRUE;
}

}  // namespace

BOOL MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
  if (lpExistingFileName != nullptr && lpNewFileName == nullptr && (dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT)) {
    sim::events::Record(sim::events::Kind::FileDeleteAtRestart, lpExistingFileName);
  }
  if (DWORD fault = sim::CheckFault("MoveFileExA", lpExistingFileName == nullptr ? "" : lpExistingFileName)) {
    SetLastError(fault);
    return FALSE;
  }
  if (sim::IsWin9xFamily()) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  if (lpExistingFileName == nullptr || (lpNewFileName == nullptr && !(dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!(dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT)) return RenameNow(lpExistingFileName, lpNewFileName, dwFlags);
  // The list is under HKLM: only an administrator may add to it.
  if (!sim::processes::Elevated()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::string destination;
  if (lpNewFileName != nullptr) {
    destination = std::string(dwFlags & MOVEFILE_REPLACE_EXISTING ? "!" : "") + "\\??\\" +
                  sim::files::Absolute(lpNewFileName);
  }
  AppendPendingOperation("\\??\\" + sim::files::Absolute(lpExistingFileName), destination);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
