#include "engine/decision/comparer.h"
#include "engine/tree/sync_record.h"

#include <gtest/gtest.h>

namespace {

constexpr FileTime kT = 133549796967891234ULL;  // 2024-03-15 12:34:56.789.123.400

FileStamp Stamp(std::u16string_view name, std::uint32_t attributes, FileTime t, std::uint64_t size = 0) {
    FileStamp s;
    s.attributes = attributes;
    s.creationTime = t;
    s.lastAccessTime = t;
    s.lastWriteTime = t;
    s.SetSize(size);
    s.SetName(name);
    return s;
}

enum Sides { NONE, LEFT_FILE, RIGHT_FILE, BOTH_FILES, LEFT_DIR_RIGHT_FILE, BOTH_DIRS };

void GiveSides(CSyncRecord& r, Sides sides) {
    const FileStamp file = Stamp(u"f", 0x20, kT);
    const FileStamp dir = Stamp(u"f", 0x10, kT);
    switch (sides) {
    case NONE: break;
    case LEFT_FILE: r.SetLeftStamp(file); break;
    case RIGHT_FILE: r.SetRightStamp(file); break;
    case BOTH_FILES: r.SetLeftStamp(file); r.SetRightStamp(file); break;
    case LEFT_DIR_RIGHT_FILE: r.SetLeftStamp(dir); r.SetRightStamp(file); break;
    case BOTH_DIRS: r.SetLeftStamp(dir); r.SetRightStamp(dir); break;
    }
}

TEST(SyncRecordTest, NewRecordIsEmpty) {
    const CSyncRecord r;
    EXPECT_EQ(r.db, nullptr);
    EXPECT_EQ(r.left, nullptr);
    EXPECT_EQ(r.right, nullptr);
    EXPECT_EQ(r.filterState, nullptr);
    EXPECT_TRUE(r.GetPath().IsEmpty());
    EXPECT_EQ(r.PA | r.AC | r.BC | r.ST | r.FG | r.BL | r.BR, 0);
}

TEST(SyncRecordTest, SidesDiffer) {
    struct Case {
        Sides sides;
        bool differ;
    } const cases[] = {
        {NONE, false}, {LEFT_FILE, true}, {RIGHT_FILE, true}, {BOTH_FILES, false}, {LEFT_DIR_RIGHT_FILE, true},
        {BOTH_DIRS, false},
    };
    for (const Case& c : cases) {
        CSyncRecord r;
        GiveSides(r, c.sides);
        EXPECT_EQ(r.SidesDiffer(), c.differ) << c.sides;
    }
}

TEST(SyncRecordTest, PermittedActions) {
    struct Case {
        Sides sides;
        ActionCode ac;
        std::uint32_t mask;
    } const cases[] = {
        {BOTH_FILES, INVALID, 0},        {BOTH_FILES, EQUAL, 0},       {BOTH_FILES, DEL_D, 0},
        {BOTH_FILES, AMBIGUOUS, 0x388},  {BOTH_FILES, CP_M, 0x388},    {LEFT_DIR_RIGHT_FILE, SKIP, 0x388},
        {LEFT_FILE, CP_M, 0x128},        {LEFT_FILE, DEL_M, 0x128},    {LEFT_FILE, EQUAL, 0},
        {RIGHT_FILE, CP_S, 0x248},       {RIGHT_FILE, UPDATE_D, 0x248}, {NONE, CP_M, 0},
        {NONE, DEL_D, 0},
    };
    for (const Case& c : cases) {
        CSyncRecord r;
        GiveSides(r, c.sides);
        r.AC = c.ac;
        EXPECT_EQ(r.PermittedActions(), c.mask) << c.sides << " " << int(c.ac);
    }
}

TEST(SyncRecordTest, SetActionMarksOnlyAChange) {
    CSyncRecord r;
    r.AC = CP_M;
    EXPECT_EQ(r.SetAction(CP_M), CP_M);
    EXPECT_EQ(r.FG, 0);
    EXPECT_EQ(r.SetAction(SKIP), SKIP);
    EXPECT_EQ(r.AC, SKIP);
    EXPECT_EQ(r.FG, FG_MARKED);
    EXPECT_EQ(r.PA, INVALID);  // only AC changes
}

TEST(SyncRecordTest, ContentStateBits) {
    struct Case {
        std::uint8_t before;
        int state;
        std::uint8_t after;
        int read;
    } const cases[] = {
        {0x00, 1, 0x04, 1}, {0x08, 1, 0x04, 1}, {0x33, 1, 0x37, 1}, {0x04, 2, 0x08, 2},
        {0x37, 2, 0x3B, 2}, {0x0C, 0, 0x00, 0}, {0x3F, 0, 0x33, 0}, {0x04, 7, 0x04, 1},
    };
    for (const Case& c : cases) {
        CSyncRecord r;
        r.FG = c.before;
        r.SetContentState(c.state);
        EXPECT_EQ(r.FG, c.after) << int(c.before) << " " << c.state;
        EXPECT_EQ(r.GetContentState(), c.read);
    }
}

TEST(SyncRecordTest, ResetCurrentKeepsOnlyTheDatabase) {
    for (bool inDatabase : {false, true}) {
        CSyncRecord r;
        GiveSides(r, BOTH_FILES);
        if (inDatabase) r.SetDatabaseStamps(*r.left, *r.right);
        r.SetPath(u"A\\B");
        r.PA = r.AC = r.BC = CP_M;
        r.ST = DONE;
        r.BL = r.BR = POS_BIAS;
        r.FG = 0x3F;
        EXPECT_EQ(r.ResetCurrent(), !inDatabase);
        EXPECT_EQ(r.left, nullptr);
        EXPECT_EQ(r.right, nullptr);
        EXPECT_EQ(r.IsInDatabase(), inDatabase);
        EXPECT_EQ(r.PA | r.AC | r.BC | r.ST | r.FG | r.BL | r.BR, 0);
        EXPECT_EQ(r.GetPath(), CString(u"A\\B"));
    }
}

TEST(SyncRecordTest, StampsAreCopiedIntoTheExistingOnesAndShareNames) {
    CSyncRecord r;
    r.SetLeftStamp(Stamp(u"Name.txt", 0x20, kT, 5));
    const FileStamp* held = r.left.get();
    plat::FindData d = Stamp(u"Name.txt", 0x20, kT + 1, 6).ToFindData();
    r.SetLeftStamp(d);
    EXPECT_EQ(r.left.get(), held);  // copied into the existing stamp
    EXPECT_EQ(r.left->lastWriteTime, kT + 1);
    EXPECT_EQ(r.left->GetSize(), 6u);

    r.SetRightStamp(d);
    r.SetDatabaseStamps(*r.left, *r.right);
    EXPECT_TRUE(r.right->SharesNameWith(*r.left));
    EXPECT_TRUE(r.db->left.SharesNameWith(*r.left));
    EXPECT_TRUE(r.db->right.SharesNameWith(*r.left));

    // A database pair read separately still ends up shared with equal current names.
    FileStampPair pair{Stamp(u"Name.txt", 0x20, kT), Stamp(u"NAME.TXT", 0x20, kT)};
    r.SetDatabaseStamps(pair);
    EXPECT_TRUE(r.db->left.SharesNameWith(*r.left));
    EXPECT_EQ(r.db->right.GetName(), u"NAME.TXT");
    EXPECT_EQ(r.db->right.lastWriteTime, kT);

    // The record's own database stamps as the source.
    r.SetDatabaseStamps(r.db->right, r.db->left);
    EXPECT_EQ(r.db->left.GetName(), u"NAME.TXT");
    EXPECT_EQ(r.db->right.GetName(), u"Name.txt");
    r.DropDatabase();
    EXPECT_FALSE(r.IsInDatabase());
}

// Every field of a record, for comparing two of them.
std::string Describe(const CSyncRecord& r) {
    std::string out = r.Dump().ToUtf8();
    auto stamp = [&](const FileStamp* s) {
        if (!s) return std::string("-");
        return std::to_string(s->reserved0) + "," + std::to_string(s->reserved1) + "," + CString(s->GetName()).ToUtf8();
    };
    out += stamp(r.left.get()) + "|" + stamp(r.right.get()) + "|" + stamp(r.db ? &r.db->left : nullptr) + "|" +
           stamp(r.db ? &r.db->right : nullptr);
    return out;
}

TEST(SyncRecordTest, SwitchSidesExchangesTheSidesAndTwiceIsTheIdentity) {
    struct Case {
        ActionCode pa, ac, bc;
        std::uint8_t fg, switchedFg;
        ActionCode switchedPa, switchedAc, switchedBc;
        bool inDatabase;
    } const cases[] = {
        {CP_M, DEL_S, AMBIGUOUS, 0x11, 0x21, CP_S, DEL_M, AMBIGUOUS, true},
        {DEL_M, CP_S, CP_M, 0x2E, 0x1E, DEL_S, CP_M, CP_S, false},
        {EQUAL, UPDATE_D, SKIP, 0x30, 0x30, EQUAL, UPDATE_D, SKIP, true},
        {DEL_D, INVALID, DEL_D, 0x00, 0x00, DEL_D, INVALID, DEL_D, true},
    };
    for (const Case& c : cases) {
        CSyncRecord r;
        r.SetLeftStamp(Stamp(u"left.txt", 0x20, kT, 1));
        if (c.inDatabase) r.SetDatabaseStamps(Stamp(u"dbl.txt", 0x20, kT, 3), Stamp(u"dbr.txt", 0x10, kT, 4));
        r.SetPath(u"DIR\\LEFT.TXT");
        r.PA = c.pa;
        r.AC = c.ac;
        r.BC = c.bc;
        r.ST = FAILED;
        r.FG = c.fg;
        r.BL = POS_BIAS;
        r.BR = NEG_BIAS;
        const std::string before = Describe(r);

        r.SwitchSides();
        EXPECT_EQ(r.left, nullptr);
        ASSERT_NE(r.right, nullptr);
        EXPECT_EQ(r.right->GetName(), u"left.txt");
        if (c.inDatabase) {
            EXPECT_EQ(r.db->left.GetName(), u"dbr.txt");
            EXPECT_EQ(r.db->right.GetName(), u"dbl.txt");
        }
        EXPECT_EQ(r.PA, c.switchedPa);
        EXPECT_EQ(r.AC, c.switchedAc);
        EXPECT_EQ(r.BC, c.switchedBc);
        EXPECT_EQ(r.FG, c.switchedFg);
        // Each side's shift class goes with its stamps.
        EXPECT_EQ(r.BL, NEG_BIAS);
        EXPECT_EQ(r.BR, POS_BIAS);

        r.SwitchSides();
        EXPECT_EQ(Describe(r), before);
    }
}

const std::string kSeparator(196, '-');
const std::string kMissing(193, '.');

TEST(SyncRecordTest, DumpWithAllFourStamps) {
    CSyncRecord r;
    r.SetLeftStamp(Stamp(u"a.txt", 0x20, kT, 0x10));
    r.SetRightStamp(Stamp(u"A.TXT", 0x21, 0, 0x1234567890ULL));
    r.SetDatabaseStamps(Stamp(u"a.txt", 0x10, kT + kOneHour), Stamp(u"a.txt", 0x80, kT));
    r.SetPath(u"DIR\\A.TXT");
    r.PA = UPDATE_D;
    r.AC = AMBIGUOUS;
    r.BC = CP_S;
    r.ST = CANCELLED;
    r.BL = FENCE_BIAS;
    r.BR = NUL_BIAS;
    r.FG = 0x2B;
    const std::string t = "2024-03-15 12:34:56.789.123.400 (01da76d53018c122)";
    const std::string t1 = "2024-03-15 13:34:56.789.123.400 (01da76dd91dd2922)";
    const std::string zero = "1601-01-01 00:00:00.000.000.000 (0000000000000000)";
    const std::string expected =
        "\"DIR\\A.TXT\"\n" + kSeparator + "\n" +
        "CL:FA:00000020,CT:" + t + ",AT:" + t + ",WT:" + t + ",SZ:0000000000000010\n" +
        "TL:FA:00000010,CT:" + t1 + ",AT:" + t1 + ",WT:" + t1 + ",SZ:0000000000000000\n" +
        "TR:FA:00000080,CT:" + t + ",AT:" + t + ",WT:" + t + ",SZ:0000000000000000\n" +
        "CR:FA:00000021,CT:" + zero + ",AT:" + zero + ",WT:" + zero + ",SZ:0000001234567890\n" +
        kSeparator + "\n" +
        "FL:f,FR:f,PA: UPDATE_D,AC:AMBIGUOUS,BC:     CP_S,ST:CANCELLED,BL:FENCE_BIAS,BR:  NUL_BIAS,FG:002b\n";
    EXPECT_EQ(r.Dump().ToUtf8(), expected);
}

TEST(SyncRecordTest, DumpWithMissingStamps) {
    struct Case {
        Sides sides;
        std::string kinds;
    } const cases[] = {
        {NONE, "FL:x,FR:x"}, {BOTH_DIRS, "FL:d,FR:d"}, {LEFT_DIR_RIGHT_FILE, "FL:d,FR:f"}, {RIGHT_FILE, "FL:x,FR:f"},
    };
    for (const Case& c : cases) {
        CSyncRecord r;
        GiveSides(r, c.sides);
        const std::string l = r.left ? r.left->DumpText().ToUtf8() : kMissing;
        const std::string rt = r.right ? r.right->DumpText().ToUtf8() : kMissing;
        const std::string expected = "\"\"\n" + kSeparator + "\n" + "CL:" + l + "\n" + "TL:" + kMissing + "\n" +
                                     "TR:" + kMissing + "\n" + "CR:" + rt + "\n" + kSeparator + "\n" + c.kinds +
                                     ",PA:  INVALID,AC:  INVALID,BC:  INVALID,ST:  CREATED,BL:   NO_BIAS,"
                                     "BR:   NO_BIAS,FG:0000\n";
        EXPECT_EQ(r.Dump().ToUtf8(), expected);
    }
}

TEST(SyncRecordTest, EnumerationNames) {
    EXPECT_EQ(CString(ActionCodeName(UPDATE_D)), CString(u"UPDATE_D"));
    EXPECT_EQ(CString(ActionCodeName(CP_S)), CString(u"CP_S"));
    EXPECT_EQ(CString(ActionCodeName(10)), CString(u"?"));
    EXPECT_EQ(CString(SyncStatusName(DONE)), CString(u"DONE"));
    EXPECT_EQ(CString(SyncStatusName(6)), CString(u"?"));
    EXPECT_EQ(CString(BiasName(NEG_BIAS)), CString(u"NEG_BIAS"));
    EXPECT_EQ(CString(BiasName(0xFFFFFFFF)), CString(u"?"));
}

TEST(SyncRecordTest, PathKeepsEveryCodeUnit) {
    const std::u16string texts[] = {u"", u"A\\B.TXT", u"\u00C4\u00D6\\\u00FF", u"\u0416\\\U0001F600",
                                    std::u16string(u"X\xDC80Y"), std::u16string(5000, u'Z')};
    for (const std::u16string& t : texts) {
        CSyncRecord r;
        r.SetPath(t);
        EXPECT_EQ(r.GetPath().str(), t);
        EXPECT_TRUE(r.path.Equals(t));
        PackedText copy = r.path;
        EXPECT_EQ(copy.ToString().str(), t);
    }
}

}  // namespace

