#include "harness/probe_questions.h"

#include <cstdio>
#include <sstream>

#include "platform/win32.h"
#include "harness/record_text.h"

namespace harness {

namespace {

bool SplitRoot(const std::string& path, HKEY* root, std::string* rest) {
  const size_t slash = path.find('\\');
  const std::string head = path.substr(0, slash);
  *rest = slash == std::string::npos ? "" : path.substr(slash + 1);
  if (lstrcmpiA(head.c_str(), "HKLM") == 0 || lstrcmpiA(head.c_str(), "HKEY_LOCAL_MACHINE") == 0) {
    *root = HKEY_LOCAL_MACHINE;
    return true;
  }
  if (lstrcmpiA(head.c_str(), "HKCU") == 0 || lstrcmpiA(head.c_str(), "HKEY_CURRENT_USER") == 0) {
    *root = HKEY_CURRENT_USER;
    return true;
  }
  return false;
}

std::string AskKey(const std::string& path) {
  HKEY root;
  std::string rest;
  if (!SplitRoot(path, &root, &rest)) return "bad-root";
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, rest.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "absent";
  RegCloseKey(key);
  return "present";
}

std::string AskValue(const std::string& argument) {
  const size_t bar = argument.find('|');
  if (bar == std::string::npos) return "bad-argument";
  HKEY root;
  std::string rest;
  if (!SplitRoot(argument.substr(0, bar), &root, &rest)) return "bad-root";
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, rest.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "absent";
  char data[4096] = "";
  DWORD size = sizeof(data) - 1;
  DWORD type = 0;
  const LONG rc = RegQueryValueExA(key, argument.substr(bar + 1).c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return "absent";
  if (type == REG_MULTI_SZ) return "multi:" + DescribeMultiString(data, size);
  if (type != REG_SZ && type != REG_EXPAND_SZ) return "type:" + std::to_string(type);
  data[size] = '\0';
  return "sz:" + EscapeText(data);
}

std::string AskFile(const std::string& relative) {
  char directory[MAX_PATH] = "";
  const UINT length = GetWindowsDirectoryA(directory, sizeof(directory));
  if (length == 0 || length >= sizeof(directory)) return "no-windows-directory";
  const std::string path = std::string(directory) + "\\" + relative;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "absent";
  char hex[16];
  std::snprintf(hex, sizeof(hex), "%lx", static_cast<unsigned long>(attributes));
  return std::string("attr:") + hex;
}

std::string AskProcess(const std::string& exe) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return "no-snapshot";
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, exe.c_str()) == 0) ++count;
  }
  CloseHandle(snapshot);
  return std::to_string(count);
}

std::string AskWindow(const std::string& title) {
  return FindWindowA(nullptr, title.c_str()) != nullptr ? "present" : "absent";
}

}  // namespace

std::string AnswerProbe(const std::string& kind, const std::string& argument) {
  if (kind == "key") return AskKey(argument);
  if (kind == "value") return AskValue(argument);
  if (kind == "file") return AskFile(argument);
  if (kind == "process") return AskProcess(argument);
  if (kind == "window") return AskWindow(argument);
  return "unknown-question";
}

std::string AnswerProbeFile(const std::string& questions) {
  std::istringstream in(questions);
  std::string out;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string kind = line.substr(0, tab);
    const std::string argument = line.substr(tab + 1);
    out += kind + "\t" + argument + "\t" + AnswerProbe(kind, argument) + "\n";
  }
  return out;
}

}  // namespace harness
