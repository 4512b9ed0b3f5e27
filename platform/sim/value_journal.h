// What the registry's values were before a run changed them. While the
// journal is kept, a key is noted before its values first change (they
// change only through RegKey::ChangeValues), so a reader learns what a run
// wrote without copying the whole registry first.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/sim/registry_store.h"

namespace sim {
namespace registry {

struct ValuesBefore {
  std::string path;  // the key's path when its values first changed
  std::map<std::string, RegValue, NameLess> values;
};

// Starts an empty journal; a machine reset ends it.
void StartValueJournal();
void StopValueJournal();
// In the order the keys were first changed.
const std::vector<ValuesBefore>& ValueJournal();

// Called by RegKey::ChangeValues before every change of a key's values.
void NoteValuesChanging(const RegKey* key);

}  // namespace registry
}  // namespace sim
