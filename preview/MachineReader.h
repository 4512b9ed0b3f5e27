// Reads the live Windows machine, as DrvUninst would see it, with read-only
// calls only: the preview's one contact with the real system. Plain C++
// types here, so the simulated side can include it without <windows.h>.
#pragma once

#include <string>
#include <vector>

namespace machine_reader {

struct Window {
  std::string title;
  bool hung = false;
};

struct LiveMachine {
  std::string version;           // the simulated machine's name for it: win7, win98, ...
  std::string windowsDirectory;  // "C:\Windows"
  unsigned codePage = 1252;      // the ANSI code page: how file names are lower-cased
  int bits = 0;  // 32 or 64; 0 for a Windows that had no 64-bit edition
  std::string registry;          // REGEDIT4 text of every key the uninstaller may read
  std::vector<std::string> processes;
  std::vector<std::string> unplugged;      // instance IDs of devices Windows keeps without their being present
  std::vector<std::string> loadedModules;  // full paths of every program's modules that could be seen
  std::vector<std::string> notes;          // what could not be seen and does not change the answer
  std::vector<Window> windows;
  std::vector<std::string> notReadable;  // what could not be read, and why
  // Keys the registry text adds that this PC does not have ("HKLM\Enum\..."):
  // a 9x machine's present devices, laid where the 9x family keeps them.
  std::vector<std::string> laidKeys;
};

// The version, the registry parts, processes and top-level windows.
LiveMachine ReadLiveMachine();

// The keys below HKLM\Software named (paths below it), with everything below
// them, in every registry view that holds them: REGEDIT4 text to add to the
// machine's. Problems go to notReadable.
std::string ReadLiveSoftwareKeys(const std::vector<std::string>& paths, std::vector<std::string>* notReadable);

struct LiveFile {
  std::string path;  // relative to the Windows directory
  bool exists = false;
  bool directory = false;
  bool readOnly = false;
  bool inUse = false;   // open in another program without delete sharing
  bool loaded = false;  // a module of a running program: its DLL or its program file
  std::string content;  // only for the text files the uninstaller reads
};

// The files named, relative to the Windows directory; contents are read for
// INI files only. Problems go to notReadable.
std::vector<LiveFile> ReadLiveFiles(const std::vector<std::string>& paths, const LiveMachine& machine,
                                    std::vector<std::string>* notReadable);

}  // namespace machine_reader
