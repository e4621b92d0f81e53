#include <cstdio>
#include <cstdlib>

#include "platform/core/process_control.h"
#include "tools/engine-run/engine_run.h"

int main(int argc, char** argv) {
    plat::RestartWithHugePageHeap(argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    const int rc = engine_run::Run(args, stdout, stderr, /*endOfProcess=*/true);
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(rc);
}
