#include "platform/sim/value_journal.h"

#include <unordered_set>

#include "platform/sim/machine.h"

namespace sim {
namespace registry {
namespace {

struct Journal {
  bool kept = false;
  std::vector<ValuesBefore> entries;
  // Deleted keys live until the machine is reset, so no address is reused
  // while a journal is kept.
  std::unordered_set<const RegKey*> noted;
};

Journal& TheJournal() {
  static Journal journal;
  return journal;
}

ResetHook resetJournal([] { TheJournal() = Journal(); });

}  // namespace

void StartValueJournal() {
  TheJournal() = Journal();
  TheJournal().kept = true;
}

void StopValueJournal() { TheJournal().kept = false; }

const std::vector<ValuesBefore>& ValueJournal() { return TheJournal().entries; }

void NoteValuesChanging(const RegKey* key) {
  Journal& journal = TheJournal();
  if (!journal.kept || !journal.noted.insert(key).second) return;
  journal.entries.push_back(ValuesBefore{key->Path(), key->values()});
}

}  // namespace registry
}  // namespace sim
