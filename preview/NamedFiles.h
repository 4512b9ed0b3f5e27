// The files of the Windows directory a run may touch, worked out from the
// profile and the class instances of the machine laid so far: what a reader
// of a live PC must look at, and no more.
#pragma once

#include <string>
#include <vector>

namespace preview {

// Paths relative to the Windows directory, each once (case ignored), the
// ones that would leave their folder left out.
std::vector<std::string> NamedFiles();

// The makers' keys below HKLM\Software (their first component) of the keys
// the profile names and the uninstaller acts on: a reader must see each whole
// to tell whether the run leaves it empty.
std::vector<std::string> NamedMakerKeys();

}  // namespace preview
