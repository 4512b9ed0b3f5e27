// Reading a profile given by path, with a plain reason when it cannot be read.
#pragma once

#include <string>

namespace preview {

enum ProfileRead { PROFILE_READ, PROFILE_MISSING, PROFILE_BAD };

// Anything but PROFILE_READ sets *reason: a path that does not exist, a
// directory, a file that cannot be read, or one that is not text (it holds
// NUL bytes).
ProfileRead ReadProfileFile(const std::string& path, std::string* text, std::string* reason);

}  // namespace preview