namespace {

// An entry whose left side moved by one hour against the database (a daylight-saving
// change on a FAT volume) while the right side is as stored.
void ShiftedEntry(CSyncRecord& r, FileTime leftTime) {
    r.SetDatabaseStamps(Stamp(u"a.txt", 0x20, kT, 5), Stamp(u"a.txt", 0x20, kT, 5));
    r.SetLeftStamp(Stamp(u"a.txt", 0x20, leftTime, 5));
    r.SetRightStamp(Stamp(u"a.txt", 0x20, kT, 5));
}

TEST(SyncRecordShiftTest, NoShiftChangesNothing) {
    struct Case {
        bool inDatabase;
        Bias left, right;
    } const cases[] = {
        {true, NUL_BIAS, NO_BIAS}, {true, NO_BIAS, NO_BIAS}, {true, NUL_BIAS, NUL_BIAS},
        {true, FENCE_BIAS, NO_BIAS}, {false, POS_BIAS, NEG_BIAS},
    };
    const ComparerOptions options;
    for (const Case& c : cases) {
        CSyncRecord r;
        ShiftedEntry(r, kT + kOneHour);
        if (!c.inDatabase) r.DropDatabase();
        r.Decide(options);
        r.FG |= FG_MARKED;
        r.BC = SKIP;
        r.ST = DONE;
        const std::string before = Describe(r);
        const FileStampPair* pair = r.db.get();
        EXPECT_FALSE(r.ShiftDatabaseTimes(c.left, c.right, options)) << int(c.left) << " " << int(c.right);
        EXPECT_EQ(Describe(r), before);
        EXPECT_EQ(r.db.get(), pair);
        if (r.db) {
            EXPECT_EQ(r.db->left.lastWriteTime, kT);
        }
    }
}

TEST(SyncRecordShiftTest, ShiftMovesTheDatabaseSideAndDecidesAgain) {
    struct Case {
        Bias left, right;
        FileTime currentLeft;
        FileTime dbLeft, dbRight;
        ActionCode before, after;
    } const cases[] = {
        // The left side is one hour later: without the shift it looks changed.
        {POS_BIAS, NUL_BIAS, kT + kOneHour, kT + kOneHour, kT, CP_M, EQUAL},
        {NEG_BIAS, NO_BIAS, kT - kOneHour, kT - kOneHour, kT, CP_M, EQUAL},
        // Shifting the wrong way or the other side leaves a difference.
        {NEG_BIAS, NUL_BIAS, kT + kOneHour, kT - kOneHour, kT, CP_M, CP_M},
        {NUL_BIAS, POS_BIAS, kT + kOneHour, kT, kT + kOneHour, CP_M, AMBIGUOUS},
    };
    const ComparerOptions options;
    for (const Case& c : cases) {
        CSyncRecord r;
        ShiftedEntry(r, c.currentLeft);
        r.Decide(options);
        EXPECT_EQ(r.PA, c.before);
        r.SetAction(SKIP);
        r.BC = CP_S;
        r.ST = FAILED;
        EXPECT_TRUE(r.ShiftDatabaseTimes(c.left, c.right, options));
        EXPECT_EQ(r.db->left.creationTime, c.dbLeft);
        EXPECT_EQ(r.db->left.lastAccessTime, c.dbLeft);
        EXPECT_EQ(r.db->left.lastWriteTime, c.dbLeft);
        EXPECT_EQ(r.db->right.lastWriteTime, c.dbRight);
        EXPECT_EQ(r.PA, c.after);
        EXPECT_EQ(r.AC, c.after);  // the user's edit is gone with the old decision
        EXPECT_EQ(r.BC, INVALID);
        EXPECT_EQ(r.ST, CREATED);
        EXPECT_EQ(r.FG, FG_DECIDED);  // the mark of the edit goes
    }
    // The content state survives the shift and still counts in the new decision.
    CSyncRecord r;
    ShiftedEntry(r, kT + kOneHour);
    r.SetContentState(CONTENT_EQUAL);
    r.FG |= FG_MARKED;
    EXPECT_TRUE(r.ShiftDatabaseTimes(POS_BIAS, NO_BIAS, options));
    EXPECT_EQ(r.FG, FG_DECIDED | FG_CONTENT_EQUAL);
    EXPECT_EQ(r.PA, EQUAL);
}

}  // namespace
