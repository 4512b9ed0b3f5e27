// The readable account of a run: what the program showed, and what it
// removed, changed, kept and left alone.
#pragma once

#include <string>
#include <vector>

#include "image/snapshot.h"

namespace image {

// Line feeds shown as \n, so each text stays on one line, as expect writes it.
std::string OneLine(const std::string& text);

// Keys gone, each named once, at the top of its removed subtree.
std::vector<std::string> TopRemovedKeys(const MachineSnapshot& before, const MachineSnapshot& after);

// The dialog with its controls' final texts, the texts set while it ran,
// the progress bar and the message boxes, from the simulated desktop.
std::string DescribeShown();

// fresh: a machine with nothing of the scenario's; before/after: the image
// laid in, and the machine once the program has ended. What the image added
// and still holds is "kept"; what a fresh machine has is "left alone".
std::string DescribeChanges(const MachineSnapshot& fresh, const MachineSnapshot& before,
                            const MachineSnapshot& after);

}  // namespace image
