// The Windows smoke program: what can be checked without a serial device, through the
// operations table as the program uses it. Exit code 0 when every check passed.
#include <cstdio>

#include "tests/win32/check.h"

namespace smoke {
Tally& tally() {
    static Tally instance;
    return instance;
}
}  // namespace smoke

int main() {
    const struct {
        const char* name;
        void (*run)();
    } groups[] = {
        {"portable code", smoke::checkPortableCode},
        {"operations table", smoke::checkOperations},
        {"write queue", smoke::checkWriteQueue},
        {"port discovery", smoke::checkDiscovery},
        {"receive box rows", smoke::checkTextRows},
    };
    for (const auto& group : groups) {
        std::printf("-- %s\n", group.name);
        std::fflush(stdout);
        group.run();
    }
    const smoke::Tally& t = smoke::tally();
    std::printf("%d passed, %d failed\n", t.passed, t.failed);
    return t.failed == 0 ? 0 : 1;
}
