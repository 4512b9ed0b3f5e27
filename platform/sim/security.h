// Security descriptors on the simulated machine: made from SDDL text, and kept
// with the directories created under them, so tests can read who may write.
#pragma once

#include <string>

#include "platform/sim/win32_types.h"

namespace sim {
namespace security {

// CreateDirectoryA notes the descriptor it was given.
void NoteDirectoryCreated(const std::string& path, const SECURITY_ATTRIBUTES* attributes);
// The SDDL text a directory was created with; "" for none (it inherits).
std::string DirectorySddl(const std::string& path);

}  // namespace security
}  // namespace sim
