#include "platform/sim/value_journal.h"
#include "platform/sim/registry_store.h"

#include <cctype>
#include <unordered_map>

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"

namespace sim {
namespace {

// ASCII folding, as the C locale's tolower does, without a library call per
// character: every subkey lookup compares names about log2(n) times.
int FoldCase(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : static_cast<unsigned char>(c); }

}  // namespace

std::string Folded(const std::string& text);

bool NameLess::operator()(const std::string& a, const std::string& b) const {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const int ca = FoldCase(a[i]);
    const int cb = FoldCase(b[i]);
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

std::string Folded(const std::string& text) {
  std::string folded(text);
  for (char& c : folded) c = static_cast<char>(FoldCase(c));
  return folded;
}

RegKey::Subkeys::iterator RegKey::FindSubkey(const std::string& subkeyName) {
  // Folded into a buffer that is kept, so a lookup allocates nothing.
  static std::string folded;
  folded.assign(subkeyName);
  for (char& c : folded) c = static_cast<char>(FoldCase(c));
  auto found = byFoldedName.find(folded);
  return found == byFoldedName.end() ? subkeys.end() : found->second;
}

// The enumeration position stays valid across inserts and deletes, so a
// walk that changes the key as it goes costs no rewalk.
RegKey::Subkeys::iterator RegKey::AddSubkey(const std::shared_ptr<RegKey>& child) {
  auto it = subkeys.emplace(child->name, child).first;
  byFoldedName[Folded(child->name)] = it;
  if (cacheValid && NameLess()(child->name, cachedIt->first)) ++cachedIndex;
  return it;
}

void RegKey::RemoveSubkey(Subkeys::iterator it) {
  if (cacheValid) {
    if (it == cachedIt) {
      cacheValid = false;
    } else if (NameLess()(it->first, cachedIt->first)) {
      --cachedIndex;
    }
  }
  byFoldedName.erase(Folded(it->first));
  subkeys.erase(it);
}

RegKey* RegKey::SubkeyAt(size_t index) const {
  if (index >= subkeys.size()) return nullptr;
  if (!cacheValid || index < cachedIndex) {
    cachedIt = subkeys.begin();
    cachedIndex = 0;
    cacheValid = true;
  }
  while (cachedIndex < index) {
    ++cachedIt;
    ++cachedIndex;
  }
  return cachedIt->second.get();
}

std::string RegKey::Path() const {
  if (parent == nullptr) return name;
  return parent->Path() + "\\" + name;
}

RegKey::Values& RegKey::ChangeValues() {
  registry::NoteValuesChanging(this);
  return values_;
}

namespace registry {
namespace {

struct Roots {
  std::shared_ptr<RegKey> hklm, hkcu, hkcr, hku;
  // Deleted subtrees are freed with the machine, not one by one as they go:
  // a deletion then costs the same on a large machine as on a small one.
  std::vector<std::shared_ptr<RegKey>> deleted;
  Roots() { Clear(); }
  void Clear() {
    deleted.clear();
    hklm = Make("HKLM");
    hkcu = Make("HKCU");
    hkcr = Make("HKCR");
    hku = Make("HKU");
  }
  static std::shared_ptr<RegKey> Make(const char* name) {
    auto key = std::make_shared<RegKey>();
    key->name = name;
    return key;
  }
};

Roots& TheRoots() {
  static Roots roots;
  return roots;
}

void MarkDeleted(RegKey* key) {
  key->deleted = true;
  for (auto& entry : key->subkeys) MarkDeleted(entry.second.get());
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  parts.reserve(8);  // the machine's paths are rarely deeper; each growth is an allocation
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.emplace_back(path, start, end - start);
    start = end + 1;
  }
  return parts;
}

// Splits "HKLM\a\b" into the root key and the rest.
RegKey* RootOfPath(const std::string& path, std::string* rest) {
  const size_t slash = path.find('\\');
  const std::string head = path.substr(0, slash);
  *rest = slash == std::string::npos ? "" : path.substr(slash + 1);
  const std::string upper = ToLower(head);
  if (upper == "hklm" || upper == "hkey_local_machine") return TheRoots().hklm.get();
  if (upper == "hkcu" || upper == "hkey_current_user") return TheRoots().hkcu.get();
  if (upper == "hkcr" || upper == "hkey_classes_root") return TheRoots().hkcr.get();
  if (upper == "hku" || upper == "hkey_users") return TheRoots().hku.get();
  return nullptr;
}

ResetHook resetRegistry([] { TheRoots().Clear(); });

}  // namespace

RegKey* Root(HKEY predefined) {
  if (predefined == HKEY_LOCAL_MACHINE) return TheRoots().hklm.get();
  if (predefined == HKEY_CURRENT_USER) return TheRoots().hkcu.get();
  if (predefined == HKEY_CLASSES_ROOT) return TheRoots().hkcr.get();
  if (predefined == HKEY_USERS) return TheRoots().hku.get();
  return nullptr;
}

RegKey* Resolve(RegKey* base, const std::string& subPath) {
  RegKey* key = base;
  for (const std::string& part : SplitPath(subPath)) {
    auto it = key->FindSubkey(part);
    if (it == key->subkeys.end()) return nullptr;
    key = it->second.get();
  }
  return key;
}

RegKey* Find(const std::string& path) {
  std::string rest;
  RegKey* root = RootOfPath(path, &rest);
  return root == nullptr ? nullptr : Resolve(root, rest);
}

RegKey* Create(const std::string& path) {
  std::string rest;
  RegKey* key = RootOfPath(path, &rest);
  if (key == nullptr) return nullptr;
  for (const std::string& part : SplitPath(rest)) {
    auto it = key->FindSubkey(part);
    if (it == key->subkeys.end()) {
      auto child = std::make_shared<RegKey>();
      child->name = part;
      child->parent = key;
      it = key->AddSubkey(child);
    }
    key = it->second.get();
  }
  return key;
}

bool Exists(const std::string& path) { return Find(path) != nullptr; }

void DeleteSubtree(RegKey* key) {
  RegKey* parent = key->parent;
  if (parent == nullptr) return;  // root keys stay
  auto it = parent->FindSubkey(key->name);
  if (it == parent->subkeys.end()) return;
  TheRoots().deleted.push_back(it->second);  // handles may still refer to it
  MarkDeleted(key);
  parent->RemoveSubkey(it);
}

bool DeleteTree(const std::string& path) {
  RegKey* key = Find(path);
  if (key == nullptr || key->parent == nullptr) return false;
  DeleteSubtree(key);
  return true;
}

void SetValue(const std::string& keyPath, const std::string& name, DWORD type, const std::vector<BYTE>& data) {
  RegKey* key = Create(keyPath);
  RegValue& value = key->ChangeValues()[name];
  value.name = name;
  value.type = type;
  value.data = data;
}

void SetString(const std::string& keyPath, const std::string& name, const std::string& text) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  SetValue(keyPath, name, REG_SZ, data);
}

void SetMultiString(const std::string& keyPath, const std::string& name, const std::vector<std::string>& values) {
  std::vector<BYTE> data;
  for (const std::string& text : values) {
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
  }
  data.push_back(0);
  SetValue(keyPath, name, REG_MULTI_SZ, data);
}

void SetDword(const std::string& keyPath, const std::string& name, DWORD number) {
  std::vector<BYTE> data(4);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<BYTE>(number >> (8 * i));
  SetValue(keyPath, name, REG_DWORD, data);
}

std::optional<RegValue> GetValue(const std::string& keyPath, const std::string& name) {
  RegKey* key = Find(keyPath);
  if (key == nullptr) return std::nullopt;
  auto it = key->values().find(name);
  if (it == key->values().end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> GetString(const std::string& keyPath, const std::string& name) {
  auto value = GetValue(keyPath, name);
  if (!value) return std::nullopt;
  std::string text(value->data.begin(), value->data.end());
  const size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

std::vector<std::string> SubkeyNames(const std::string& path) {
  std::vector<std::string> names;
  RegKey* key = Find(path);
  if (key == nullptr) return names;
  for (const auto& entry : key->subkeys) names.push_back(entry.second->name);
  return names;
}

}  // namespace registry
}  // namespace sim
