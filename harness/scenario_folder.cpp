#include "harness/scenario_folder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_store.h"
#include "platform/sim/standard_devices.h"
#include "platform/sim/window_store.h"
#include "platform/sim/wow64.h"
#include "harness/ini_text.h"
#include "image/machine_text.h"
#include "image/reg_file.h"

namespace fs = std::filesystem;

namespace harness {
namespace {

bool ReadWholeFile(const fs::path& path, std::string* content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  *content = bytes.str();
  return true;
}

std::string BackslashPath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::vector<std::string> SplitOn(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string current;
  std::istringstream in(text);
  while (std::getline(in, current, separator)) {
    const size_t begin = current.find_first_not_of(" \t");
    const size_t end = current.find_last_not_of(" \t");
    if (begin != std::string::npos) parts.push_back(current.substr(begin, end - begin + 1));
  }
  return parts;
}

std::vector<std::string> SplitBlanks(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

// Keys "1", "2", ... of a section, in numeric order.
std::vector<std::pair<int, std::string>> Numbered(const IniSection& section) {
  std::vector<std::pair<int, std::string>> entries;
  for (const auto& entry : section) {
    const std::string& key = entry.first;
    if (key.empty() || key.find_first_not_of("0123456789") != std::string::npos) continue;
    entries.emplace_back(std::atoi(key.c_str()), entry.second);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

bool IsKnownUse(const std::string& how) { return how == "open" || how == "loaded" || how == "running"; }

// "API|error|subject", the error decimal or 0x-hexadecimal.
bool ReadFault(const std::string& text, image::MachineImage::Fault* fault) {
  const size_t first = text.find('|');
  if (first == std::string::npos || first == 0) return false;
  const size_t second = text.find('|', first + 1);
  const std::string error = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  char* end = nullptr;
  fault->error = std::strtoul(error.c_str(), &end, 0);
  if (error.empty() || *end != '\0' || fault->error == 0) return false;
  fault->api = text.substr(0, first);
  fault->subject = second == std::string::npos ? "" : text.substr(second + 1);
  return true;
}

bool IsKnownAction(const std::string& action) {
  return action == "ok" || action == "esc" || action == "close" || action == "box-ok";
}

bool LayWindowsFiles(const fs::path& root, const image::MachineImage& image, std::vector<std::string>* errors) {
  std::vector<std::string> unmatched = image.readOnly;
  bool ok = true;
  if (fs::is_directory(root)) {
    std::vector<fs::path> paths;
    for (const auto& entry : fs::recursive_directory_iterator(root)) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    for (const fs::path& path : paths) {
      const std::string relative = BackslashPath(fs::relative(path, root).generic_string());
      if (fs::is_directory(path)) {
        sim::files::MakeDirectory(relative);
        continue;
      }
      std::string content;
      if (!ReadWholeFile(path, &content)) {
        errors->push_back("cannot read " + path.string());
        ok = false;
        continue;
      }
      DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
      auto listed = std::find_if(unmatched.begin(), unmatched.end(),
                                 [&](const std::string& name) { return sim::EqualsNoCase(name, relative); });
      if (listed != unmatched.end()) {
        attributes |= FILE_ATTRIBUTE_READONLY;
        unmatched.erase(listed);
      }
      sim::files::Write(relative, content, attributes);
    }
  }
  for (const std::string& name : unmatched) {
    errors->push_back("machine.ini: read-only file not in windows/: " + name);
    ok = false;
  }
  return ok;
}

}  // namespace

bool ReadMachineIni(const std::string& text, image::MachineImage* image, std::vector<std::string>* errors) {
  bool ok = true;
  IniText ini = ParseIni(text);
  IniSection& machine = ini["machine"];
  if (machine.count("version") && !machine["version"].empty()) image->version = sim::ToLower(machine["version"]);
  const std::string bits = machine["bits"];
  if (bits == "32" || bits == "64") {
    image->bits = std::atoi(bits.c_str());
  } else if (!bits.empty()) {
    errors->push_back("machine.ini: bits is 32 or 64, not " + bits);
    ok = false;
  }
  for (const std::string& name : SplitOn(machine["readonly"], '|')) image->readOnly.push_back(BackslashPath(name));
  for (const std::string& entry : SplitOn(machine["inuse"], '|')) {
    const size_t colon = entry.rfind(':');
    const std::string how = colon == std::string::npos ? "" : entry.substr(colon + 1);
    if (!IsKnownUse(how)) {
      errors->push_back("machine.ini: a file in use needs path:open, path:loaded or path:running: " + entry);
      ok = false;
      continue;
    }
    image->inUse.push_back({BackslashPath(entry.substr(0, colon)), how});
  }
  for (const std::string& id : SplitOn(machine["unplugged"], '|')) image->unplugged.push_back(BackslashPath(id));
  for (const auto& entry : Numbered(ini["processes"])) image->processes.push_back(entry.second);
  IniSection& windows = ini["windows"];
  for (const auto& entry : Numbered(windows)) {
    image::MachineImage::Window window;
    window.title = entry.second;
    auto hung = windows.find(std::to_string(entry.first) + ".hung");
    window.hung = hung != windows.end() && hung->second == "1";
    image->windows.push_back(window);
  }
  for (const auto& entry : Numbered(ini["faults"])) {
    image::MachineImage::Fault fault;
    if (!ReadFault(entry.second, &fault)) {
      errors->push_back("machine.ini: a fault is API|error|subject: " + entry.second);
      ok = false;
      continue;
    }
    image->faults.push_back(fault);
  }
  image->arguments = ini["user"]["args"];
  for (const std::string& action : SplitBlanks(ini["user"]["actions"])) {
    if (!IsKnownAction(action)) {
      errors->push_back("machine.ini: unknown user action: " + action);
      ok = false;
      continue;
    }
    image->actions.push_back(action);
  }
  return ok;
}

namespace {

bool ReadImage(const fs::path& root, image::MachineImage* image, std::vector<std::string>* errors) {
  if (!fs::is_directory(root)) {
    errors->push_back("not a scenario folder: " + root.string());
    return false;
  }
  bool ok = true;
  std::string iniText;
  if (fs::exists(root / "machine.ini")) {
    if (!ReadWholeFile(root / "machine.ini", &iniText)) {
      errors->push_back("cannot read machine.ini");
      ok = false;
    }
  }
  return ReadMachineIni(iniText, image, errors) && ok;
}

// A fresh machine of the image's version and bitness, with the devices any
// machine has of its own.
bool LayFreshMachine(const image::MachineImage& image, std::vector<std::string>* errors) {
  if (!image::StartMachine(image, errors)) return false;
  sim::devices::AddStandardDevices();
  return true;
}

}  // namespace

bool LoadFreshMachine(const std::string& folder) {
  image::MachineImage image;
  std::vector<std::string> errors;
  const bool read = ReadImage(folder, &image, &errors);
  return LayFreshMachine(image, &errors) && read;
}

bool LoadMachineImage(const std::string& folder, std::vector<std::string>* errors) {
  const fs::path root(folder);
  image::MachineImage image;
  bool ok = ReadImage(root, &image, errors);
  if (!fs::is_directory(root)) return false;
  ok = LayFreshMachine(image, errors) && ok;
  if (fs::exists(root / "registry.reg")) ok = image::ImportRegFile((root / "registry.reg").string(), errors) && ok;
  ok = LayWindowsFiles(root / "windows", image, errors) && ok;
  ok = image::StartPrograms(image, errors) && ok;
  return ok;
}

}  // namespace harness
