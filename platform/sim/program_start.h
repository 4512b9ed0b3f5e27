// The program starting a program of its own on the simulated machine: the
// 32-bit build carries the 64-bit one as a resource, writes it out and runs
// it. A started copy runs the program's own code, as a 64-bit process on the
// same machine, before CreateProcessA returns.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sim {
namespace programs {

// How the program's code runs as a newly started process (the scenario
// runner's fresh start), given the arguments after the program's name as
// WinMain gets them; returns its exit code.
void SetProgramEntry(int (*entry)(const char* arguments));

// The arguments the program itself is started with (a scenario's args line);
// a reset empties them.
void SetStartArguments(const std::string& arguments);
const std::string& StartArguments();

// The bytes of the 64-bit program, an x86-64 program image in its headers: a
// file holding exactly these runs as it.
const std::string& Program64Image();

// The 32-bit build carries, under the RCDATA id its resource script
// (res/CarriedProgram.rc) names, the 64-bit program. A test may take it away
// (nullopt) or put other bytes in its place; a reset puts it back.
void SetCarriedResource(std::optional<std::string> content);

// Called as CreateProcessA begins, with the program's path: a test looks at
// the machine as another process could at that moment. A reset removes it.
void SetBeforeStart(std::function<void(const std::string& program)> hook);

// Where each started program ran from, in order.
struct Started {
  std::string path;
  std::string commandLine;
  int bits;
  std::string currentDirectory;  // "" when the parent's was inherited
};
const std::vector<Started>& StartedPrograms();

}  // namespace programs
}  // namespace sim
