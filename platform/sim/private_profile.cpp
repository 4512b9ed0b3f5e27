// GetPrivateProfileStringA and GetPrivateProfileIntA, parsed as Windows does:
// first section and first key win, blanks trimmed, matching quotes dropped,
// ';' lines are comments, a bare file name lives in the Windows directory;
// on the NT family a mapped section is read from the registry first.
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/events.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/ini_file_mapping.h"
#include "platform/sim/machine.h"
#include "platform/sim/win32_api.h"

namespace {

struct IniKey {
  std::string name;
  std::string value;
};

struct IniSection {
  std::string name;
  std::vector<IniKey> keys;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// UTF-8 with a byte-order mark is converted to the ANSI code page; code points
// past Latin-1 become '?'.
std::string ToAnsi(const std::string& text) {
  if (text.compare(0, 3, "\xEF\xBB\xBF") != 0) return text;
  std::string out;
  for (size_t i = 3; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
      const unsigned code = ((c & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F);
      out += code < 0x100 ? static_cast<char>(code) : '?';
      i += 2;
    } else {
      out += '?';
      ++i;
      while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
  }
  return out;
}

std::vector<IniSection> Parse(const std::string& raw) {
  std::vector<IniSection> sections;
  sections.push_back(IniSection{});  // lines before any header: section ""
  const std::string text = ToAnsi(raw);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      if (close != std::string::npos) {
        sections.push_back(IniSection{Trim(line.substr(1, close - 1)), {}});
        continue;
      }
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;  // not a key
    sections.back().keys.push_back(IniKey{Trim(line.substr(0, eq)), Unquote(Trim(line.substr(eq + 1)))});
  }
  return sections;
}

// A profile is read key by key, hundreds of times a run, and rarely changes
// in between: the last text parsed is kept with its parse, until the machine
// is reset.
struct ParseCache {
  bool valid = false;
  std::string text;
  std::vector<IniSection> sections;
};

ParseCache& Cache() {
  static ParseCache cache;
  return cache;
}

// Swapped out, so a reset frees the memory (an assignment would keep it).
sim::ResetHook resetParseCache([] {
  ParseCache fresh;
  std::swap(Cache(), fresh);
});

const std::vector<IniSection>& ParseCached(const std::string& raw) {
  ParseCache& cache = Cache();
  if (!cache.valid || raw != cache.text) {
    cache.sections = Parse(raw);
    cache.text = raw;
    cache.valid = true;
  }
  return cache.sections;
}

const IniSection* FindSection(const std::vector<IniSection>& sections, const std::string& name) {
  // The unnamed leading section only answers to "".
  for (size_t i = 0; i < sections.size(); ++i) {
    if (i == 0 && !name.empty()) continue;
    if (sim::EqualsNoCase(sections[i].name, name)) return &sections[i];
  }
  return nullptr;
}

const IniKey* FindKey(const IniSection& section, const std::string& name) {
  for (const IniKey& key : section.keys) {
    if (sim::EqualsNoCase(key.name, name)) return &key;
  }
  return nullptr;
}

std::string ResolveFile(LPCSTR fileName) {
  const std::string name = fileName == nullptr ? "" : fileName;
  if (name.find('\\') == std::string::npos && name.find('/') == std::string::npos) {
    return sim::files::WindowsDirectory() + "\\" + name;
  }
  return sim::files::Absolute(name);
}

// Copies a value, cut to size - 1 characters.
DWORD CopyValue(const std::string& value, LPSTR buffer, DWORD size) {
  if (size == 0 || buffer == nullptr) return 0;
  const size_t n = value.size() < size - 1 ? value.size() : size - 1;
  std::memcpy(buffer, value.data(), n);
  buffer[n] = '\0';
  return static_cast<DWORD>(n);
}

// Copies a NUL-separated list closed by a second NUL; a list that does not
// fit is cut and the result is size - 2.
DWORD CopyList(const std::vector<std::string>& items, LPSTR buffer, DWORD size) {
  if (size == 0 || buffer == nullptr) return 0;
  std::string list;
  for (const std::string& item : items) {
    list += item;
    list += '\0';
  }
  if (list.size() + 1 < size) {  // an exact fit counts as cut, as measured
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<DWORD>(list.size());
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

// The value of a key, or nothing when the file, section or key is missing.
bool ReadValue(LPCSTR section, LPCSTR key, LPCSTR fileName, std::string* value,
               const std::vector<IniSection>** parsed) {
  const std::string path = ResolveFile(fileName);
  // A mapped section answers from the registry first.
  if (section != nullptr && key != nullptr && sim::ReadMappedProfileValue(path, Trim(section), Trim(key), value)) {
    SetLastError(0);
    return true;
  }
  const sim::files::FileEntry* file = sim::files::Peek(path);
  if (!file || file->directory) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  SetLastError(0);
  *parsed = &ParseCached(file->content);
  if (section == nullptr || key == nullptr) return false;
  const IniSection* found = FindSection(**parsed, Trim(section));
  if (found == nullptr) return false;
  const IniKey* entry = FindKey(*found, Trim(key));
  if (entry == nullptr) return false;
  *value = entry->value;
  return true;
}

// "file|section|key", built in one allocation: every read of a profile makes one.
std::string FaultSubject(LPCSTR fileName, LPCSTR section, LPCSTR key) {
  const char* parts[] = {fileName ? fileName : "", section ? section : "", key ? key : ""};
  std::string subject;
  subject.reserve(std::strlen(parts[0]) + std::strlen(parts[1]) + std::strlen(parts[2]) + 2);
  subject += parts[0];
  subject += '|';
  subject += parts[1];
  subject += '|';
  subject += parts[2];
  return subject;
}

// A read of one key; a read of the list of sections or keys is none.
void NoteKeyRead(LPCSTR fileName, LPCSTR section, LPCSTR key) {
  if (section == nullptr || key == nullptr || !sim::events::Kept(sim::events::Kind::ProfileKeyRead)) return;
  sim::events::Record(sim::events::Kind::ProfileKeyRead, fileName == nullptr ? "" : fileName, key, section);
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize, LPCSTR lpFileName) {
  NoteKeyRead(lpFileName, lpAppName, lpKeyName);
  if (DWORD fault = sim::CheckFault("GetPrivateProfileStringA", FaultSubject(lpFileName, lpAppName, lpKeyName))) {
    SetLastError(fault);
    return CopyValue("", lpReturnedString, nSize);
  }
  if (nSize == 0) return 0;
  std::string value;
  static const std::vector<IniSection> kNoFile;
  const std::vector<IniSection>* parsed = &kNoFile;
  const bool found = ReadValue(lpAppName, lpKeyName, lpFileName, &value, &parsed);
  if (lpAppName == nullptr || lpKeyName == nullptr) {
    std::vector<std::string> names;
    if (lpAppName == nullptr) {
      for (size_t i = 1; i < parsed->size(); ++i) names.push_back((*parsed)[i].name);
    } else if (const IniSection* section = FindSection(*parsed, Trim(lpAppName))) {
      for (const IniKey& key : section->keys) names.push_back(key.name);
    }
    return CopyList(names, lpReturnedString, nSize);
  }
  if (found) return CopyValue(value, lpReturnedString, nSize);
  // The default loses its trailing blanks.
  std::string fallback = lpDefault == nullptr ? "" : lpDefault;
  while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
  return CopyValue(fallback, lpReturnedString, nSize);
}

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
  NoteKeyRead(lpFileName, lpAppName, lpKeyName);
  if (DWORD fault = sim::CheckFault("GetPrivateProfileIntA", FaultSubject(lpFileName, lpAppName, lpKeyName))) {
    SetLastError(fault);
    return static_cast<UINT>(nDefault);
  }
  std::string value;
  const std::vector<IniSection>* parsed = nullptr;
  if (!ReadValue(lpAppName, lpKeyName, lpFileName, &value, &parsed)) return static_cast<UINT>(nDefault);
  value = Trim(value);
  if (value.empty()) return static_cast<UINT>(nDefault);
  size_t i = 0;
  bool negative = false;
  if (value[i] == '+' || value[i] == '-') negative = value[i++] == '-';
  unsigned base = 10;
  if (value.compare(i, 2, "0x") == 0 || value.compare(i, 2, "0X") == 0) {
    base = 16;
    i += 2;
  }
  UINT result = 0;  // wraps like the 32-bit original
  for (; i < value.size(); ++i) {
    const char c = value[i];
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      break;
    }
    result = result * base + digit;
  }
  return negative ? 0u - result : result;
}
