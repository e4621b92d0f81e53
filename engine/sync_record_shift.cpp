// Kept apart from sync_record.cpp because it is the record's only use of the decision:
// code that never shifts database times does not pull the decision in.
#include "engine/sync_record.h"

namespace {

bool MovesTimes(Bias bias) { return bias == POS_BIAS || bias == NEG_BIAS; }

}  // namespace

bool CSyncRecord::ShiftDatabaseTimes(Bias leftBias, Bias rightBias, const ComparerOptions& options) {
    if (!db) return false;
    const bool moveLeft = MovesTimes(leftBias);
    const bool moveRight = MovesTimes(rightBias);
    if (!moveLeft && !moveRight) return false;
    if (moveLeft) db->left.ShiftTimes(leftBias);
    if (moveRight) db->right.ShiftTimes(rightBias);
    FG &= FG_KEPT_BY_SHIFT;
    PA = AC = BC = INVALID;
    ST = CREATED;
    BL = BR = NO_BIAS;
    Decide(options);
    return true;
}
