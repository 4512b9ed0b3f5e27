// Files mapped as images by other programs: loaded DLLs and drivers, and the
// files of running programs. Windows refuses to delete such a file
// (ERROR_ACCESS_DENIED) but lets its attributes change.
#include <set>

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_store.h"

namespace sim {
namespace files {
namespace {

std::set<std::string>& LoadedImages() {
  static std::set<std::string> loaded;  // lower-case paths
  return loaded;
}

ResetHook resetLoadedImages([] { LoadedImages().clear(); });

std::string KeyFor(const std::string& path) {
  const auto entry = Get(path);
  return ToLower(entry ? entry->path : Absolute(path));
}

}  // namespace

void LoadImage(const std::string& path) { LoadedImages().insert(KeyFor(path)); }

bool MappedAsImage(const std::string& path) {
  const std::string key = KeyFor(path);
  return LoadedImages().count(key) != 0 || processes::RunsImage(key);
}

void UnloadImages() { LoadedImages().clear(); }

}  // namespace files
}  // namespace sim
