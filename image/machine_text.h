// A machine handed over in memory rather than as a folder: what a reader of
// a live PC produces, laid into the simulated machine the way a scenario
// folder is.
#pragma once

#include <string>
#include <vector>

#include "image/machine_image.h"

namespace image {

struct MachineFile {
  std::string path;  // relative to the Windows directory, '\' separated
  std::string content;
  bool directory = false;
  bool readOnly = false;
  bool inUse = false;   // another program holds it open without delete sharing
  bool loaded = false;  // a module of a running program
};

struct MachineText {
  MachineImage image;            // version, processes, windows, the user
  std::string windowsDirectory;  // empty: the simulated machine's own
  std::string registry;          // regedit's text
  std::vector<MachineFile> files;
};

// Resets the machine and sets the image's version and bitness; false for an
// unknown version or a 64-bit edition that never was.
bool StartMachine(const MachineImage& image, std::vector<std::string>* errors);
// The image's running programs, the files they hold, open windows, the
// user's actions, the faults and the devices not plugged in; false for a file
// in use or an unplugged device the image lacks.
bool StartPrograms(const MachineImage& image, std::vector<std::string>* errors);

// Lays the whole machine; problems go to errors.
bool LayMachineText(const MachineText& machine, std::vector<std::string>* errors);

}  // namespace image
