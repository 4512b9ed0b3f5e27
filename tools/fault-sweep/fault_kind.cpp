#include "tools/fault-sweep/fault_kind.h"

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"

namespace sweep {

bool ReportsAbsence(const std::string& api, DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
  // The device is gone: removed by someone else, or unplugged.
  if (error == ERROR_NO_SUCH_DEVINST) return true;
  if (error == ERROR_NO_MORE_ITEMS) return api == "RegEnumKeyExA" || api == "SetupDiEnumDeviceInfo";
  if (error == ERROR_NO_MORE_FILES) return api == "Process32First" || api == "Process32Next";
  // The hardware-ID property's "no such value".
  return error == ERROR_INVALID_DATA && api == "SetupDiGetDeviceRegistryPropertyA";
}

bool DecidesWhatIsNamed(const std::string& api, const std::string& subject) {
  if (api == "GetPrivateProfileStringA" || api == "GetPrivateProfileIntA" || DecidesFamily(api)) return true;
  // The country code: the registry on NT, win.ini (under the Windows
  // directory) on 9x.
  if (api == "RegOpenKeyA" || api == "RegOpenKeyExA" || api == "RegQueryValueExA") {
    return sim::ContainsNoCase(subject, "Control Panel\\International");
  }
  // On 9x the device scan only picks which entries apply (the variant
  // found); no count stops the sequence there, so a scan that sees less
  // removes what the primary entries name.
  if (sim::IsWin9xFamily()) {
    return api == "SetupDiGetClassDevsA" || api == "SetupDiEnumDeviceInfo" ||
           api == "SetupDiGetDeviceRegistryPropertyA" || api == "LocalAlloc";
  }
  return false;
}

bool DecidesFamily(const std::string& api) { return api == "GetVersionExA"; }

}  // namespace sweep
