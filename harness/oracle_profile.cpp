#include "harness/oracle_profile.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"
#include "platform/win32.h"

namespace harness {
namespace {

const char kFile[] = "ZIZURUDO.ini";
const int kCapacity = 15;

std::string ReadRaw(const std::string& section, const char* key, const char* fallback) {
  static std::vector<char> buffer(8192, '\0');  // one for all reads: allocating it each time was most of a run
  GetPrivateProfileStringA(section.c_str(), key, fallback, buffer.data(), static_cast<DWORD>(buffer.size()), kFile);
  return std::string(buffer.data());
}

// The section's key names, lower-cased; false when the list may be cut.
bool KeyNames(const std::string& section, std::set<std::string>* names) {
  static std::vector<char> buffer(65536, '\0');
  const DWORD size = static_cast<DWORD>(buffer.size());
  const DWORD n = GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(), size, kFile);
  if (n + 2 >= size) return false;
  // Walked by length: a key with an empty name leaves an inner double NUL.
  for (DWORD at = 0; at < n; at += static_cast<DWORD>(std::strlen(buffer.data() + at)) + 1) {
    names->insert(sim::ToLower(buffer.data() + at));
  }
  return true;
}

class Loader {
 public:
  Loader(const std::string& section, bool uncertain) : section_(section), uncertain_(uncertain) {
    knownKeys_ = KeyNames(section_, &keys_);
  }

  // What a read of Size characters may leave: cut to Size - 1 (one less
  // too, for a quoted value), or, when unsure, the empty text or the default.
  std::vector<std::string> Read(const char* key, const char* fallback, size_t size) const {
    // A key the section lacks reads as the default (none here ends in a blank).
    const bool absent = knownKeys_ && keys_.count(sim::ToLower(key)) == 0;
    const std::string raw = absent ? fallback : ReadRaw(section_, key, fallback);
    std::vector<std::string> out;
    out.reserve(4);
    out.push_back(raw.substr(0, size - 1));
    if (raw.size() >= size - 1 && size >= 2) out.push_back(raw.substr(0, size - 2));
    if (uncertain_) {
      out.push_back("");
      out.push_back(std::string(fallback).substr(0, size - 1));
    }
    return out;
  }

  int Count(const char* key) const {
    int most = 0;
    for (const std::string& text : Read(key, "0", 32)) {
      bool odd = false;
      int n = HexCount(text, &odd);
      if (odd) n = kCapacity;  // what such a count gives is the program's choice
      if (n > kCapacity) n = kCapacity;
      if (n > most) most = n;
    }
    return most;
  }

  void List(const char* countKey, const char* prefix, size_t size, std::set<std::string>* into) const {
    const int n = Count(countKey);
    for (int i = 0; i < n; ++i) Add(Read((prefix + std::to_string(i)).c_str(), "", size), into);
  }

  void Single(const char* key, const char* fallback, size_t size, std::set<std::string>* into) const {
    Add(Read(key, fallback, size), into);
  }

 private:
  static void Add(const std::vector<std::string>& values, std::set<std::string>* into) {
    for (const std::string& v : values) {
      if (!v.empty()) into->insert(v);
    }
  }

  std::string section_;
  bool uncertain_;
  bool knownKeys_ = false;
  std::set<std::string> keys_;
};

void LoadSection(const std::string& section, bool uncertain, ProfileNames* p) {
  const Loader l(section, uncertain);
  struct EntryList {
    const char* count;
    const char* id;
    const char* name;
    const char* sys;
    const char* inf;
  };
  const EntryList lists[] = {
      {"DevIDNum", "DevDrvID", "DevDrvName", "DevDrvSYS", "DevDrvINF"},
      {"ExtDevIDNum", "ExtDevDrvID", "ExtDevDrvName", "ExtDevDrvSYS", "ExtDevDrvINF"},
      {"PossibleDevIDNum", "PossibleDevID", "PossibleDevDrvName", "PossibleDevDrvSYS", "PossibleDevInf"},
      {"PossibleExtDevIDNum", "PossibleExtDevDrvID", "PossibleExtDevDrvName", "PossibleExtDevDrvSYS",
       "PossibleExtDevDrvINF"},
  };
  for (const EntryList& e : lists) {
    l.List(e.count, e.id, 128, &p->ids);
    l.List(e.count, e.name, 128, &p->names);
    l.List(e.count, e.sys, 128, &p->sysFiles);
    l.List(e.count, e.inf, 128, &p->infFiles);
  }
  l.List("ExtDllFileNum", "ExtCopyFileName", 260, &p->supportFiles);
  l.List("UnInstServiceNum", "UnInstService", 260, &p->services);
  l.Single("DrvUninstRegKeyPath", "", 128, &p->uninstallPaths);
  l.Single("DrvUninstAppName", "q7nunist.exe", 128, &p->appNames);
  l.Single("MediaClass", "Yes", 128, &p->mediaClasses);
  l.Single("UnInstRemoteTitleName", "Remote Control", 260, &p->remoteTitles);
}

// The section the country code names, or none when the program's answer is
// its own choice (an unreadable or overlong value).
bool CountrySection(std::string* section) {
  const sim::VersionInfo& v = sim::Version();
  if (v.platformId == VER_PLATFORM_WIN32_NT && v.major > 4) {
    auto value = sim::registry::GetValue("HKCU\\Control Panel\\International", "iCountry");
    if (!value || value->data.size() > 30) return false;
    uint32_t code = 0;
    for (size_t i = 0; i < 5 && i < value->data.size() && value->data[i] != 0; ++i) {
      code = code * 10 + static_cast<uint32_t>(static_cast<int>(static_cast<char>(value->data[i])) - 48);
    }
    *section = std::to_string(static_cast<int32_t>(code));
    return true;
  }
  const std::string winIni = sim::files::WindowsDirectory() + "\\win.ini";
  if (winIni.size() > 127) return false;
  *section = std::to_string(static_cast<int>(GetPrivateProfileIntA("intl", "iCountry", 1, winIni.c_str())));
  return true;
}

std::vector<std::string> AllSections() {
  std::vector<char> buffer(65536, '\0');
  GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(), static_cast<DWORD>(buffer.size()), kFile);
  std::vector<std::string> sections;
  for (const char* p = buffer.data(); *p != '\0'; p += std::strlen(p) + 1) sections.push_back(p);
  return sections;
}

}  // namespace

int HexCount(const std::string& text, bool* odd) {
  uint32_t result = 0;
  uint32_t weight = 1;
  for (size_t i = text.size(); i-- > 0;) {
    const char c = text[i];
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
    else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
    else *odd = true;
    result += digit * weight;
    weight <<= 4;
  }
  return static_cast<int32_t>(result);
}

ProfileNames LoadProfileNames(bool uncertain) {
  ProfileNames p;
  std::vector<std::string> sections;
  std::string country;
  const bool known = CountrySection(&country);
  if (uncertain || !known) {
    sections = AllSections();
    sections.push_back("1");
    uncertain = true;
  } else {
    const std::string title = ReadRaw(country, "UnInstDrvAppTitle", "").substr(0, 259);
    sections.push_back(title.empty() ? "1" : country);
  }
  for (const std::string& s : sections) LoadSection(s, uncertain, &p);
  return p;
}

}  // namespace harness
