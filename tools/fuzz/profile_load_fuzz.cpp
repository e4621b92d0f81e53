// libFuzzer entry point: arbitrary bytes into CSyncDataBase::Load (no signature check),
// with the checks of tests/engine/support/profile_load_check.h. See docs/ARCHITECTURE.md
// ("Fuzzing the profile reader") for how to build and run it.
#include <cstdio>
#include <cstdlib>

#include "tests/engine/support/profile_load_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string problem = kit::CheckProfileLoad(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "profile load check failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
