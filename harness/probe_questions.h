// The questions both scenario runners ask a machine after a run (key, value,
// file, process, window), answered through the Win32 calls alone, so the real
// machine under Wine (tests/wine/tools/probe.cpp) and the simulated one give
// their answers in the same words from the same code.
#pragma once

#include <string>

namespace harness {

// One question, KIND and ARGUMENT; the answer: "present", "absent",
// "sz:TEXT", "attr:21", a count of running copies ...
std::string AnswerProbe(const std::string& kind, const std::string& argument);

// Every line of questions, "KIND<tab>ARGUMENT", answered:
// "KIND<tab>ARGUMENT<tab>ANSWER\n".
std::string AnswerProbeFile(const std::string& questions);

}  // namespace harness
