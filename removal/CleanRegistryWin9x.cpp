// 9x family: the package's media-class instances (two passes), the
// enumeration keys of its devices, its Uninstall entry and the maker's keys
// the profile names.
#include <cstring>

#include "profile/RunProfile.h"
#include "removal/MakerKeys.h"
#include "removal/RegistryNames.h"
#include "removal/Removal.h"

namespace {

const char kMediaClassKey9x[] = "SYSTEM\\CurrentControlSet\\Services\\Class\\MEDIA";
const DWORD kDescriptionSize = 256;

// The size variable carries over from one read to the next, as it always
// has; a longer description is then read again with the size reported.
void ReadDescription(HKEY instance, char* description, DWORD* size) {
  std::memset(description, 0, kDescriptionSize + 1);
  // Never more than the buffer holds, whatever the last read reported.
  if (*size > kDescriptionSize) *size = kDescriptionSize;
  const LSTATUS read =
      RegQueryValueExA(instance, "DriverDesc", nullptr, nullptr, reinterpret_cast<LPBYTE>(description), size);
  if (read != ERROR_MORE_DATA) return;
  if (*size > kDescriptionSize) *size = kDescriptionSize;
  RegQueryValueExA(instance, "DriverDesc", nullptr, nullptr, reinterpret_cast<LPBYTE>(description), size);
}

// Only what the last pass leaves stays for good.
void MediaClassPass(DWORD* descriptionSize, bool lastPass) {
  DeleteClassInstances(
      kMediaClassKey9x,
      [descriptionSize](HKEY instance, const char*) {
        char description[kDescriptionSize + 1];
        ReadDescription(instance, description, descriptionSize);
        return DescriptionIsThePackages(description);
      },
      lastPass);
}

void DeleteEnumKeys(const char* parentPath, const CString* names, int count) {
  const int usable = UsableCount(count, MAX_ENUM_IDS);
  for (int i = 0; i < usable; ++i) {
    // An empty name would be the enumeration branch itself.
    if (names[i].IsEmpty()) continue;
    HKEY parent = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parentPath, 0, KEY_ALL_ACCESS, &parent) != ERROR_SUCCESS) {
      NoteKeyIfThere(parentPath, names[i]);
      continue;
    }
    // Windows 9x deletes the device's key with everything below it.
    DeleteWholeKeyOrNoteIt(parent, parentPath, names[i]);
    RegCloseKey(parent);
  }
}

}  // namespace

int CleanRegistryWin9x() {
  DWORD descriptionSize = kDescriptionSize;
  MediaClassPass(&descriptionSize, false);
  MediaClassPass(&descriptionSize, true);
  DeleteEnumKeys(g_bUsbDevice ? "Enum\\USB" : "Enum\\PCI", g_strVenID, g_nVenIDNum);
  DeleteEnumKeys("Enum\\STREAM", g_strCxID, g_nCxIDNum);
  DeleteUninstallEntry(TheProfile().m_szDrvUninstRegKeyPath);
  DeleteMakerKeys();
  return 1;
}
