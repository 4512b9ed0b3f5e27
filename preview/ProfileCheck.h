// The profile check: everything the loader does with a profile without a
// word, found by running the loader itself on the simulated machine, one
// country section at a time.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace preview {

struct ProfileFinding {
  std::string section;
  std::string key;   // empty for a finding about the whole section
  std::string what;  // what the uninstaller will do
};

// The findings for the profile text, laid into the simulated machine's
// Windows directory as the uninstaller's profile (the machine is reset).
std::vector<ProfileFinding> CheckProfileText(const std::string& text);

enum ProfileCheckStatus { PROFILE_CLEAN = 0, PROFILE_UNREADABLE = 2, PROFILE_FINDINGS = 3 };

// Reads the file at path; a missing file, a directory or one that is not
// text is unreadable (the reason goes to err). The report goes to out.
ProfileCheckStatus RunProfileCheck(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace preview
