#include "tools/engine-run/engine_run.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return engine_run::Run(args, stdout, stderr);
}
