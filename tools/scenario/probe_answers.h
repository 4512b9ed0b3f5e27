// The Wine runner's probe questions (key, value, file, process, window),
// answered on the simulated machine in the probe's own words, so the two
// worlds' final states compare line by line.
#pragma once

#include <string>

namespace scenario {

// One question, "KIND<tab>ARGUMENT"; the answer as tests/wine/tools/probe.cpp
// gives it ("present", "absent", "sz:TEXT", "attr:21", a count ...).
std::string AnswerProbe(const std::string& kind, const std::string& argument);

// Every line of questions, answered: "KIND<tab>ARGUMENT<tab>ANSWER\n".
std::string AnswerProbeFile(const std::string& questions);

// What the program showed, in the lines the Wine runs record: every text set
// ("text ID TEXT"), every progress message ("progress MESSAGE WPARAM LPARAM"),
// the final position ("position POS") and every box ("box CAPTION|TEXT").
std::string ShownRecord();

}  // namespace scenario
