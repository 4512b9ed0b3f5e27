#include "removal/WininitRename.h"

namespace {

// Windows 9x's own file is a few lines; anything near this size is not it.
const DWORD kMaxWininitSize = 1024 * 1024;
const char kWininitName[] = "\\WININIT.INI";

std::string Trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// "[name]" (blanks allowed around the name) gives the name.
bool IsSectionHeader(const std::string& line, std::string* name) {
  if (line.empty() || line[0] != '[') return false;
  const size_t close = line.find(']');
  if (close == std::string::npos) return false;
  *name = Trimmed(line.substr(1, close - 1));
  return true;
}

bool IsDeletionOf(const std::string& line, const std::string& shortPath) {
  const size_t equals = line.find('=');
  return equals != std::string::npos && SameText(Trimmed(line.substr(0, equals)), "NUL") &&
         SameText(Trimmed(line.substr(equals + 1)), shortPath);
}

bool ReadWholeText(HANDLE file, std::string* text) {
  const DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE || size > kMaxWininitSize) return false;
  text->assign(size, '\0');
  DWORD read = 0;
  if (size > 0 && (!ReadFile(file, &(*text)[0], size, &read, nullptr) || read != size)) return false;
  // A NUL byte: not a text file that Windows would read as one.
  return text->find('\0') == std::string::npos;
}

// The text only grows after its first change, so only that part is written.
bool AddLineToOpenFile(HANDLE file, const std::string& shortPath) {
  std::string text;
  if (!ReadWholeText(file, &text)) return false;
  std::string updated;
  size_t firstChange = 0;
  if (!WithWininitDeletion(text, shortPath, &updated, &firstChange)) return true;
  if (SetFilePointer(file, static_cast<LONG>(firstChange), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
    return false;
  }
  const std::string tail = updated.substr(firstChange);
  DWORD written = 0;
  return WriteFile(file, tail.data(), static_cast<DWORD>(tail.size()), &written, nullptr) && written == tail.size();
}

}  // namespace

bool WithWininitDeletion(const std::string& text, const std::string& shortPath, std::string* updated,
                         size_t* firstChange) {
  const std::string line = "NUL=" + shortPath + "\r\n";
  bool inRename = false;
  size_t insertAt = std::string::npos;
  for (size_t begin = 0; begin < text.size();) {
    const size_t newline = text.find('\n', begin);
    const size_t next = newline == std::string::npos ? text.size() : newline + 1;
    const std::string content = Trimmed(text.substr(begin, next - begin - (newline == std::string::npos ? 0 : 1)));
    std::string section;
    if (IsSectionHeader(content, &section)) {
      if (inRename) break;  // only the first [rename] section is read
      inRename = SameText(section, "rename");
      if (inRename) insertAt = next;
    } else if (inRename) {
      if (IsDeletionOf(content, shortPath)) return false;
      if (!content.empty()) insertAt = next;
    }
    begin = next;
  }
  if (insertAt == std::string::npos) {
    const char* separator = !text.empty() && text.back() != '\n' ? "\r\n" : "";
    *updated = text + separator + "[rename]\r\n" + line;
    *firstChange = text.size();
    return true;
  }
  // A last line without its line break gets one before the new line.
  const char* separator = insertAt > 0 && text[insertAt - 1] != '\n' ? "\r\n" : "";
  *updated = text.substr(0, insertAt) + separator + line + text.substr(insertAt);
  *firstChange = insertAt;
  return true;
}

bool AddWininitDeletion(LPCSTR path) {
  char shortPath[MAX_PATH];
  const DWORD shortLength = GetShortPathNameA(path, shortPath, MAX_PATH);
  if (shortLength == 0 || shortLength >= MAX_PATH) return false;
  char wininit[MAX_PATH];
  const UINT directoryLength = GetWindowsDirectoryA(wininit, MAX_PATH);
  if (directoryLength == 0 || directoryLength + sizeof(kWininitName) > MAX_PATH) return false;
  lstrcatA(wininit, kWininitName);
  // No sharing: nothing may change the file between our read and our write.
  HANDLE file = CreateFileA(wininit, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool added = AddLineToOpenFile(file, shortPath);
  CloseHandle(file);
  return added;
}
