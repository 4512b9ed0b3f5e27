#include "platform/sim/file_paths.h"

#include <cctype>
#include <cstring>

namespace sim {
namespace files {
namespace {

// Characters a long name may hold that an 8.3 name may not.
bool InvalidInShortName(char c) {
  return c == ' ' || std::strchr("+,;=[]", c) != nullptr || static_cast<unsigned char>(c) < 0x20;
}

std::string ShortPart(const std::string& text, size_t length) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '.') continue;
    if (out.size() == length) break;
    out += InvalidInShortName(c) ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return out;
}

}  // namespace

std::string ResolvedPath::Joined() const {
  std::string path = root;
  for (const std::string& component : components) path += "\\" + component;
  return path;
}

ResolvedPath ResolvePath(const std::string& raw, const std::string& currentDirectory) {
  std::string path = raw;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  ResolvedPath resolved;
  std::string rest;
  if (path.size() >= 2 && path[1] == ':') {
    resolved.root = path.substr(0, 2);
    rest = path.substr(2);
  } else {
    resolved.root = currentDirectory.substr(0, 2);
    rest = !path.empty() && path[0] == '\\' ? path : currentDirectory.substr(2) + "\\" + path;
  }
  resolved.trailingSlash = !rest.empty() && rest.back() == '\\' && rest.find_first_not_of('\\') != std::string::npos;

  std::string part;
  for (size_t i = 0; i <= rest.size(); ++i) {
    if (i < rest.size() && rest[i] != '\\') {
      part += rest[i];
      continue;
    }
    if (part == "..") {
      if (!resolved.components.empty()) resolved.components.pop_back();
    } else if (!part.empty() && part != ".") {
      resolved.components.push_back(part);
    }
    part.clear();
  }
  // Only then are names trimmed: "x." names x; "... " as the last part names nothing.
  for (size_t i = 0; i < resolved.components.size(); ++i) {
    std::string& name = resolved.components[i];
    const bool last = i + 1 == resolved.components.size() && !resolved.trailingSlash;
    if (last) {
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    } else if (name.size() >= 2 && name.back() == '.' && name[name.size() - 2] != '.') {
      name.pop_back();
    }
  }
  if (!resolved.components.empty() && resolved.components.back().empty()) resolved.components.pop_back();
  return resolved;
}

bool IsShortName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  const size_t dot = name.find('.');
  if (dot != std::string::npos && name.find('.', dot + 1) != std::string::npos) return false;
  const size_t baseLength = dot == std::string::npos ? name.size() : dot;
  const size_t extensionLength = dot == std::string::npos ? 0 : name.size() - dot - 1;
  if (baseLength == 0 || baseLength > 8 || extensionLength > 3) return false;
  if (dot != std::string::npos && extensionLength == 0) return false;
  for (char c : name) {
    if (InvalidInShortName(c)) return false;
  }
  return true;
}

std::string ShortNameFor(const std::string& longName, int n) {
  const size_t dot = longName.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot > 0;
  std::string base = ShortPart(hasExtension ? longName.substr(0, dot) : longName, 8);
  const std::string extension = hasExtension ? ShortPart(longName.substr(dot + 1), 3) : "";
  const std::string tail = "~" + std::to_string(n);
  if (base.empty()) base = "_";
  base = base.substr(0, 8 - tail.size()) + tail;
  return extension.empty() ? base : base + "." + extension;
}

}  // namespace files
}  // namespace sim
