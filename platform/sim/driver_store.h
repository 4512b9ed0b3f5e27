// Driver packages as Windows keeps them: the published INF in inf\ (oemNN.inf)
// with its PNF and its catalog, and since Vista the package in the driver
// store, a folder of system32\DriverStore\FileRepository holding the
// package's original INF, of which the published one is a byte-for-byte copy.
#pragma once

#include <string>

#include "platform/sim/machine.h"
#include "platform/sim/win32_types.h"

namespace sim {
namespace driverstore {

constexpr const char* kRepository = "system32\\DriverStore\\FileRepository";
// Where catalogs of published INFs are kept, as oemNN.cat.
constexpr const char* kCatalogRoot = "system32\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";

// The store folder (absolute path) whose INF the published INF is a copy of,
// or "" when none is.
std::string PackageFolderOf(const std::string& publishedInf);

// SETUPAPI's SetupUninstallOEMInfA, as the simulated setupapi.dll exports it
// on Windows XP and later.
BOOL WINAPI SetupUninstallOEMInfA(PCSTR InfFileName, DWORD Flags, PVOID Reserved);
bool HasSetupUninstallOEMInf(const VersionInfo& version);

}  // namespace driverstore
}  // namespace sim
