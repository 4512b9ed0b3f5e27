#include "removal/FilterNames.h"

namespace {

bool IsOneOf(const std::string& name, const std::vector<CString>& serviceNames) {
  for (const CString& service : serviceNames) {
    if (lstrcmpiA(name.c_str(), service) == 0) return true;
  }
  return false;
}

// The strings between NULs, empty ones left out.
std::vector<std::string> Pieces(const std::string& data) {
  std::vector<std::string> pieces;
  size_t at = 0;
  while (at < data.size()) {
    size_t end = data.find('\0', at);
    if (end == std::string::npos) end = data.size();
    if (end > at) pieces.push_back(data.substr(at, end - at));
    at = end + 1;
  }
  return pieces;
}

// Takes the names out of the list as Windows reads it (up to its first empty
// string, or the end of the data when a terminator is missing), byte for
// byte, so that everything else stays as it was. Returns whether any went;
// *namesLeft tells whether the list still names anything.
bool DropNames(const std::vector<CString>& serviceNames, std::string* data, bool* namesLeft) {
  std::string kept;
  bool dropped = false;
  *namesLeft = false;
  size_t at = 0;
  while (at < data->size()) {
    size_t end = data->find('\0', at);
    if (end == std::string::npos) end = data->size();
    if (end == at) break;  // the empty string that ends the list
    const std::string name = data->substr(at, end - at);
    const size_t next = end < data->size() ? end + 1 : end;
    if (IsOneOf(name, serviceNames)) {
      dropped = true;
    } else {
      kept.append(*data, at, next - at);
      *namesLeft = true;
    }
    at = next;
  }
  kept.append(*data, at, std::string::npos);
  data->swap(kept);
  return dropped;
}

}  // namespace

FilterChange DropFilterNames(DWORD type, const std::vector<CString>& serviceNames, std::string* data) {
  if (type == REG_MULTI_SZ) {
    bool namesLeft = false;
    if (!DropNames(serviceNames, data, &namesLeft)) return FILTER_UNCHANGED;
    return namesLeft ? FILTER_REWRITE : FILTER_DELETE;
  }
  const std::vector<std::string> pieces = Pieces(*data);
  if (type == REG_SZ && pieces.size() == 1 && IsOneOf(pieces[0], serviceNames)) return FILTER_DELETE;
  for (const std::string& piece : pieces) {
    if (IsOneOf(piece, serviceNames)) return FILTER_NAMES_IT;
  }
  return FILTER_UNCHANGED;
}
