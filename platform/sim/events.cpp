#include "platform/sim/events.h"

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"

namespace sim {
namespace events {
namespace {

struct EventRecord {
  unsigned kinds = 0;  // a bit for each kept kind
  std::string readValueName;
  std::vector<Event> events;
};

EventRecord& TheRecord() {
  static EventRecord record;
  return record;
}

unsigned Bit(Kind kind) { return 1u << static_cast<unsigned>(kind); }

ResetHook resetEvents([] { TheRecord() = EventRecord(); });

}  // namespace

void Start(std::initializer_list<Kind> kinds, std::string readValueName) {
  EventRecord record;
  for (Kind kind : kinds) record.kinds |= Bit(kind);
  record.readValueName = std::move(readValueName);
  TheRecord() = std::move(record);
}

void Stop() { TheRecord().kinds = 0; }

const std::vector<Event>& Recorded() { return TheRecord().events; }

bool Kept(Kind kind) { return (TheRecord().kinds & Bit(kind)) != 0; }

bool KeptValueRead(std::string_view valueName) {
  return Kept(Kind::ValueRead) && EqualsNoCase(valueName, TheRecord().readValueName);
}

void Record(Kind kind, std::string subject, std::string name, std::string section) {
  if (!Kept(kind)) return;
  TheRecord().events.push_back(Event{kind, std::move(subject), std::move(name), std::move(section)});
}

}  // namespace events
}  // namespace sim
