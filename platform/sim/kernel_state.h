// What the simulated kernel keeps for tests to read.
#pragma once

#include <cstddef>

namespace sim {

// Sleep is recorded, not slept, so tests stay fast.
unsigned long long SleptMilliseconds();
// LocalAlloc blocks not yet freed.
size_t LiveLocalBlocks();

}  // namespace sim
