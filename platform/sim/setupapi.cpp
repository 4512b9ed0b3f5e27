// SETUPAPI over the devices' Enum keys, returning what the platform notes
// record: a snapshot of the listed devices, properties read live from the
// registry, and removal that deletes the Enum key and its emptied parents.
#include <cstring>
#include <memory>
#include <unordered_map>

#include "platform/sim/device_store.h"
#include "platform/sim/driver_store.h"
#include "platform/sim/events.h"
#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/modules.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/win32_api.h"
#include "platform/sim/win32_api_wow64.h"
#include "platform/sim/wow64.h"

namespace sim {
namespace devices {
namespace {

// Wine leaves this in the last error after a successful SetupDiGetClassDevsA.
constexpr DWORD kErrorAfterClassDevs = 14007;
constexpr DWORD kErrorInvalidRegProperty = 0xE0000209;

struct Element {
  std::string bus, device, instance;  // key names as stored
  std::string instanceId;             // upper-cased, as Windows reports it
  std::shared_ptr<RegKey> key;        // the Enum key seen when the set was made
  GUID classGuid{};
  DWORD devInst = 0;
  bool removed = false;
};

struct DeviceSet {
  std::vector<Element> elements;
};

struct SetupState {
  std::unordered_map<ULONG_PTR, DeviceSet> sets;
  ULONG_PTR nextHandle = 0x5E700;
  DWORD nextDevInst = 1;  // counts up across sets, as DevInst numbers do
  std::vector<std::string> removals;
};

SetupState& State() {
  static SetupState state;
  return state;
}

ResetHook resetSetupApi([] { State() = SetupState(); });

// Windows 2000 lacks it; the program looks it up at run time.
modules::Export uninstallOemInf("setupapi.dll", "SetupUninstallOEMInfA",
                                reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&driverstore::SetupUninstallOEMInfA)),
                                driverstore::HasSetupUninstallOEMInf);

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"; anything else is no GUID.
bool ParseBracedGuid(const std::string& text, GUID* guid) {
  static const char kShape[] = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
  if (text.size() != sizeof(kShape) - 1) return false;
  unsigned char bytes[16];
  int nibbles = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (kShape[i] != 'x') {
      if (text[i] != kShape[i]) return false;
      continue;
    }
    const int digit = HexDigit(text[i]);
    if (digit < 0) return false;
    if (nibbles % 2 == 0) bytes[nibbles / 2] = static_cast<unsigned char>(digit << 4);
    else bytes[nibbles / 2] |= static_cast<unsigned char>(digit);
    ++nibbles;
  }
  guid->Data1 = (DWORD(bytes[0]) << 24) | (DWORD(bytes[1]) << 16) | (DWORD(bytes[2]) << 8) | bytes[3];
  guid->Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
  guid->Data3 = static_cast<WORD>((bytes[6] << 8) | bytes[7]);
  std::memcpy(guid->Data4, bytes + 8, 8);
  return true;
}

