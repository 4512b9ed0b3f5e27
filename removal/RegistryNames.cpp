#include "removal/RegistryNames.h"

#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "platform/system/WindowsBitness.h"
#include "profile/RunProfile.h"

#include <cstring>
#include <string>
#include <vector>

const char kUninstallKeyPath[] = "SoftWare\\MicroSoft\\Windows\\CurrentVersion\\Uninstall";
const char kMediaClassKeyPath[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}";
const char kImagingClassKeyPath[] =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";

const char* ChooseClassKey(const char* mediaClass) {
  const char* chosen = _strnicmp(mediaClass, "No", 2) == 0 ? kImagingClassKeyPath : kMediaClassKeyPath;
  std::strcpy(g_szClassKey, chosen);
  return g_szClassKey;
}

bool DescriptionEqualsAnyName(const char* description, const DRVENTRY* entries, int count) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    if (entries[i].szDrvName[0] == '\0') continue;
    if (lstrcmpiA(description, entries[i].szDrvName) == 0) return true;
  }
  return false;
}

bool DescriptionIsThePackages(const char* description) {
  const UninstProfile& profile = TheProfile();
  return DescriptionEqualsAnyName(description, profile.m_DevDrv, profile.m_nDevIDNum) ||
         DescriptionEqualsAnyName(description, profile.m_ExtDevDrv, profile.m_nExtDevIDNum);
}

namespace {

// Only a key known to be missing is gone; one that cannot be read may be there.
bool KeyIsGone(HKEY parent, const char* name) {
  HKEY key = nullptr;
  const LSTATUS opened = RegOpenKeyExA(parent, name, 0, KEY_READ, &key);
  if (opened == ERROR_SUCCESS) RegCloseKey(key);
  return opened == ERROR_FILE_NOT_FOUND || opened == ERROR_PATH_NOT_FOUND;
}

CString FullKeyName(const char* parentPath, const char* name) {
  return CString("HKEY_LOCAL_MACHINE\\") + parentPath + "\\" + name;
}

void NoteLeftoverKey(const char* parentPath, const char* name) { NoteLeftover(FullKeyName(parentPath, name)); }

void NoteLockedKey(const char* parentPath, const char* name) {
  LogEvent("key", FullKeyName(parentPath, name), "kept: cannot be opened for deleting");
  NoteLeftoverKey(parentPath, name);
}

// What became of a key the run set out to delete, for the log.
void LogDeletedKey(LSTATUS deleted, const char* parentPath, const char* name) {
  if (deleted == ERROR_SUCCESS) {
    LogEvent("key", FullKeyName(parentPath, name), "removed");
  } else if (deleted == ERROR_FILE_NOT_FOUND) {
    LogEvent("key", FullKeyName(parentPath, name), "not there");
  } else {
    LogEvent("key", FullKeyName(parentPath, name), ("deletion failed, error " + std::to_string(deleted)).c_str());
  }
}

}  // namespace

bool NoteIfStillThere(HKEY parent, const char* parentPath, const char* name) {
  if (KeyIsGone(parent, name)) return false;
  NoteLeftoverKey(parentPath, name);
  return true;
}

bool DeleteKeyOrNoteIt(HKEY parent, const char* parentPath, const char* name) {
  const LSTATUS deleted = SHDeleteKeyA(parent, name);
  LogDeletedKey(deleted, parentPath, name);
  if (deleted == ERROR_SUCCESS) return true;
  return !NoteIfStillThere(parent, parentPath, name);
}

bool DeleteWholeKeyOrNoteIt(HKEY parent, const char* parentPath, const char* name) {
  const LSTATUS deleted = RegDeleteKeyA(parent, name);
  LogDeletedKey(deleted, parentPath, name);
  if (deleted == ERROR_SUCCESS) return true;
  return !NoteIfStillThere(parent, parentPath, name);
}

void NoteKeyIfThere(const char* parentPath, const char* name) {
  HKEY parent = nullptr;
  const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, parentPath, 0, KEY_READ, &parent);
  if (opened == ERROR_FILE_NOT_FOUND || opened == ERROR_PATH_NOT_FOUND) return;
  if (opened != ERROR_SUCCESS) {
    NoteLeftoverKey(parentPath, name);
    return;
  }
  NoteIfStillThere(parent, parentPath, name);
  RegCloseKey(parent);
}

