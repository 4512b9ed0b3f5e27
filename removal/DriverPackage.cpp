#include "removal/DriverPackage.h"

#include <cstring>
#include <memory>
#include <string>

#include "devices/OtherDevices.h"
#include "log/Kept.h"
#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "platform/system/SystemFunction.h"
#include "removal/RemovalSteps.h"
#include "removal/RestartDeletion.h"

namespace {

using UninstallOemInfFunction = BOOL(WINAPI*)(PCSTR, DWORD, PVOID);

// Only "not found" means gone: a file whose state cannot be read may be there.
bool IsThere(const CString& path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

// Read-only, hidden and system go first: neither Windows' uninstall nor a
// plain deletion takes a read-only file.
void ResetAttributes(const CString& path) {
  if (!NamesADirectory(path)) SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
}

void DeleteByHand(const CString& path) {
  if (!NamesADirectory(path)) DeleteFileOrSchedule(path);
}

}  // namespace

bool IsPublishedInfName(const char* infName) {
  if (_strnicmp(infName, "oem", 3) != 0) return false;
  const char* digit = infName + 3;
  const char* end = digit;
  while (*end >= '0' && *end <= '9') ++end;
  return end != digit && lstrcmpiA(end, ".inf") == 0;
}

bool DriverPackages::Take(const char* infName, const CString& infPath, const CString& pnfPath,
                          const OtherDevicesUse& others) {
  if (const DeviceUse* use = others.ByInf(infName)) {
    NoteKept(infPath, UsedByText(*use));
    LogEvent("driver package", infName, "kept, " + UsedByText(*use));
    return false;
  }
  for (const Taken& earlier : taken_) {
    if (lstrcmpiA(earlier.name, infName) == 0) return true;
  }
  taken_.push_back({infName, infPath, pnfPath});
  return true;
}

void DriverPackages::RemoveAfterDevices() {
  const UninstallOemInfFunction uninstall =
      GetSystemFunctionAs<UninstallOemInfFunction>("setupapi.dll", "SetupUninstallOEMInfA");
  // What a hand deletion must check first, read once when one is needed.
  std::unique_ptr<OtherDevicesUse> stillUsed;
  for (const Taken& inf : taken_) {
    // Only while the INF is there can the package be found by its name.
    const bool published = uninstall != nullptr && IsPublishedInfName(inf.name) && IsThere(inf.infPath);
    if (!published && !stillUsed) stillUsed = std::make_unique<OtherDevicesUse>(FindEveryDevicesUse());
    if (!published && (!stillUsed->complete || stillUsed->ByInf(inf.name) != nullptr)) {
      LogEvent("driver package", inf.name, "not deleted: a device may still use it");
      if (IsThere(inf.infPath)) NoteLeftover(inf.infPath);
      if (IsThere(inf.pnfPath)) NoteLeftover(inf.pnfPath);
      continue;
    }
    ResetAttributes(inf.infPath);
    ResetAttributes(inf.pnfPath);
    if (published && !uninstall(inf.name, 0, nullptr)) {
      const std::string refused = "not uninstalled, error " + std::to_string(GetLastError());
      LogEvent("driver package", inf.name, refused.c_str());
      NoteLeftover(inf.infPath);
      continue;
    }
    if (published) LogEvent("driver package", inf.name, "uninstalled");
    DeleteByHand(inf.infPath);
    DeleteByHand(inf.pnfPath);
  }
}
