// A minimal checker for the Windows smoke program: each CHECK counts a pass or prints
// the failed expression and counts a failure; main's exit code says whether any failed.
#pragma once

#include <cstdio>

namespace smoke {

struct Tally {
    int passed = 0;
    int failed = 0;
};
Tally& tally();

inline void record(bool ok, const char* expression, const char* file, int line) {
    if (ok) {
        ++tally().passed;
        return;
    }
    ++tally().failed;
    std::printf("FAILED %s:%d: %s\n", file, line, expression);
    std::fflush(stdout);
}

// The groups of checks, one per file.
void checkPortableCode();
void checkOperations();
void checkWriteQueue();
void checkDiscovery();
void checkTextRows();

}  // namespace smoke

#define CHECK(expression) ::smoke::record(static_cast<bool>(expression), #expression, __FILE__, __LINE__)
