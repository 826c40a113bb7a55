// The command line every benchmark takes: [--runs N] [--tiny].  N rounds
// are measured after one that only warms up; fewer than kRunsForVerdict give
// figures but no verdict.  --tiny measures a small set, only to show that
// the program still works.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "paired_runs.h"
#include "rdbtool/max_set.h"

struct BenchOptions {
    int runs = kRunsForVerdict;
    bool tiny = false;

    // The max-scale set, or a small one for --tiny.
    MaxSetShape Shape() const {
        MaxSetShape shape;
        if (tiny) {
            shape.categories = 20;
            shape.itemsPerCategory = 5;
            shape.libraryRecords = 100;
            shape.iniRules = 101;
            shape.userItems = 40;
        }
        return shape;
    }
};

// False, with the usage on stderr, for arguments it does not know.
inline bool ParseBenchOptions(int argc, char** argv, const char* program, BenchOptions& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--tiny") == 0) {
            options.tiny = true;
        } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            options.runs = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "Usage: %s [--runs N] [--tiny]\n", program);
            return false;
        }
    }
    if (options.runs < 1) options.runs = 1;
    return true;
}