namespace {

bool IsMissing(LSTATUS status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

// For an instance that could not be opened for deleting: whether it is the
// package's, asked with read access only. One that cannot even be read may
// be the package's.
bool MayBeThePackages(HKEY classKey, const char* name, const std::function<bool(HKEY instance, const char* name)>& isPackageInstance) {
  HKEY instance = nullptr;
  const LSTATUS opened = RegOpenKeyExA(classKey, name, 0, KEY_READ, &instance);
  if (opened != ERROR_SUCCESS) return !IsMissing(opened);
  const bool match = isPackageInstance(instance, name);
  RegCloseKey(instance);
  return match;
}

// A class key we may not change keeps the package's instances: each is
// named, or the class key itself when not even its list can be read.
void NoteInstancesOfLockedClassKey(const char* classKeyPath,
                                   const std::function<bool(HKEY instance, const char* name)>& isPackageInstance) {
  HKEY classKey = nullptr;
  const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, classKeyPath, 0, KEY_READ, &classKey);
  if (IsMissing(opened)) return;
  if (opened != ERROR_SUCCESS) {
    LogEvent("key", CString("HKEY_LOCAL_MACHINE\\") + classKeyPath, "kept: cannot be read");
    NoteLeftover(CString("HKEY_LOCAL_MACHINE\\") + classKeyPath);
    return;
  }
  char subkeyName[256];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof(subkeyName);
    FILETIME lastWrite;
    if (RegEnumKeyExA(classKey, index, subkeyName, &nameSize, nullptr, nullptr, nullptr, &lastWrite) !=
        ERROR_SUCCESS) {
      break;
    }
    if (MayBeThePackages(classKey, subkeyName, isPackageInstance)) NoteLockedKey(classKeyPath, subkeyName);
  }
  RegCloseKey(classKey);
}

}  // namespace

void DeleteClassInstances(const char* classKeyPath, const std::function<bool(HKEY instance, const char* name)>& isPackageInstance,
                          bool noteWhatStays) {
  HKEY classKey = nullptr;
  const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, classKeyPath, 0, KEY_ALL_ACCESS, &classKey);
  if (opened != ERROR_SUCCESS) {
    // No class key, no instance of the package.
    if (noteWhatStays && !IsMissing(opened)) NoteInstancesOfLockedClassKey(classKeyPath, isPackageInstance);
    return;
  }
  std::vector<CString> matches;
  char subkeyName[256];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof(subkeyName);
    FILETIME lastWrite;
    if (RegEnumKeyExA(classKey, index, subkeyName, &nameSize, nullptr, nullptr, nullptr, &lastWrite) !=
        ERROR_SUCCESS) {
      break;
    }
    HKEY instance = nullptr;
    if (RegOpenKeyExA(classKey, subkeyName, 0, KEY_ALL_ACCESS, &instance) != ERROR_SUCCESS) {
      if (noteWhatStays && MayBeThePackages(classKey, subkeyName, isPackageInstance)) {
        NoteLockedKey(classKeyPath, subkeyName);
      }
      continue;
    }
    const bool match = isPackageInstance(instance, subkeyName);
    RegCloseKey(instance);
    if (match) matches.push_back(subkeyName);
  }
  for (const CString& name : matches) {
    const LSTATUS deleted = SHDeleteKeyA(classKey, name);
    // A pass that is not the last may fail quietly: the next one tries again.
    if (deleted == ERROR_SUCCESS || noteWhatStays) LogDeletedKey(deleted, classKeyPath, name);
    if (deleted != ERROR_SUCCESS && noteWhatStays) NoteIfStillThere(classKey, classKeyPath, name);
  }
  RegCloseKey(classKey);
}

CString SoftwareKeyName(REGSAM view, const char* pathBelowSoftware) {
  CString name(view == KEY_WOW64_32KEY ? "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\"
                                       : "HKEY_LOCAL_MACHINE\\SOFTWARE\\");
  name += pathBelowSoftware;
  return name;
}

namespace {

// The entry as regedit shows it, for the list of what stayed.
CString UninstallEntryName(REGSAM view, const char* subkeyName) {
  CString name("Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
  name += subkeyName;
  return SoftwareKeyName(view, name);
}

// Whether the entry is there, asked with read access only, for a view whose
// Uninstall key could not be opened for deleting.
bool UninstallEntryExists(REGSAM view, const char* subkeyName) {
  CString path(kUninstallKeyPath);
  path += "\\";
  path += subkeyName;
  HKEY entry = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &entry) != ERROR_SUCCESS) return false;
  RegCloseKey(entry);
  return true;
}

void DeleteUninstallEntryInView(REGSAM view, const char* subkeyName) {
  HKEY uninstallKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, KEY_ALL_ACCESS | view, &uninstallKey) != ERROR_SUCCESS) {
    if (subkeyName[0] != '\0' && UninstallEntryExists(view, subkeyName)) {
      NoteLeftover(UninstallEntryName(view, subkeyName));
    }
    return;
  }
  if (subkeyName[0] != '\0') {
    const LSTATUS deleted = SHDeleteKeyA(uninstallKey, subkeyName);
    if (deleted == ERROR_SUCCESS) LogEvent("key", UninstallEntryName(view, subkeyName), "removed");
    // Missing in this view is no failure: an installer writes one view.
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) {
      LogEvent("key", UninstallEntryName(view, subkeyName), ("deletion failed, error " + std::to_string(deleted)).c_str());
      NoteLeftover(UninstallEntryName(view, subkeyName));
    }
  }
  RegFlushKey(uninstallKey);
  RegCloseKey(uninstallKey);
}

}  // namespace

void DeleteUninstallEntry(const char* subkeyName) {
  REGSAM views[MAX_REGISTRY_VIEWS];
  const int viewCount = SoftwareRegistryViews(views);
  for (int i = 0; i < viewCount; ++i) DeleteUninstallEntryInView(views[i], subkeyName);
}
