#include "harness/lower_case_view.h"

#include <algorithm>

#include "platform/sim/faults.h"

namespace harness {

std::map<std::string, KeyView> KeysByLowerPath(const image::MachineSnapshot& snapshot) {
  static const std::vector<image::StoredValue> kNone;
  std::map<std::string, KeyView> keys;
  // Parents come before their children: the open ancestors, one a level,
  // give each key its parent without a lookup.
  std::vector<KeyView*> ancestors;
  for (size_t i = 0; i < snapshot.keys.size(); ++i) {
    const std::string& path = snapshot.keys[i];
    const size_t depth = static_cast<size_t>(std::count(path.begin(), path.end(), '\\'));
    std::string lower = sim::ToLower(path);
    ancestors.resize(std::min(ancestors.size(), depth));
    if (depth > 0 && ancestors.size() == depth) ancestors.back()->children.push_back(lower);
    KeyView& key = keys.try_emplace(keys.end(), std::move(lower))->second;
    key.path = &path;
    key.stored = i < snapshot.stored.size() ? &snapshot.stored[i] : &kNone;
    ancestors.push_back(&key);
  }
  return keys;
}

std::map<std::string, FileView> FilesByLowerPath(const image::MachineSnapshot& snapshot) {
  std::map<std::string, FileView> files;
  for (const auto& file : snapshot.files) files[sim::ToLower(file.first)] = FileView{&file.first, file.second, false};
  for (const auto& directory : snapshot.directories) {
    files[sim::ToLower(directory.first)] = FileView{&directory.first, directory.second, true};
  }
  return files;
}

LowerCaseView::LowerCaseView(const image::MachineSnapshot& snapshot) {
  for (const std::string& key : snapshot.keys) keys.insert(sim::ToLower(key));
  for (const auto& file : snapshot.files) files[sim::ToLower(file.first)] = file.second;
  for (const auto& directory : snapshot.directories) files[sim::ToLower(directory.first)] = directory.second;
  for (const auto& value : snapshot.values) values[sim::ToLower(value.first)] = value.second;
  for (const std::string& exe : snapshot.processes) ++processes[sim::ToLower(exe)];
  for (const std::string& title : snapshot.windows) ++windows[sim::ToLower(title)];
}

}  // namespace harness
