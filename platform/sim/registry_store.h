// The simulated registry: keys with case-insensitive, case-preserving names,
// typed values, subkeys listed in case-insensitive sorted order (as Wine
// lists them), and handles that fail once their key is deleted.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/sim/win32_types.h"

namespace sim {

struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

struct RegValue {
  std::string name;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct RegKey {
  using Subkeys = std::map<std::string, std::shared_ptr<RegKey>, NameLess>;

  std::string name;
  RegKey* parent = nullptr;
  bool deleted = false;
  Subkeys subkeys;  // sorted, for enumeration; change it only through the members below
  using Values = std::map<std::string, RegValue, NameLess>;

  const Values& values() const { return values_; }
  // The one way to change a key's values, so a value journal, while one is
  // kept, sees every change before it is made.
  Values& ChangeValues();

  // A lookup by name costs the same however many subkeys a key has.
  Subkeys::iterator FindSubkey(const std::string& subkeyName);
  Subkeys::iterator AddSubkey(const std::shared_ptr<RegKey>& child);
  void RemoveSubkey(Subkeys::iterator it);

  // Enumeration by index walks the sorted map; the last position is kept so a
  // walk 0, 1, 2, ... costs O(1) per step.
  mutable size_t cachedIndex = 0;
  mutable std::map<std::string, std::shared_ptr<RegKey>, NameLess>::const_iterator cachedIt;
  mutable bool cacheValid = false;
  std::unordered_map<std::string, Subkeys::iterator> byFoldedName;

  RegKey* SubkeyAt(size_t index) const;
  void InvalidateCache() const { cacheValid = false; }
  std::string Path() const;  // "HKLM\Software\..."

 private:
  Values values_;
};

namespace registry {

// Path form used by tests and the scenario format: "HKLM\...", "HKCU\...",
// also the long names HKEY_LOCAL_MACHINE\..., HKEY_CURRENT_USER\...
RegKey* Find(const std::string& path);
RegKey* Create(const std::string& path);
bool Exists(const std::string& path);
bool DeleteTree(const std::string& path);

void SetValue(const std::string& keyPath, const std::string& name, DWORD type, const std::vector<BYTE>& data);
void SetString(const std::string& keyPath, const std::string& name, const std::string& value);
void SetMultiString(const std::string& keyPath, const std::string& name, const std::vector<std::string>& values);
void SetDword(const std::string& keyPath, const std::string& name, DWORD value);
std::optional<RegValue> GetValue(const std::string& keyPath, const std::string& name);
std::optional<std::string> GetString(const std::string& keyPath, const std::string& name);

// Subkey names of a key, in enumeration order.
std::vector<std::string> SubkeyNames(const std::string& path);

// Internal helpers shared with the other simulated subsystems.
RegKey* Root(HKEY predefined);
RegKey* FromHandle(HKEY handle);  // nullptr for an unknown handle
RegKey* Resolve(RegKey* base, const std::string& subPath);
void DeleteSubtree(RegKey* key);  // detaches key from its parent and marks it deleted
size_t OpenHandleCount();

}  // namespace registry
}  // namespace sim
