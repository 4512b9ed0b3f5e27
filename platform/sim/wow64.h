// 64-bit Windows on the simulated machine: the machine's bitness, the
// program's process bitness, and what WOW64 does for a 32-bit process there:
// the 32-bit registry view (HKLM\Software\Wow6432Node) and the redirection of
// system32 to SysWOW64.
#pragma once

#include <string>

#include "platform/sim/win32_types.h"

namespace sim {
namespace wow64 {

// 0 (the default after a reset) follows the version: 64 for the NT family
// from Windows XP on, 32 for older Windows, which had no 64-bit edition here.
void SetMachineBits(int bits);
int MachineBits();
// 0 (the default) is the machine's own build: 64 on a 64-bit machine.
void SetProcessBits(int bits);
int ProcessBits();
// A 32-bit process on a 64-bit machine.
bool ProcessIsWow64();

// Whether a registry call with the access mask sam reaches the 32-bit view.
bool Reaches32BitView(DWORD sam);
// The physical key path a registry call on logicalPath ("HKLM\Software\...")
// reaches with the access mask sam, or "" when it is logicalPath itself.
std::string RegistryViewPath(const std::string& logicalPath, DWORD sam);

// The path a file call on an absolute path reaches: for a WOW64 process
// system32 is SysWOW64 (except the folders Windows exempts) and sysnative is
// system32.
std::string RedirectFilePath(const std::string& absolutePath);

}  // namespace wow64
}  // namespace sim
