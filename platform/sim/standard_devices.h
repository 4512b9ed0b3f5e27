// The devices every machine has before any package is added: a PC always has
// a display adapter, input devices and the buses they hang on, so a removal
// meets neighbours. These are the ones Wine's fresh machine lists, so both
// worlds hold the same devices.
#pragma once

namespace sim {
namespace devices {

// Writes their Enum keys under the running family's enumeration root.
void AddStandardDevices();

}  // namespace devices
}  // namespace sim
