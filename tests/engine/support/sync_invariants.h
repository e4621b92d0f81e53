#pragma once
// The data-safety invariants of a synchronisation that may have failed at any call or
// been killed at any moment, checked in one function:
//   - a file the plan does not delete is, on each side, as before or a complete copy of
//     its source (the other side's file before the run); nothing else appears;
//   - a planned deletion leaves the entry unchanged or gone;
//   - the profile still loads;
//   - after the next run (a fault-free synchronisation with best choice) no partial and
//     no temporary file is left on either side, and the run converges: a scan then shows
//     every entry EQUAL and both sides hold the same tree.
#include <string>

#include "tests/engine/support/two_way_pair.h"

namespace kit::scenario {

// What the interrupted run started from: the plan it carried out and both trees.
struct Before {
    Plan plan;
    Tree left, right;
};

// Empty when every invariant holds, else one line per violation. Runs the next
// synchronisation on pair (with its faults cleared) as part of the check.
std::string CheckSyncInvariants(TwoWayPair& pair, const Before& before);

}  // namespace kit::scenario
