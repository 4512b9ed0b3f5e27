#include "preview/ProfileCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "app/DrvUninstApp.h"
#include "platform/sim/events.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"
#include "profile/ProfileKeys.h"
#include "profile/ProfileLoader.h"
#include "removal/FinalMessage.h"
#include "removal/MakerKeys.h"
#include "removal/RemovalSteps.h"
#include "preview/ProfileFile.h"
#include "image/run_program.h"

namespace preview {
namespace {

const char kProfileName[] = "ZIZURUDO.ini";

// What an empty value leads to; nullptr where the check has nothing to say.
const char* EmptyValueOutcome(ProfileValueKind kind) {
  switch (kind) {
    case VALUE_DEVICE_ID:
    case VALUE_EXTENSION_ID:
      return "empty hardware ID: the entry matches no device";
    case VALUE_VARIANT_ID:
      return "empty hardware ID: the variant matches no device and replaces nothing";
    case VALUE_DRIVER_NAME:
      return "empty driver description: the entry matches no class instance";
    case VALUE_DRIVER_FILE:
      return "empty driver file name: no driver file is deleted for the entry";
    case VALUE_INF_FILE:
      return "empty INF file name: no INF file is deleted for the entry";
    case VALUE_FILE_NAME:
      return "empty file name: skipped, no file is deleted for it";
    case VALUE_SERVICE_NAME:
      return "empty service name: skipped, no key is deleted for it";
    case VALUE_MAKER_KEY:
      return "empty key path: skipped, no key is deleted for it";
    default:
      return nullptr;
  }
}

bool SameText(const std::string& a, const std::string& b) { return sim::EqualsNoCase(a, b); }

std::string IndexedKey(const ProfileKey& list, int field, int index) {
  return list.fields[field].prefix + std::to_string(index);
}

// "DevDrvID12" -> the list, its field DevDrvID and the digits "12"; false
// when the key is no list key.
bool SplitListKey(const std::string& key, const ProfileKey** list, int* field, std::string* digits) {
  size_t end = key.size();
  while (end > 0 && std::isdigit(static_cast<unsigned char>(key[end - 1]))) --end;
  if (end == key.size() || end == 0) return false;
  const std::string head = key.substr(0, end);
  for (int k = 0; k < kProfileKeyCount; ++k) {
    const ProfileKey& shape = kProfileKeys[k];
    for (int f = 0; f < shape.fieldCount; ++f) {
      if (SameText(head, shape.fields[f].prefix)) {
        *list = &shape;
        *field = f;
        *digits = key.substr(end);
        return true;
      }
    }
  }
  return false;
}

// The width the loader reads a key into, terminating NUL included.
int WidthOf(const std::string& key) {
  for (int k = 0; k < kProfileKeyCount; ++k) {
    if (SameText(key, kProfileKeys[k].name)) return kProfileKeys[k].width;
  }
  const ProfileKey* list = nullptr;
  int field = 0;
  std::string digits;
  if (SplitListKey(key, &list, &field, &digits)) return list->fields[field].width;
  return TEXT_SIZE;
}

// The list whose entries hold values of the kind.
const ProfileKey& ListOf(ProfileValueKind kind) {
  for (int k = 0; k < kProfileKeyCount; ++k) {
    const ProfileKey& key = kProfileKeys[k];
    for (int f = 0; f < key.fieldCount; ++f) {
      if (key.fields[f].kind == kind) return key;
    }
  }
  std::abort();
}

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// A NUL-separated list as GetPrivateProfileStringA hands it out.
std::vector<std::string> ProfileList(LPCSTR section) {
  std::vector<char> buffer(1 << 20);
  const DWORD length =
      GetPrivateProfileStringA(section, nullptr, "", buffer.data(), static_cast<DWORD>(buffer.size()), kProfileName);
  std::vector<std::string> items;
  for (DWORD start = 0; start < length;) {
    const std::string item(buffer.data() + start);
    items.push_back(item);
    start += static_cast<DWORD>(item.size()) + 1;
  }
  return items;
}

// The whole value of a key, as the first of its lines gives it.
std::string FullValue(const std::string& section, const std::string& key) {
  std::vector<char> buffer(1 << 16);
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(), static_cast<DWORD>(buffer.size()),
                           kProfileName);
  return buffer.data();
}

bool IsCountryName(const std::string& section) {
  if (section.empty() || section.size() > 5) return false;
  if (section.find_first_not_of("0123456789") != std::string::npos) return false;
  return section == "0" || section[0] != '0';
}

struct LoadedSection {
  std::string used;            // the section the loader read its keys from
  std::vector<std::string> keysRead;
};

// Runs the loader for a user whose country code names the section, and
// notes every key it asked for.
LoadedSection LoadAs(const std::string& country) {
  image::ResetProgramState();
  sim::registry::SetString("HKCU\\Control Panel\\International", "iCountry", country);
  sim::events::Start({sim::events::Kind::ProfileKeyRead});
  theApp.LoadUninstProfile();
  sim::events::Stop();
  LoadedSection loaded;
  loaded.used = theApp.m_szSection;
  for (const sim::events::Event& read : sim::events::Recorded()) {
    if (SameText(read.section, loaded.used)) loaded.keysRead.push_back(read.name);
  }
  return loaded;
}

bool ContainsNoCase(const std::vector<std::string>& list, const std::string& item) {
  return std::any_of(list.begin(), list.end(), [&](const std::string& entry) { return SameText(entry, item); });
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Range(int first, int last) {
  return first == last ? "entry " + std::to_string(first)
                       : "entries " + std::to_string(first) + " to " + std::to_string(last);
}

class SectionCheck {
 public:
  SectionCheck(const std::string& section, std::vector<ProfileFinding>* findings)
      : m_section(section), m_findings(findings) {}

  void Run(const LoadedSection& loaded) {
    m_keys = ProfileList(m_section.c_str());
    m_read = loaded.keysRead;
    CheckKeys();
    CheckWidths();
    for (int k = 0; k < kProfileKeyCount; ++k) {
      if (kProfileKeys[k].form == KEY_LIST) CheckList(kProfileKeys[k]);
    }
    CheckNames();
    CheckMakerKeys();
    CheckVariants();
    CheckLeftMoreFormat();
  }

 private:
  void Add(const std::string& key, const std::string& what) { m_findings->push_back({m_section, key, what}); }

  static int LoadedCount(const ProfileKey& list) { return UsableCount(ListCount(theApp, list), MAX_DRV_ENTRIES); }

  // Keys given twice, and keys the loader never asks for.
  void CheckKeys() {
    std::vector<std::string> seen;
    for (const std::string& key : m_keys) {
      if (ContainsNoCase(seen, key)) {
        Add(key, "given twice: the first one counts (" + Quoted(FullValue(m_section, key)) + "), this one is never read");
        continue;
      }
      seen.push_back(key);
      if (!ContainsNoCase(m_read, key)) Add(key, WhyNeverRead(key));
    }
  }

  std::string WhyNeverRead(const std::string& key) const {
    const ProfileKey* list = nullptr;
    int field = 0;
    std::string digits;
    if (SplitListKey(key, &list, &field, &digits)) {
      if (digits.size() > 1 && digits[0] == '0') {
        const std::string written = IndexedKey(*list, field, std::atoi(digits.c_str()));
        return "never read: indexes are written without leading zeros (" + written + ")";
      }
      const int count = LoadedCount(*list);
      if (std::atoi(digits.c_str()) >= MAX_DRV_ENTRIES || digits.size() > 2) {
        return "never read: a list holds 15 entries, indexes 0 to 14";
      }
      return "never read: " + std::string(list->name) + " gives " + std::to_string(count) + " entr" +
             (count == 1 ? "y" : "ies") + ", so the uninstaller reads indexes below " + std::to_string(count);
    }
    std::string best;
    size_t bestDistance = 3;
    std::vector<std::string> known = m_read;
    for (int k = 0; k < kProfileKeyCount; ++k) {
      for (int f = 0; f < kProfileKeys[k].fieldCount; ++f) known.push_back(kProfileKeys[k].fields[f].prefix);
    }
    std::string bare = key;
    while (!bare.empty() && std::isdigit(static_cast<unsigned char>(bare.back()))) bare.pop_back();
    for (const std::string& name : known) {
      const size_t distance = std::min(EditDistance(key, name), EditDistance(bare, name));
      if (distance < bestDistance) {
        bestDistance = distance;
        best = name;
      }
    }
    if (best.empty()) return "never read: not a key the uninstaller knows";
    return "never read: not a key the uninstaller knows; a typo of " + best + "?";
  }

  // Values longer than the buffer the loader reads them into.
  void CheckWidths() {
    std::vector<std::string> done;
    for (const std::string& key : m_keys) {
      if (!ContainsNoCase(m_read, key) || ContainsNoCase(done, key)) continue;
      done.push_back(key);
      const int width = WidthOf(key);
      const size_t length = FullValue(m_section, key).size();
      if (length + 1 > static_cast<size_t>(width)) {
        Add(key, "cut: the value has " + std::to_string(length) + " characters, the uninstaller keeps the first " +
                     std::to_string(width - 1) + " (a field of " + std::to_string(width) + ")");
      }
    }
  }

  bool HasKey(const std::string& key) const { return ContainsNoCase(m_keys, key); }

  bool EntryGiven(const ProfileKey& list, int index) const {
    for (int f = 0; f < list.fieldCount; ++f) {
      if (HasKey(IndexedKey(list, f, index))) return true;
    }
    return false;
  }

  void CheckCountText(const ProfileKey& list) {
    if (!HasKey(list.name)) return;
    std::string text = FullValue(m_section, list.name);
    if (text.size() >= static_cast<size_t>(list.width)) text.resize(list.width - 1);
    const int value = HexTextToInt(text.c_str());
    const std::string reads = "the uninstaller reads " + std::to_string(value);
    if (text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      Add(list.name, Quoted(text) + " is not hexadecimal text: " + reads +
                         " (a character that is no hexadecimal digit counts as 0)");
    } else if (text.find_first_not_of("0123456789") == std::string::npos && text.size() > 1 &&
               value != std::atoi(text.c_str())) {
      Add(list.name, "counts are hexadecimal: " + Quoted(text) + " is " + std::to_string(value) + ", not " +
                         std::to_string(std::atoi(text.c_str())));
    } else if (text.size() > 8) {
      Add(list.name, Quoted(text) + " has more than eight digits: only the last eight count, " + reads);
    }
    if (value > MAX_DRV_ENTRIES) {
      Add(list.name, std::to_string(value) + " is more than the 15 entries a list holds: the uninstaller reads 15");
    } else if (value < 0) {
      Add(list.name, Quoted(text) + " is negative (" + std::to_string(value) + "): the list is empty");
    }
  }

  void CheckList(const ProfileKey& list) {
    CheckCountText(list);
    const int count = LoadedCount(list);
    int lastGiven = -1;
    for (int i = 0; i < MAX_DRV_ENTRIES; ++i) {
      if (EntryGiven(list, i)) lastGiven = i;
    }
    for (int i = 0; i < count;) {
      if (EntryGiven(list, i)) {
        CheckEntryFields(list, i);
        ++i;
        continue;
      }
      int last = i;
      while (last + 1 < count && !EntryGiven(list, last + 1)) ++last;
      const std::string what = last < lastGiven
                                   ? "a gap in the indexes: " + Range(i, last) + " not in the file"
                                   : std::string(list.name) + " gives " + std::to_string(count) +
                                         " but the file has no " + Range(i, last);
      Add(IndexedKey(list, 0, i),
          what + "; " + (i == last ? "it is empty and " : "they are empty and ") +
              (list.fieldCount == 1 ? "skipped" : i == last ? "matches nothing" : "match nothing"));
      i = last + 1;
    }
  }

  void CheckEntryFields(const ProfileKey& list, int index) {
    for (int f = 0; f < list.fieldCount; ++f) {
      const char* outcome = EmptyValueOutcome(list.fields[f].kind);
      if (outcome == nullptr) continue;
      const std::string key = IndexedKey(list, f, index);
      if (FullValue(m_section, key).empty()) Add(key, outcome);
    }
  }

  void CheckName(const std::string& key, const char* name) {
    if (LeavesItsDirectory(name)) {
      Add(key, Quoted(name) + " reaches outside its folder: the uninstaller does not act on it");
    } else if (NamesAStreamOrDevice(name)) {
      Add(key, Quoted(name) + " names a stream or a device, not a file: the uninstaller does not act on it");
    }
  }

  // File names of the kinds given, in the order of the keys: refused ones
  // reach outside their folder or name a stream or device.
  void CheckNamesOf(ProfileValueKind first, ProfileValueKind second) {
    for (int k = 0; k < kProfileKeyCount; ++k) {
      const ProfileKey& key = kProfileKeys[k];
      if (key.form != KEY_LIST) {
        if (key.kind == first || key.kind == second) CheckName(key.name, KeyText(theApp, key));
        continue;
      }
      for (int i = 0; i < LoadedCount(key); ++i) {
        for (int f = 0; f < key.fieldCount; ++f) {
          const ProfileValueKind kind = key.fields[f].kind;
          if (kind == first || kind == second) CheckName(IndexedKey(key, f, i), EntryText(theApp, key, i, f));
        }
      }
    }
  }

  // File names the uninstaller refuses to join to a directory: the drivers'
  // first, then the others.
  void CheckNames() {
    CheckNamesOf(VALUE_DRIVER_FILE, VALUE_INF_FILE);
    CheckNamesOf(VALUE_FILE_NAME, VALUE_FILE_NAME);
  }

  // Maker keys the uninstaller refuses to delete (an empty one is told by
  // the list's own check).
  void CheckMakerKeys() {
    const ProfileKey& list = ListOf(VALUE_MAKER_KEY);
    for (int i = 0; i < LoadedCount(list); ++i) {
      const char* path = EntryText(theApp, list, i, 0);
      const char* why = MakerKeyRefusal(MakerKeyVerdictOf(path));
      if (why == nullptr) continue;
      Add(IndexedKey(list, 0, i), Quoted(path) + " " + why + ": the uninstaller does not act on it");
    }
  }

  static const char* MakerKeyRefusal(MakerKeyVerdict verdict) {
    switch (verdict) {
      case MAKER_KEY_TOO_SHORT:
        return "names a whole maker's key (a product's key is Maker\\Product, below HKLM\\Software)";
      case MAKER_KEY_BAD_COMPONENT:
        return "has an empty, \".\" or \"..\" part";
      case MAKER_KEY_SHARED_BRANCH:
        return "lies in a branch Windows and other programs share (Microsoft, Classes, Wow6432Node, Policies, Clients)";
      case MAKER_KEY_MAY_BE_CUT:
        return "fills the 259 characters the uninstaller reads, so it may be cut";
      default:
        return nullptr;
    }
  }

  // A variant replaces a primary entry only when one device matches both:
  // one prefix must begin the other.
  void CheckVariants() {
    const ProfileKey& primaries = ListOf(VALUE_DEVICE_ID);
    const ProfileKey& variants = ListOf(VALUE_VARIANT_ID);
    for (int j = 0; j < LoadedCount(variants); ++j) {
      const std::string variant = EntryText(theApp, variants, j, 0);
      if (variant.empty()) continue;
      bool fits = false;
      for (int i = 0; i < LoadedCount(primaries) && !fits; ++i) {
        const std::string primary = EntryText(theApp, primaries, i, 0);
        fits = !primary.empty() && (sim::StartsWithNoCase(variant, primary) || sim::StartsWithNoCase(primary, variant));
      }
      if (!fits) {
        Add(IndexedKey(variants, 0, j),
            Quoted(variant) + " matches no primary entry's prefix: no device matches both, so it never replaces an entry");
      }
    }
  }

  // The loader keeps any text; the final message uses it only as a format
  // with one number.
  void CheckLeftMoreFormat() {
    for (int k = 0; k < kProfileKeyCount; ++k) {
      const ProfileKey& key = kProfileKeys[k];
      if (key.kind != VALUE_COUNT_FORMAT || !HasKey(key.name)) continue;
      const char* format = KeyText(theApp, key);
      if (IsLeftMoreFormat(format)) continue;
      Add(key.name, Quoted(format) + " is not a text with exactly one %d and no other %: the final message says " +
                        Quoted(kBuiltInLeftMoreFormat) + " in English");
    }
  }

  std::string m_section;
  std::vector<ProfileFinding>* m_findings;
  std::vector<std::string> m_keys;
  std::vector<std::string> m_read;
};

}  // namespace

std::vector<ProfileFinding> CheckProfileText(const std::string& text) {
  sim::Reset();
  sim::files::Write(kProfileName, text);
  std::vector<ProfileFinding> findings;
  std::vector<std::string> seen;
  for (const std::string& section : ProfileList(nullptr)) {
    if (ContainsNoCase(seen, section)) {
      findings.push_back({section, "", "given twice: only the first [" + section + "] is read, none of this one's keys"});
      continue;
    }
    seen.push_back(section);
    if (!IsCountryName(section)) {
      findings.push_back({section, "", "never read: sections are named by a country code in decimal (1, 49, 886)"});
      continue;
    }
    const LoadedSection loaded = LoadAs(section);
    if (!SameText(loaded.used, section)) {
      findings.push_back({section, "UnInstDrvAppTitle",
                          "missing or empty: users with country code " + section +
                              " get section [1], and no other key of this section is read"});
      continue;
    }
    if (FullValue(section, "UnInstDrvAppTitle").empty()) {
      findings.push_back({section, "UnInstDrvAppTitle",
                          "missing or empty: the title is the built-in " + Quoted(theApp.m_szUnInstDrvAppTitle)});
    }
    SectionCheck(section, &findings).Run(loaded);
  }
  return findings;
}

ProfileCheckStatus RunProfileCheck(const std::string& path, std::ostream& out, std::ostream& err) {
  std::string text;
  std::string reason;
  if (ReadProfileFile(path, &text, &reason) != PROFILE_READ) {
    err << "profile check: " << reason << "\n";
    return PROFILE_UNREADABLE;
  }
  const std::vector<ProfileFinding> findings = CheckProfileText(text);
  out << "Profile " << path << "\n";
  if (findings.empty()) {
    out << "Nothing to report: the uninstaller reads every key as it is written.\n";
    return PROFILE_CLEAN;
  }
  for (const ProfileFinding& finding : findings) {
    out << "[" << finding.section << "]" << (finding.key.empty() ? "" : " " + finding.key) << ": " << finding.what
        << "\n";
  }
  out << findings.size() << " finding" << (findings.size() == 1 ? "" : "s") << "\n";
  return PROFILE_FINDINGS;
}

}  // namespace preview
