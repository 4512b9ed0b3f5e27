#include "preview/ProfileFile.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace preview {

ProfileRead ReadProfileFile(const std::string& path, std::string* text, std::string* reason) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    *reason = path + " does not exist";
    return PROFILE_MISSING;
  }
  if (S_ISDIR(info.st_mode)) {
    *reason = path + " is a directory, not a profile";
    return PROFILE_BAD;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  if (in) bytes << in.rdbuf();
  if (!in || in.bad()) {
    *reason = path + " cannot be read";
    return PROFILE_BAD;
  }
  *text = bytes.str();
  if (text->find('\0') != std::string::npos) {
    *reason = path + " is not a text file (it holds NUL bytes)";
    return PROFILE_BAD;
  }
  return PROFILE_READ;
}

}  // namespace preview
