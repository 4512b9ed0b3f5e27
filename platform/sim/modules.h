// The system libraries of the simulated machine and what each exports, so
// that the program can look up functions not every Windows has.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/win32_types.h"

namespace sim {
namespace modules {

// Whether a Windows version has the export; nullptr: every version.
using Availability = bool (*)(const VersionInfo&);

// Declares, at static initialisation, a function a system library exports.
struct Export {
  Export(const char* library, const char* name, FARPROC function, Availability available = nullptr);
};

// Takes one export away from (or gives it back to) this machine, as a
// service pack that lacks it would.
void SetExportMissing(const std::string& library, const std::string& name, bool missing);

// The path each LoadLibraryA call asked for, in order.
const std::vector<std::string>& LoadRequests();

// The handle of a known system library ("setupapi.dll", any case), or nullptr.
HMODULE SystemLibraryHandle(const std::string& name);

}  // namespace modules
}  // namespace sim
