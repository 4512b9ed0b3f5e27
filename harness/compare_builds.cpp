#include "harness/compare_builds.h"

#include <algorithm>

#include "platform/sim/wow64.h"
#include "harness/scenario_folder.h"
#include "harness/probe_answers.h"
#include "image/run_program.h"
#include "image/snapshot.h"

namespace harness {
namespace {

// One line per item of the end state, so two runs compare line by line.
std::vector<std::string> EndState(int exitCode) {
  std::vector<std::string> lines;
  const image::MachineSnapshot machine = image::CaptureMachine();
  for (const std::string& key : machine.keys) lines.push_back("key " + key);
  for (const auto& value : machine.values) lines.push_back("value " + value.first + " " + value.second);
  for (const auto& directory : machine.directories) {
    lines.push_back("directory " + directory.first + " " + std::to_string(directory.second));
  }
  for (const auto& file : machine.files) lines.push_back("file " + file.first + " " + std::to_string(file.second));
  for (const std::string& device : machine.devices) lines.push_back("device " + device);
  for (const std::string& process : machine.processes) lines.push_back("process " + process);
  for (const std::string& window : machine.windows) lines.push_back("window " + window);
  const std::string shown = ShownRecord();
  size_t start = 0;
  while (start < shown.size()) {
    const size_t end = shown.find('\n', start);
    lines.push_back("shown " + shown.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  lines.push_back("exit " + std::to_string(exitCode));
  return lines;
}

bool RunBuild(const std::string& folder, int bits, std::vector<std::string>* state, std::vector<std::string>* errors) {
  if (!LoadMachineImage(folder, errors)) return false;
  sim::wow64::SetMachineBits(64);
  *state = EndState(image::RunProgram(bits));
  return true;
}

}  // namespace

bool CompareBuilds(const std::string& folder, std::vector<std::string>* differences,
                   std::vector<std::string>* errors) {
  std::vector<std::string> native, carried;
  if (!RunBuild(folder, 64, &native, errors) || !RunBuild(folder, 32, &carried, errors)) return false;
  for (const std::string& line : native) {
    if (std::find(carried.begin(), carried.end(), line) == carried.end()) differences->push_back("- " + line);
  }
  for (const std::string& line : carried) {
    if (std::find(native.begin(), native.end(), line) == native.end()) differences->push_back("+ " + line);
  }
  if (native != carried && differences->empty()) differences->push_back("the same lines, in another order or number");
  return true;
}

}  // namespace harness
