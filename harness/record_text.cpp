#include "harness/record_text.h"

namespace harness {

std::string EscapeText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

std::string DescribeMultiString(const char* data, size_t size) {
  std::string out;
  size_t at = 0;
  while (at < size && data[at] != '\0') {
    size_t end = at;
    while (end < size && data[end] != '\0') ++end;
    if (at != 0) out += "|";
    out += EscapeText(std::string(data + at, end - at));
    at = end + 1;
  }
  return out;
}

const char* ProgressMessageName(UINT message) {
  switch (message) {
    case PBM_SETRANGE: return "PBM_SETRANGE";
    case PBM_SETPOS: return "PBM_SETPOS";
    case PBM_DELTAPOS: return "PBM_DELTAPOS";
    case PBM_SETSTEP: return "PBM_SETSTEP";
    case PBM_STEPIT: return "PBM_STEPIT";
    case PBM_SETRANGE32: return "PBM_SETRANGE32";
    default: return nullptr;
  }
}

}  // namespace harness
