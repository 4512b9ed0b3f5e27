// What the simulated machine showed, in the words the Wine runs record, so
// the two worlds' final states compare line by line.
#pragma once

#include <string>

#include "harness/probe_questions.h"

namespace harness {

// What the program showed, in the lines the Wine runs record: every text set
// ("text ID TEXT"), every progress message ("progress MESSAGE WPARAM LPARAM"),
// the final position ("position POS") and every box ("box CAPTION|TEXT").
std::string ShownRecord();

}  // namespace harness
