#include "removal/InfCollection.h"

#include <cstring>

#include "app/DrvUninstApp.h"

namespace {

const DWORD kSubkeyNameSize = 250;
const DWORD kValueSize = 256;

// An empty name would match every description.
bool DescriptionBeginsWith(const char* description, const char* name) {
  const size_t length = std::strlen(name);
  return length > 0 && _strnicmp(description, name, length) == 0;
}

void AddInfPath(HKEY instance, InfList* list) {
  if (list->count >= INF_LIST_SLOTS) return;
  char* slot = list->slots[list->count];
  std::memset(slot, 0, INF_SLOT_SIZE);
  DWORD size = kValueSize - 1;  // keeps a terminator even for a value stored without one
  if (RegQueryValueExA(instance, "InfPath", nullptr, nullptr, reinterpret_cast<LPBYTE>(slot), &size) !=
      ERROR_SUCCESS) {
    return;
  }
  // An empty name would make the INF directory itself the path.
  if (slot[0] == '\0') return;
  ++list->count;
}

void AddMatches(HKEY instance, const char* description, const DRVENTRY* entries, int count, InfList* list) {
  const int usable = UsableCount(count, MAX_DRV_ENTRIES);
  for (int i = 0; i < usable; ++i) {
    if (DescriptionBeginsWith(description, entries[i].szDrvName)) AddInfPath(instance, list);
  }
}

void VisitInstance(HKEY classKey, const char* subkeyName, InfList* list) {
  HKEY instance = nullptr;
  if (RegOpenKeyExA(classKey, subkeyName, 0, KEY_ALL_ACCESS, &instance) != ERROR_SUCCESS) return;
  char description[kValueSize + 1];
  std::memset(description, 0, sizeof(description));
  DWORD size = kValueSize;
  if (RegQueryValueExA(instance, "DriverDesc", nullptr, nullptr, reinterpret_cast<LPBYTE>(description), &size) ==
      ERROR_SUCCESS) {
    AddMatches(instance, description, theApp.m_DevDrv, theApp.m_nDevIDNum, list);
    AddMatches(instance, description, theApp.m_ExtDevDrv, theApp.m_nExtDevIDNum, list);
    AddMatches(instance, description, theApp.m_PossibleExtDevDrv, theApp.m_nPossibleExtDevIDNum, list);
  }
  RegCloseKey(instance);
}

}  // namespace

void CollectInfFiles(InfList* list) {
  list->count = 0;
  HKEY classKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_szClassKey, 0, KEY_ALL_ACCESS, &classKey) != ERROR_SUCCESS) return;
  char subkeyName[kSubkeyNameSize];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = kSubkeyNameSize;
    FILETIME lastWrite;
    if (RegEnumKeyExA(classKey, index, subkeyName, &nameSize, nullptr, nullptr, nullptr, &lastWrite) !=
        ERROR_SUCCESS) {
      break;
    }
    VisitInstance(classKey, subkeyName, list);
  }
  RegCloseKey(classKey);
}

void PnfNameFor(const char* infName, char* pnfName, unsigned size) {
  char copy[INF_SLOT_SIZE];
  std::memset(copy, 0, sizeof(copy));
  std::strncpy(copy, infName, sizeof(copy) - 1);
  const char* base = std::strtok(copy, ".");
  pnfName[0] = '\0';
  if (std::strlen(base == nullptr ? "" : base) + sizeof(".pnf") > size) return;
  if (base != nullptr) std::strcpy(pnfName, base);
  std::strcat(pnfName, ".pnf");
}
