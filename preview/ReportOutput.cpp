#include "preview/ReportOutput.h"

#include <cstdio>

namespace preview {

int EmitReport(const std::string& text, int status) {
  const size_t written = std::fwrite(text.data(), 1, text.size(), stdout);
  if (written != text.size() || std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("the report could not be written to standard output\n", stderr);
    return 2;
  }
  return status;
}

}  // namespace preview
