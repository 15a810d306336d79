#include <cstdio>
#include <cstdlib>

#include "support/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString problem = testsupport::fuzzSettingsFiles(data, size);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "settings files: %s\n", qUtf8Printable(problem));
        std::abort();
    }
    return 0;
}
