// Reports the machine's state after a run, one answer per question, so the
// scenario runner can compare it with what the scenario expects.
//
//   probe.exe QUESTIONS ANSWERS
// Each question line is KIND<tab>ARGUMENT; each answer line repeats it and adds
// <tab>RESULT. Kinds: key PATH, value PATH|NAME, file RELATIVE-PATH (under the
// Windows directory), process EXE, window TITLE.
#include <cstdio>
#include <string>

#include "harness/probe_questions.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: probe QUESTIONS ANSWERS\n");
        return 2;
    }
    FILE* in = fopen(argv[1], "rb");
    if (in == NULL)
        return 3;
    std::string questions;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof(chunk), in)) > 0;)
        questions.append(chunk, n);
    fclose(in);
    FILE* out = fopen(argv[2], "wb");
    if (out == NULL)
        return 4;
    const std::string answers = harness::AnswerProbeFile(questions);
    fwrite(answers.data(), 1, answers.size(), out);
    fclose(out);
    return 0;
}
