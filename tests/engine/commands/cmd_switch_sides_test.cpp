#include "engine/commands/cmd_switch_sides.h"

#include <gtest/gtest.h>

#include "tests/engine/support/command_fixture.h"

namespace {

using namespace kit;

// Everything a switch of sides touches, as one text: the roots and the sides' shifts, and
// per record both stamps, the database pair, PA, AC, BC, BL, BR and FG.
std::string Sides(const CommandFixture& p) {
    std::string out = p.db.leftRoot.ToUtf8() + " " + p.db.rightRoot.ToUtf8() + " " +
                      std::to_string(p.db.leftBias) + std::to_string(p.db.rightBias) + "\n";
    for (FSTreeNode* n : FSTree::Subtree(p.db.GetRoot())) out += n->record.Dump().ToUtf8();
    return out;
}

TEST(SwitchSidesTest, TwiceRestoresEverything) {
    CommandFixture p;
    const FileStamp f = File(kT0, 100), d = Dir();
    p.Add("DIR", d, kAbsent);
    p.Add("DIR\\A.TXT", f, kAbsent);
    p.Add("GONE.TXT", kAbsent, f, InDb(f));
    p.Add("CHANGED.TXT", File(kT0 + kSecond, 100), File(kT0 + kHour, 200), InDb(f, File(kT0 + kHour, 100)));
    p.Decide();
    p["DIR"].record.FG |= FG_LEFT_INACCESSIBLE;
    p.db.leftRoot = u"/data/left/";
    p.db.rightRoot = u"/data/right/";
    p.db.rootsValid = 1;
    p.db.leftBias = POS_BIAS;
    const std::string before = Sides(p);

    EXPECT_EQ(7u, p.db.SwitchSides());
    EXPECT_EQ(CString(u"/data/right/"), p.db.leftRoot);
    EXPECT_EQ(CString(u"/data/left/"), p.db.rightRoot);
    EXPECT_EQ(POS_BIAS, p.db.rightBias);
    const CSyncRecord& dir = p["DIR"].record;
    EXPECT_TRUE(dir.left == nullptr && dir.right != nullptr);
    EXPECT_EQ(CP_S, dir.AC);
    EXPECT_EQ(FG_RIGHT_INACCESSIBLE, dir.FG & (FG_LEFT_INACCESSIBLE | FG_RIGHT_INACCESSIBLE));
    EXPECT_EQ(DEL_M, p["GONE.TXT"].record.AC);
    const std::string switched = Sides(p);
    EXPECT_NE(before, switched);

    EXPECT_EQ(7u, p.db.SwitchSides());
    EXPECT_EQ(before, Sides(p));
    EXPECT_EQ(7u, p.db.commandHistory.Undo());
    EXPECT_EQ(switched, Sides(p));
    EXPECT_EQ(7u, p.db.commandHistory.Undo());
    EXPECT_EQ(before, Sides(p));
}

TEST(SwitchSidesTest, WithoutRootsNothingHappens) {
    CommandFixture p;
    p.Add("A.TXT", File(kT0, 1), kAbsent);
    p.Decide();
    const std::string before = Sides(p);
    EXPECT_EQ(0u, p.db.SwitchSides());
    EXPECT_EQ(before, Sides(p));
    EXPECT_FALSE(p.db.commandHistory.CanUndo());
}

}  // namespace
