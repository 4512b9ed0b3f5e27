// ConvertStringSecurityDescriptorToSecurityDescriptorA of ADVAPI32: the block
// it returns is the caller's to LocalFree, and holds the SDDL text, so a
// directory created with it remembers whom it lets write.
#include "platform/sim/security.h"

#include <cstring>
#include <map>

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/modules.h"
#include "platform/sim/win32_api.h"
#include "platform/sim/win32_api_wow64.h"

namespace sim {
namespace security {
namespace {

const char kMarker[] = "SIMSD:";

std::map<std::string, std::string>& Directories() {
  static std::map<std::string, std::string> directories;
  return directories;
}

ResetHook resetSecurity([] { Directories().clear(); });

bool OnWindows2000OrLater(const VersionInfo& v) { return v.platformId == VER_PLATFORM_WIN32_NT && v.major >= 5; }

modules::Export convertExport("advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA",
                              reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&ConvertStringSecurityDescriptorToSecurityDescriptorA)),
                              OnWindows2000OrLater);

// Components O:, G:, D:, S: with balanced parentheses: what the parser takes.
bool LooksLikeSddl(const std::string& text) {
  if (text.size() < 2 || text[1] != ':' || std::strchr("OGDS", text[0]) == nullptr) return false;
  int depth = 0;
  for (char c : text) {
    depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    if (depth < 0 || depth > 1) return false;
  }
  return depth == 0;
}

}  // namespace

void NoteDirectoryCreated(const std::string& path, const SECURITY_ATTRIBUTES* attributes) {
  std::string sddl;
  if (attributes != nullptr && attributes->lpSecurityDescriptor != nullptr) {
    const char* block = static_cast<const char*>(attributes->lpSecurityDescriptor);
    if (std::strncmp(block, kMarker, sizeof(kMarker) - 1) == 0) sddl = block + sizeof(kMarker) - 1;
  }
  Directories()[ToLower(path)] = sddl;
}

std::string DirectorySddl(const std::string& path) {
  auto it = Directories().find(ToLower(path));
  return it == Directories().end() ? "" : it->second;
}

bool UserMayDeleteOrRename(const std::string& path) {
  const std::string entry = files::Absolute(path);
  for (std::string directory = files::ParentOf(entry); directory.size() > 2; directory = files::ParentOf(directory)) {
    const std::string sddl = DirectorySddl(directory);
    const bool grantsUsers = sddl.find(";;;BU)") != std::string::npos || sddl.find(";;;WD)") != std::string::npos ||
                             sddl.find(";;;AU)") != std::string::npos;
    if (!sddl.empty() && !grantsUsers) return false;
  }
  const std::string windows = files::WindowsDirectory() + "\\";
  return !(entry.size() > windows.size() && EqualsNoCase(std::string_view(entry).substr(0, windows.size()), windows));
}

}  // namespace security
}  // namespace sim

BOOL ConvertStringSecurityDescriptorToSecurityDescriptorA(LPCSTR StringSecurityDescriptor, DWORD StringSDRevision,
                                                          PSECURITY_DESCRIPTOR* SecurityDescriptor,
                                                          PULONG SecurityDescriptorSize) {
  const std::string text = StringSecurityDescriptor == nullptr ? "" : StringSecurityDescriptor;
  if (DWORD fault = sim::CheckFault("ConvertStringSecurityDescriptorToSecurityDescriptorA", text)) {
    SetLastError(fault);
    return FALSE;
  }
  if (StringSecurityDescriptor == nullptr || SecurityDescriptor == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (StringSDRevision != SDDL_REVISION_1) {
    SetLastError(1305);  // ERROR_UNKNOWN_REVISION
    return FALSE;
  }
  if (!sim::security::LooksLikeSddl(text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string block = std::string(sim::security::kMarker) + text;
  char* descriptor = static_cast<char*>(LocalAlloc(LPTR, block.size() + 1));
  if (descriptor == nullptr) return FALSE;
  std::memcpy(descriptor, block.c_str(), block.size() + 1);
  *SecurityDescriptor = descriptor;
  if (SecurityDescriptorSize != nullptr) *SecurityDescriptorSize = static_cast<ULONG>(block.size() + 1);
  return TRUE;
}