bool ClassOf(const RegKey& key, GUID* guid) {
  auto it = key.values().find("ClassGUID");
  if (it == key.values().end() || it->second.type != REG_SZ) return false;
  std::string text(it->second.data.begin(), it->second.data.end());
  const size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return ParseBracedGuid(text, guid);
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Every Enum key exactly three levels down with a braced ClassGUID, in the
// registry's sorted order.
DeviceSet Snapshot(const GUID* classFilter, const std::string& busFilter, bool presentOnly) {
  DeviceSet set;
  RegKey* enumKey = registry::Find(EnumRoot());
  if (enumKey == nullptr) return set;
  for (const auto& bus : enumKey->subkeys) {
    if (!busFilter.empty() && !EqualsNoCase(bus.second->name, busFilter)) continue;
    for (const auto& device : bus.second->subkeys) {
      for (const auto& instance : device.second->subkeys) {
        Element element;
        if (!ClassOf(*instance.second, &element.classGuid)) continue;
        if (classFilter != nullptr && std::memcmp(classFilter, &element.classGuid, sizeof(GUID)) != 0) continue;
        element.bus = bus.second->name;
        element.device = device.second->name;
        element.instance = instance.second->name;
        element.instanceId = Upper(element.bus + "\\" + element.device + "\\" + element.instance);
        if (presentOnly && !IsPluggedIn(element.instanceId)) continue;
        element.key = instance.second;
        element.devInst = State().nextDevInst++;
        set.elements.push_back(std::move(element));
      }
    }
  }
  return set;
}

DeviceSet* SetOf(HDEVINFO handle) {
  auto it = State().sets.find(reinterpret_cast<ULONG_PTR>(handle));
  return it == State().sets.end() ? nullptr : &it->second;
}

// The element a record filled by SetupDiEnumDeviceInfo stands for.
Element* ElementOf(DeviceSet* set, const SP_DEVINFO_DATA* data) {
  if (data == nullptr || data->cbSize != sizeof(SP_DEVINFO_DATA)) return nullptr;
  if (data->Reserved == 0 || data->Reserved > set->elements.size()) return nullptr;
  return &set->elements[data->Reserved - 1];
}

// As above, setting the error a call on a bad set or record gives.
Element* ElementOrError(HDEVINFO handle, const SP_DEVINFO_DATA* data) {
  DeviceSet* set = SetOf(handle);
  if (set == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  Element* element = ElementOf(set, data);
  if (element == nullptr) SetLastError(ERROR_INVALID_PARAMETER);
  return element;
}

// The element a query about one device is on, or null with the error set:
// a bad set or record, a fault, or a device removed through this set.
Element* ElementForQuery(const char* api, HDEVINFO handle, const SP_DEVINFO_DATA* data) {
  Element* element = ElementOrError(handle, data);
  if (element == nullptr) return nullptr;
  if (DWORD fault = CheckFault(api, element->instanceId)) {
    SetLastError(fault);
    return nullptr;
  }
  if (element->removed) {
    SetLastError(ERROR_NO_SUCH_DEVINST);
    return nullptr;
  }
  return element;
}

const char* PropertyValueName(DWORD property) {
  switch (property) {
    case SPDRP_DEVICEDESC:
      return "DeviceDesc";
    case SPDRP_HARDWAREID:
      return "HardwareID";
    case SPDRP_COMPATIBLEIDS:
      return "CompatibleIDs";
    case SPDRP_CLASSGUID:
      return "ClassGUID";
    case SPDRP_DRIVER:
      return "Driver";
    case SPDRP_UPPERFILTERS:
      return "UpperFilters";
    case SPDRP_LOWERFILTERS:
      return "LowerFilters";
    default:
      return nullptr;
  }
}

void DeleteIfNoSubkeys(const std::string& path) {
  RegKey* key = registry::Find(path);
  if (key != nullptr && key->subkeys.empty()) registry::DeleteSubtree(key);
}

// What the PnP manager removes with a device: its Enum key, the parents it
// leaves empty, and its driver key unless that holds subkeys.
void RemoveFromRegistry(const Element& element) {
  if (element.key->deleted) return;
  const std::optional<std::string> driver = [&]() -> std::optional<std::string> {
    auto it = element.key->values().find("Driver");
    if (it == element.key->values().end()) return std::nullopt;
    std::string text(it->second.data.begin(), it->second.data.end());
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
  }();
  registry::DeleteSubtree(element.key.get());
  const std::string busPath = std::string(EnumRoot()) + "\\" + element.bus;
  DeleteIfNoSubkeys(busPath + "\\" + element.device);
  DeleteIfNoSubkeys(busPath);
  // A driver key is "{class}\NNNN"; anything shorter would name a whole class.
  if (driver && driver->find('\\') != std::string::npos && driver->front() != '\\') {
    DeleteIfNoSubkeys(std::string(kClassPath) + "\\" + *driver);
  }
}

}  // namespace

const std::vector<std::string>& RemovalRequests() { return State().removals; }
size_t OpenDeviceSets() { return State().sets.size(); }

}  // namespace devices
}  // namespace sim

