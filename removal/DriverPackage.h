// Since Vista a driver package lives in the driver store, and inf\oemNN.inf is
// only the name it was published under: deleting that file by hand orphans the
// package, which Windows then installs again when it next sees the device.
// One INF may also install models the profile does not name: a package goes
// only once no other device uses it, and only after the package's own
// devices, so that Windows' own check that no device uses it guards the rest.
#pragma once

#include <vector>

#include "platform/afx/afxstr.h"

struct OtherDevicesUse;

// The INFs the removal takes, in the order their step showed them.
class DriverPackages {
 public:
  // At the INF's own step: an INF another device uses is noted as kept and
  // stays whole; any other one is taken, to go after the devices. Returns
  // whether it was taken.
  bool Take(const char* infName, const CString& infPath, const CString& pnfPath, const OtherDevicesUse& others);

  // After the package's devices are removed: an "oem<N>.inf" goes through
  // SetupUninstallOEMInfA without SUOI_FORCEDELETE, and once that succeeded
  // what is left of it and its PNF is deleted by hand; a refused one stays
  // and is named. Any other name, or every name where Windows lacks the
  // function (Windows 2000), is deleted by hand alone after the same check
  // Windows makes: while any device is still bound to it (one of the
  // package's that could not be removed), or some device could not be read,
  // it stays and is named.
  void RemoveAfterDevices();

 private:
  struct Taken {
    CString name;
    CString infPath;
    CString pnfPath;
  };
  std::vector<Taken> taken_;
};

// "oem" + decimal digits + ".inf", case ignored: the names Windows publishes
// a package under, the only ones SetupUninstallOEMInfA is for.
bool IsPublishedInfName(const char* infName);
