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

// Whether the user's own unelevated programs may delete or rename the entry,
// as Windows' default rights have it: nothing inside a directory whose
// descriptor grants users nothing; nothing under the Windows directory, and
// so nothing another account created in %SystemRoot%\Temp (users may create
// there but hold no delete-child right); anything in their own folders (a
// profile's %TEMP%), whatever the entry's own descriptor, since they hold
// delete-child on its parent.
bool UserMayDeleteOrRename(const std::string& path);

}  // namespace security
}  // namespace sim
