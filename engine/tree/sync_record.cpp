#include "engine/tree/sync_record.h"

#include <utility>

namespace {

// The side-bound action codes with their sides exchanged.
ActionCode SwitchedCode(ActionCode code) {
    switch (code) {
    case DEL_M: return DEL_S;
    case DEL_S: return DEL_M;
    case CP_M: return CP_S;
    case CP_S: return CP_M;
    default: return code;
    }
}

const CString& SeparatorLine() {
    static const CString line(196, u'-');
    return line;
}

const CString& MissingStampText() {
    static const CString line(193, u'.');
    return line;
}

CString StampText(const FileStamp* stamp) { return stamp ? stamp->DumpText() : MissingStampText(); }

char16_t KindLetter(const FileStamp* stamp) {
    if (!stamp) return u'x';
    return stamp->IsDirectory() ? u'd' : u'f';
}

}  // namespace

void CSyncRecord::ShareNames(FileStamp& stamp) {
    // A million-entry tree holds mostly equal names: the database stamps of both sides
    // and the current ones. Share the first block with the same texts.
    const FileStamp* donors[] = {db ? &db->left : nullptr, db ? &db->right : nullptr, left.get(), right.get()};
    for (const FileStamp* donor : donors) {
        if (donor && donor != &stamp && stamp.ShareNameWith(*donor)) return;
    }
}

void CSyncRecord::SetCurrent(std::unique_ptr<FileStamp>& side, const plat::FindData* data, const FileStamp* stamp) {
    if (!side) side = std::make_unique<FileStamp>();
    if (data) side->Assign(*data, {db ? &db->left : nullptr, db ? &db->right : nullptr, left.get(), right.get()});
    else if (side.get() != stamp) *side = *stamp;
    ShareNames(*side);
}

void CSyncRecord::SetLeftStamp(const plat::FindData& data) { SetCurrent(left, &data, nullptr); }
void CSyncRecord::SetRightStamp(const plat::FindData& data) { SetCurrent(right, &data, nullptr); }
void CSyncRecord::SetLeftStamp(const FileStamp& stamp) { SetCurrent(left, nullptr, &stamp); }
void CSyncRecord::SetRightStamp(const FileStamp& stamp) { SetCurrent(right, nullptr, &stamp); }

void CSyncRecord::SetDatabaseStamps(const FileStampPair& pair) { SetDatabaseStamps(pair.left, pair.right); }

void CSyncRecord::SetDatabaseStamps(const FileStamp& leftStamp, const FileStamp& rightStamp) {
    // Copy both first: the arguments may be this record's own database stamps.
    FileStamp l = leftStamp;
    FileStamp r = rightStamp;
    if (!db) db = std::make_unique<FileStampPair>();
    db->left = std::move(l);
    db->right = std::move(r);
    ShareNames(db->left);
    ShareNames(db->right);
}

bool CSyncRecord::ResetCurrent() {
    left.reset();
    right.reset();
    PA = AC = BC = INVALID;
    ST = CREATED;
    BL = BR = NO_BIAS;
    FG = 0;
    return !db;
}

bool CSyncRecord::SidesDiffer() const {
    if (!left && !right) return false;
    if (!left || !right) return true;
    return left->IsDirectory() != right->IsDirectory();
}

std::uint32_t CSyncRecord::PermittedActions() const {
    if (AC == INVALID || AC == EQUAL || AC == DEL_D) return 0;
    if (left && right) return PERMITTED_BOTH_SIDES;
    if (left) return PERMITTED_LEFT_ONLY;
    if (right) return PERMITTED_RIGHT_ONLY;
    return 0;
}

ActionCode CSyncRecord::SetAction(ActionCode code) {
    if (code != AC) {
        AC = code;
        FG |= FG_MARKED;
    }
    return AC;
}

void CSyncRecord::SetContentState(int state) {
    switch (state) {
    case CONTENT_NOT_COMPARED: FG &= ~(FG_CONTENT_EQUAL | FG_CONTENT_DIFFERENT); break;
    case CONTENT_EQUAL: FG = (FG | FG_CONTENT_EQUAL) & ~FG_CONTENT_DIFFERENT; break;
    case CONTENT_DIFFERENT: FG = (FG | FG_CONTENT_DIFFERENT) & ~FG_CONTENT_EQUAL; break;
    default: break;
    }
}

int CSyncRecord::GetContentState() const {
    if (FG & FG_CONTENT_DIFFERENT) return CONTENT_DIFFERENT;
    if (FG & FG_CONTENT_EQUAL) return CONTENT_EQUAL;
    return CONTENT_NOT_COMPARED;
}

void CSyncRecord::SwitchSides() {
    std::swap(left, right);
    PA = SwitchedCode(PA);
    AC = SwitchedCode(AC);
    BC = SwitchedCode(BC);
    // BL and BR describe the left and right stamps against their database stamps; they
    // travel with the stamps, or an export after the switch would show each side's
    // shift class on the other side.
    std::swap(BL, BR);
    const std::uint8_t l = FG & FG_LEFT_INACCESSIBLE;
    const std::uint8_t r = FG & FG_RIGHT_INACCESSIBLE;
    FG = static_cast<std::uint8_t>((FG & ~(FG_LEFT_INACCESSIBLE | FG_RIGHT_INACCESSIBLE)) | (l << 1) | (r >> 1));
    if (db) std::swap(db->left, db->right);
}

CString CSyncRecord::Dump() const {
    CString out = CString::Format(u"\"%s\"\n", GetPath());
    out.AppendFormat(u"%s\n", SeparatorLine());
    out.AppendFormat(u"CL:%s\n", StampText(left.get()));
    out.AppendFormat(u"TL:%s\n", StampText(db ? &db->left : nullptr));
    out.AppendFormat(u"TR:%s\n", StampText(db ? &db->right : nullptr));
    out.AppendFormat(u"CR:%s\n", StampText(right.get()));
    out.AppendFormat(u"%s\n", SeparatorLine());
    out.AppendFormat(u"FL:%c,FR:%c,PA:%9s,AC:%9s,BC:%9s,ST:%9s,BL:%10s,BR:%10s,FG:%04x\n", KindLetter(left.get()),
                     KindLetter(right.get()), ActionCodeName(PA), ActionCodeName(AC), ActionCodeName(BC),
                     SyncStatusName(ST), BiasName(BL), BiasName(BR), unsigned(FG));
    return out;
}

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
