// Since Vista a driver package lives in the driver store, and inf\oemNN.inf is
// only the name it was published under: deleting that file by hand orphans the
// package, which Windows then installs again when it next sees the device.
#pragma once

// Asks SetupAPI to uninstall the package published as inf\<infName> with its
// PNF, its catalog and its store entry, whether or not devices still use it
// (they are removed later in the sequence). Does nothing for a name with a
// path in it, or where Windows lacks the function (Windows 2000).
void UninstallDriverPackage(const char* infName);
