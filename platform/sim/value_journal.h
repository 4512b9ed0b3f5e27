// What the registry's values were before a run changed them. While the
// journal is kept, every writer notes a key before it first changes the
// key's values, so a reader learns what a run wrote without copying the
// whole registry first.
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

// Every change of a key's values goes through here first.
void NoteValuesChanging(const RegKey* key);

}  // namespace registry
}  // namespace sim
