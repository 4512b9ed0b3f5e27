// The image's load configuration. DependentLoadFlags makes the loader look
// for the DLLs this program imports, and theirs, in the system folder only,
// never in the folder it was started from (a download folder, where anyone
// may have left a version.dll); Windows 10 1607 and later read it. The build
// points the image's data directory here after linking.
#include <windows.h>

namespace {

#ifdef _WIN64
const DWORD kLoadConfigSize = sizeof(IMAGE_LOAD_CONFIG_DIRECTORY);
#else
// Windows XP and earlier accept a 32-bit image's configuration only at this size.
const DWORD kLoadConfigSize = 64;
#endif

constexpr IMAGE_LOAD_CONFIG_DIRECTORY SystemFolderOnly() {
  IMAGE_LOAD_CONFIG_DIRECTORY config{};
  config.Size = kLoadConfigSize;
  config.Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32;  // DependentLoadFlags in newer headers
  return config;
}

}  // namespace

extern "C" {
extern const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used;
const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used = SystemFolderOnly();
}