using namespace sim;
using namespace sim::devices;

HDEVINFO SetupDiGetClassDevsA(const GUID* ClassGuid, PCSTR Enumerator, HWND, DWORD Flags) {
  if (DWORD fault = CheckFault("SetupDiGetClassDevsA", Enumerator == nullptr ? "" : Enumerator)) {
    SetLastError(fault);
    return INVALID_HANDLE_VALUE;
  }
  const bool allClasses = (Flags & DIGCF_ALLCLASSES) != 0;
  if ((ClassGuid == nullptr && !allClasses) || (Flags & DIGCF_DEVICEINTERFACE) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  SetupState& state = State();
  const ULONG_PTR handle = state.nextHandle;
  state.nextHandle += 8;
  state.sets[handle] = Snapshot(allClasses ? nullptr : ClassGuid, Enumerator == nullptr ? "" : Enumerator,
                                (Flags & DIGCF_PRESENT) != 0);
  SetLastError(kErrorAfterClassDevs);
  return reinterpret_cast<HDEVINFO>(handle);
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData) {
  DeviceSet* set = SetOf(DeviceInfoSet);
  if (set == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (DeviceInfoData == nullptr || DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA)) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  const bool inRange = MemberIndex < set->elements.size();
  const std::string subject = inRange ? set->elements[MemberIndex].instanceId : "";
  if (DWORD fault = CheckFault("SetupDiEnumDeviceInfo", subject, static_cast<long>(MemberIndex))) {
    SetLastError(fault);
    return FALSE;
  }
  if (!inRange) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  const Element& element = set->elements[MemberIndex];
  DeviceInfoData->ClassGuid = element.classGuid;
  DeviceInfoData->DevInst = element.devInst;
  DeviceInfoData->Reserved = MemberIndex + 1;
  return TRUE;
}

BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                       PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                       DWORD PropertyBufferSize, PDWORD RequiredSize) {
  Element* element = ElementForQuery("SetupDiGetDeviceRegistryPropertyA", DeviceInfoSet, DeviceInfoData);
  if (element == nullptr) return FALSE;
  if (PropertyBuffer == nullptr && PropertyBufferSize != 0) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  if (element->key->deleted) {
    SetLastError(ERROR_KEY_DELETED);
    return FALSE;
  }
  const char* valueName = PropertyValueName(Property);
  if (valueName == nullptr) {
    SetLastError(kErrorInvalidRegProperty);
    return FALSE;
  }
  auto it = element->key->values().find(valueName);
  // Windows keeps no device property without data: setting one with no data
  // deletes it, so a zero-length value reads as a property that is not there.
  if (it == element->key->values().end() || it->second.data.empty()) {
    // The registry read leaves the size it was given as the required size.
    if (PropertyRegDataType != nullptr) *PropertyRegDataType = REG_NONE;
    if (RequiredSize != nullptr) *RequiredSize = PropertyBufferSize;
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  const RegValue& value = it->second;
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (PropertyRegDataType != nullptr) *PropertyRegDataType = value.type;
  if (RequiredSize != nullptr) *RequiredSize = size;
  if (PropertyBufferSize < size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (size > 0) std::memcpy(PropertyBuffer, value.data.data(), size);
  return TRUE;
}

namespace {

// The properties a program may write, with the type Windows stores them as.
DWORD WritableType(DWORD property) {
  switch (property) {
    case SPDRP_HARDWAREID:
    case SPDRP_COMPATIBLEIDS:
    case SPDRP_UPPERFILTERS:
    case SPDRP_LOWERFILTERS:
      return REG_MULTI_SZ;
    case SPDRP_DEVICEDESC:
      return REG_SZ;
    default:
      return REG_NONE;
  }
}

}  // namespace

// As Windows does it through the PnP manager: no data deletes the property;
// otherwise the data is stored with the property's own type, whatever type
// the value had before.
BOOL SetupDiSetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                       const BYTE* PropertyBuffer, DWORD PropertyBufferSize) {
  Element* element = ElementForQuery("SetupDiSetDeviceRegistryPropertyA", DeviceInfoSet, DeviceInfoData);
  if (element == nullptr) return FALSE;
  if (element->key->deleted) {
    SetLastError(ERROR_KEY_DELETED);
    return FALSE;
  }
  const DWORD type = WritableType(Property);
  if (type == REG_NONE) {
    SetLastError(kErrorInvalidRegProperty);
    return FALSE;
  }
  if ((PropertyBuffer == nullptr) != (PropertyBufferSize == 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RegKey::Values& values = element->key->ChangeValues();
  const char* valueName = PropertyValueName(Property);
  if (PropertyBufferSize == 0) {
    values.erase(valueName);
    return TRUE;
  }
  RegValue& value = values[valueName];
  value.name = valueName;
  value.type = type;
  value.data.assign(PropertyBuffer, PropertyBuffer + PropertyBufferSize);
  return TRUE;
}

BOOL SetupDiRemoveDevice(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData) {
  Element* element = ElementOrError(DeviceInfoSet, DeviceInfoData);
  if (element == nullptr) return FALSE;
  State().removals.push_back(element->instanceId);
  events::Record(events::Kind::DeviceRemove, element->instanceId);
  if (DWORD fault = CheckFault("SetupDiRemoveDevice", element->instanceId)) {
    SetLastError(fault);
    return FALSE;
  }
  // Windows refuses device installation calls from a 32-bit process on
  // 64-bit Windows.
  if (sim::wow64::ProcessIsWow64()) {
    SetLastError(ERROR_IN_WOW64);
    return FALSE;
  }
  if (element->removed) {
    SetLastError(ERROR_NO_SUCH_DEVINST);
    return FALSE;
  }
  // Succeeds also when the key is already gone; the element stays in the set.
  RemoveFromRegistry(*element);
  element->removed = true;
  return TRUE;
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
  auto& sets = State().sets;
  auto it = sets.find(reinterpret_cast<ULONG_PTR>(DeviceInfoSet));
  if (it == sets.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (DWORD fault = CheckFault("SetupDiDestroyDeviceInfoList", "")) {
    SetLastError(fault);
    return FALSE;
  }
  sets.erase(it);
  // SetupAPI reports success in the last error, wiping what a caller had there.
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

namespace {

// The NT family's: the 9x family's SetupAPI lacks it. NT 4.0 has it here as
// it has the device set calls the program imports (and as Wine gives it).
bool OnTheNtFamily(const sim::VersionInfo& version) { return version.platformId == VER_PLATFORM_WIN32_NT; }

// Through void*: FARPROC is the generic function pointer exports are handed out as.
sim::modules::Export setPropertyExport(
    "setupapi.dll", "SetupDiSetDeviceRegistryPropertyA",
    reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&SetupDiSetDeviceRegistryPropertyA)), OnTheNtFamily);

sim::modules::Export instanceIdExport("setupapi.dll", "SetupDiGetDeviceInstanceIdA",
                                      reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&SetupDiGetDeviceInstanceIdA)),
                                      OnTheNtFamily);

sim::modules::Export removeDeviceExport("setupapi.dll", "SetupDiRemoveDevice",
                                        reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&SetupDiRemoveDevice)),
                                        OnTheNtFamily);

}  // namespace

BOOL SetupDiGetDeviceInstanceIdA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, PSTR DeviceInstanceId,
                                 DWORD DeviceInstanceIdSize, PDWORD RequiredSize) {
  Element* element = ElementForQuery("SetupDiGetDeviceInstanceIdA", DeviceInfoSet, DeviceInfoData);
  if (element == nullptr) return FALSE;
  const DWORD size = static_cast<DWORD>(element->instanceId.size() + 1);
  if (RequiredSize != nullptr) *RequiredSize = size;
  if (DeviceInstanceId == nullptr || DeviceInstanceIdSize < size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(DeviceInstanceId, element->instanceId.c_str(), size);
  return TRUE;
}
