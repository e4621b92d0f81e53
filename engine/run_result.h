#pragma once
// The result of every scan, synchronisation, batch and unattended run.
enum RunResult : int {
    RUN_FINISHED = 0,
    RUN_CANCELLED = 1,              // also after an abort answer
    RUN_FINISHED_WITH_ERRORS = 2,
};
