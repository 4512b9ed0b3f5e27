#include "removal/DeviceFilters.h"

#include <string>

#include "devices/HardwareIdRead.h"
#include "log/Leftovers.h"
#include "log/RunLog.h"
#include "platform/system/SystemFunction.h"
#include "removal/FilterNames.h"

namespace {

// Looked up at run time, as the 9x family's SetupAPI lacks both.
using SetPropertyFunction = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, const BYTE*, DWORD);
using InstanceIdFunction = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, PSTR, DWORD, PDWORD);

const char kEnumPath[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\";

struct FilterProperty {
  DWORD property;
  const char* valueName;
};
const FilterProperty kFilterProperties[] = {{SPDRP_UPPERFILTERS, "UpperFilters"},
                                            {SPDRP_LOWERFILTERS, "LowerFilters"}};

enum PropertyRead { PROPERTY_READ, PROPERTY_NONE, PROPERTY_UNREADABLE };

// The property's type and bytes; PROPERTY_NONE when the device has none.
PropertyRead ReadProperty(HDEVINFO devices, PSP_DEVINFO_DATA device, DWORD property, DWORD* type,
                          std::string* data) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD required = 0;
    const DWORD size = static_cast<DWORD>(data->size());
    BYTE* buffer = size == 0 ? nullptr : reinterpret_cast<BYTE*>(&(*data)[0]);
    if (SetupDiGetDeviceRegistryPropertyA(devices, device, property, type, buffer, size, &required)) {
      data->resize(required < size ? required : size);
      return PROPERTY_READ;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_DATA || error == ERROR_NO_SUCH_DEVINST) return PROPERTY_NONE;
    if (error != ERROR_INSUFFICIENT_BUFFER || required == 0) return PROPERTY_UNREADABLE;
    data->assign(required, '\0');
  }
  return PROPERTY_UNREADABLE;
}

// What cannot be read may still name a deleted service.
void NoteUnread(const CString& item) {
  const CString named = item + " (could not be read)";
  LogEvent("filter list", named, "may still name a deleted service");
  NoteLeftover(named);
}

// The list as the user finds it in the registry, or by the device's
// hardware ID where its instance ID cannot be had.
CString ListName(HDEVINFO devices, PSP_DEVINFO_DATA device, const char* hardwareId, const char* valueName) {
  const InstanceIdFunction instanceId =
      GetSystemFunctionAs<InstanceIdFunction>("setupapi.dll", "SetupDiGetDeviceInstanceIdA");
  char id[512] = "";
  DWORD required = 0;
  if (instanceId != nullptr && instanceId(devices, device, id, sizeof(id), &required)) {
    return CString(kEnumPath) + id + "\\" + valueName;
  }
  return CString(hardwareId) + " " + valueName;
}

void CleanFilterProperty(SetPropertyFunction setProperty, HDEVINFO devices, PSP_DEVINFO_DATA device,
                    const char* hardwareId, const FilterProperty& filter, const std::vector<CString>& serviceNames) {
  DWORD type = REG_NONE;
  std::string data;
  const PropertyRead read = ReadProperty(devices, device, filter.property, &type, &data);
  if (read == PROPERTY_UNREADABLE) NoteUnread(ListName(devices, device, hardwareId, filter.valueName));
  if (read != PROPERTY_READ) return;
  const FilterChange change = DropFilterNames(type, serviceNames, &data);
  if (change == FILTER_UNCHANGED) return;
  BOOL written = FALSE;
  // No data deletes the property.
  if (setProperty != nullptr && change == FILTER_DELETE) written = setProperty(devices, device, filter.property, nullptr, 0);
  // c_str() keeps a NUL after the data, for a last name stored without one.
  if (setProperty != nullptr && change == FILTER_REWRITE) {
    written = setProperty(devices, device, filter.property, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size()));
  }
  const DWORD error = written ? ERROR_SUCCESS : setProperty == nullptr ? ERROR_PROC_NOT_FOUND : GetLastError();
  const CString listName = ListName(devices, device, hardwareId, filter.valueName);
  if (written) {
    LogEvent("filter list", listName, change == FILTER_REWRITE ? "the service taken out" : "removed");
    return;
  }
  const std::string outcome = "still names the service, error " + std::to_string(error);
  LogEvent("filter list", listName, outcome.c_str());
  NoteLeftover(listName);
}

}  // namespace

void RemoveFromDeviceFilters(const std::vector<CString>& serviceNames) {
  if (serviceNames.empty()) return;
  const SetPropertyFunction setProperty =
      GetSystemFunctionAs<SetPropertyFunction>("setupapi.dll", "SetupDiSetDeviceRegistryPropertyA");
  const BOOL walked = WalkDevices(
      EVERY_DEVICE,
      [&](HDEVINFO devices, PSP_DEVINFO_DATA device, const char* hardwareId) {
        for (const FilterProperty& filter : kFilterProperties) {
          CleanFilterProperty(setProperty, devices, device, hardwareId, filter, serviceNames);
        }
      },
      true);
  // A walk cut short may have passed over a device whose list names one.
  if (!walked || GetLastError() != ERROR_NO_MORE_ITEMS) {
    NoteUnread("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum: the devices' filter lists");
  }
}
