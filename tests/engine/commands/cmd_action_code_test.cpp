#include "engine/commands/cmd_action_code.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/filters/protection_filters.h"
#include "tests/engine/support/command_fixture.h"

namespace {

using namespace kit;

// A plan with one entry of each kind the commands treat differently:
//   BOTH                directories on both sides, unchanged       EQUAL
//   BOTH\CHANGED.TXT    changed on the left                        CP_M
//   BOTH\CONFLICT.TXT   changed on both sides, right newer         AMBIGUOUS (best CP_S)
//   BOTH\GONE.TXT       deleted on the right                       DEL_M
//   FRESH.TXT           new on both sides, right newer             AMBIGUOUS (best CP_S)
//   NEWLEFT, \A.TXT     new directory on the left                  CP_M
//   NEWRIGHT, \B.TXT    new directory on the right                 CP_S
//   OLD, \Y.TXT         directory deleted on the left, Y changed   CP_S (best DEL_S)
//   SAME.TXT            unchanged                                  EQUAL
class ActionCodeCommandTest : public testing::Test {
protected:
    void SetUp() override {
        const FileStamp f = File(kT0, 100), d = Dir();
        p.Add("BOTH", d, d, InDb(d));
        p.Add("BOTH\\CHANGED.TXT", File(kT0 + 5 * kSecond, 100), f, InDb(f));
        p.Add("BOTH\\CONFLICT.TXT", File(kT0 + 5 * kSecond, 100), File(kT0 + 9 * kSecond, 100), InDb(f));
        p.Add("BOTH\\GONE.TXT", f, kAbsent, InDb(f));
        p.Add("FRESH.TXT", f, File(kT0 + 5 * kSecond, 100));
        p.Add("NEWLEFT", d, kAbsent);
        p.Add("NEWLEFT\\A.TXT", f, kAbsent);
        p.Add("NEWRIGHT", kAbsent, d);
        p.Add("NEWRIGHT\\B.TXT", kAbsent, f);
        p.Add("OLD", kAbsent, d, InDb(d));
        p.Add("OLD\\Y.TXT", kAbsent, File(kT0 + 5 * kSecond, 100), InDb(f));
        p.Add("SAME.TXT", f, f, InDb(f));
        p.Decide();
        ASSERT_EQ(
            "BOTH=EQUAL BOTH\\CHANGED.TXT=CP_M BOTH\\CONFLICT.TXT=AMBIGUOUS BOTH\\GONE.TXT=DEL_M FRESH.TXT=AMBIGUOUS "
            "NEWLEFT=CP_M NEWLEFT\\A.TXT=CP_M NEWRIGHT=CP_S NEWRIGHT\\B.TXT=CP_S OLD=CP_S OLD\\Y.TXT=CP_S "
            "SAME.TXT=EQUAL",
            p.Codes('A'));
    }

    bool AnyMarked() const {
        for (const ProxyEntry& e : p.proxy.Entries())
            if (e.marked) return true;
        return false;
    }

    CommandFixture p;
};

using Operation = std::function<std::uint32_t(CSyncDataBase&, Proxy&)>;

Operation Change(ActionCode code) {
    return [code](CSyncDataBase& db, Proxy& proxy) { return db.ChangeActionCode(proxy, code); };
}
Operation Dominate(std::uint32_t side) {
    return [side](CSyncDataBase& db, Proxy& proxy) { return db.ChangeDominate(proxy, side); };
}
const Operation kBestChoice = [](CSyncDataBase& db, Proxy& proxy) { return db.BestChoice(proxy); };
const Operation kSkipInverse = [](CSyncDataBase& db, Proxy& proxy) { return db.SkipInverse(proxy); };

struct ChangeCase {
    const char* name;
    std::vector<std::string_view> marked;
    Operation run;
    std::string changed;  // the entries whose AC the command changes
};

TEST_F(ActionCodeCommandTest, DoChangesThePlanAndUndoRestoresEveryCode) {
    const ChangeCase cases[] = {
        {"skip a file and a new directory", {"BOTH\\CHANGED.TXT", "NEWLEFT"}, Change(SKIP),
         "BOTH\\CHANGED.TXT=SKIP NEWLEFT=SKIP NEWLEFT\\A.TXT=SKIP"},
        {"delete a left directory with its contents", {"NEWLEFT"}, Change(DEL_M), "NEWLEFT=DEL_M NEWLEFT\\A.TXT=DEL_M"},
        {"copy a conflict to the left", {"FRESH.TXT"}, Change(CP_S), "FRESH.TXT=CP_S"},
        {"best choice reaches unmarked contents", {"BOTH\\CONFLICT.TXT", "OLD"}, kBestChoice,
         "BOTH\\CONFLICT.TXT=CP_S OLD=DEL_S OLD\\Y.TXT=DEL_S"},
        {"left dominates", {"BOTH\\CONFLICT.TXT", "NEWRIGHT"}, Dominate(DOMINATE_LEFT),
         "BOTH\\CONFLICT.TXT=CP_M NEWRIGHT=DEL_S NEWRIGHT\\B.TXT=DEL_S"},
        {"right dominates", {"FRESH.TXT", "NEWLEFT"}, Dominate(DOMINATE_RIGHT),
         "FRESH.TXT=CP_S NEWLEFT=DEL_M NEWLEFT\\A.TXT=DEL_M"},
        // The marked file's directory is skipped with the rest and comes back with it;
        // the marked conflict has nothing to carry out and stays a conflict.
        {"skip all but the marked", {"NEWLEFT\\A.TXT", "FRESH.TXT"}, kSkipInverse,
         "BOTH\\CHANGED.TXT=SKIP BOTH\\CONFLICT.TXT=SKIP BOTH\\GONE.TXT=SKIP NEWRIGHT=SKIP NEWRIGHT\\B.TXT=SKIP "
         "OLD=SKIP OLD\\Y.TXT=SKIP"},
    };
    const std::string codes = p.Codes('A');
    const std::string untouched = p.Untouched();
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        p.proxy.MarkAll(false);
        for (std::string_view path : c.marked) p.proxy[p.IndexOf(path)].marked = 1;

        EXPECT_EQ(2u, c.run(p.db, p.proxy));
        EXPECT_EQ(c.changed, p.ChangedSince(codes));
        EXPECT_FALSE(AnyMarked());
        const std::string after = p.Codes('A');

        EXPECT_EQ(2u, p.db.commandHistory.Undo());
        EXPECT_EQ(codes, p.Codes('A'));
        EXPECT_EQ(untouched, p.Untouched());
        EXPECT_FALSE(AnyMarked());  // codes come back, marks do not

        EXPECT_EQ(2u, p.db.commandHistory.Redo());
        EXPECT_EQ(after, p.Codes('A'));
        EXPECT_EQ(2u, p.db.commandHistory.Undo());
        EXPECT_EQ(codes, p.Codes('A'));
    }
}

struct NoChangeCase {
    const char* name;
    std::vector<std::string_view> marked;
    Operation run;
};

TEST_F(ActionCodeCommandTest, CommandWithoutEffectReturnsZeroAndKeepsTheRedoTail) {
    const NoChangeCase cases[] = {
        {"nothing marked", {}, Change(SKIP)},
        {"an equal entry takes no code", {"SAME.TXT"}, Change(SKIP)},
        {"a left-only entry cannot be copied to the left", {"NEWLEFT\\A.TXT"}, Change(CP_S)},
        {"already the code", {"BOTH\\CHANGED.TXT"}, Change(CP_M)},
        {"best choice equals the code", {"BOTH\\CHANGED.TXT", "NEWLEFT"}, kBestChoice},
        {"no such side", {"FRESH.TXT"}, Dominate(7)},
        {"left already dominates", {"NEWLEFT\\A.TXT"}, Dominate(DOMINATE_LEFT)},
        {"nothing unmarked to skip", {}, kSkipInverse},
    };
    p.Mark({"FRESH.TXT"});
    ASSERT_EQ(2u, p.db.ChangeActionCode(p.proxy, CP_M));
    const std::string changed = p.Codes('A');
    p.db.commandHistory.Undo();
    const std::string codes = p.Codes('A');
    for (const NoChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        p.proxy.MarkAll(std::string_view(c.name) == "nothing unmarked to skip");
        for (std::string_view path : c.marked) p.proxy[p.IndexOf(path)].marked = 1;
        EXPECT_EQ(0u, c.run(p.db, p.proxy));
        EXPECT_EQ(codes, p.Codes('A'));
        EXPECT_EQ(1u, p.db.commandHistory.GetCount());
        EXPECT_TRUE(p.db.commandHistory.CanRedo());
    }
    EXPECT_EQ(2u, p.db.commandHistory.Redo());
    EXPECT_EQ(changed, p.Codes('A'));
}

// A directory only on the right holding a protected file and a plain one.
TEST(ActionCodeProtectionTest, DominateAndDeleteLeaveAProtectedFileAndItsDirectorySkipped) {
    CommandFixture p;
    const FileStamp f = File(kT0, 100);
    p.Add("KEEP", kAbsent, Dir());
    p.Add("KEEP\\P.TXT", kAbsent, f);
    p.Add("KEEP\\Q.TXT", kAbsent, f);
    p.db.protectionFilters.AddRule(u"KEEP\\P.TXT", ProtectionRule::ACTIVE);
    p.Decide();
    ASSERT_EQ("KEEP=CP_S KEEP\\P.TXT=SKIP KEEP\\Q.TXT=CP_S", p.Codes('A'));

    // Left dominates: the directory and its contents are to be deleted on the right, but
    // the protected file stays, and so does the directory that holds it.
    p.Mark({"KEEP"});
    EXPECT_EQ(2u, p.db.ChangeDominate(p.proxy, DOMINATE_LEFT));
    EXPECT_EQ("KEEP=SKIP KEEP\\P.TXT=SKIP KEEP\\Q.TXT=DEL_S", p.Codes('A'));

    // Deleting the directory is not allowed while it holds a protected file.
    p.Mark({"KEEP"});
    EXPECT_EQ(0u, p.db.ChangeActionCode(p.proxy, DEL_S));
    EXPECT_EQ("KEEP=SKIP KEEP\\P.TXT=SKIP KEEP\\Q.TXT=DEL_S", p.Codes('A'));

    // A protected entry itself stays SKIP whatever dominates; its directory is not
    // protected and may still be created on the left.
    p.Mark({"KEEP\\P.TXT"});
    EXPECT_EQ(0u, p.db.ChangeDominate(p.proxy, DOMINATE_LEFT));
    p.Mark({"KEEP\\P.TXT"});
    EXPECT_EQ(2u, p.db.ChangeDominate(p.proxy, DOMINATE_RIGHT));
    EXPECT_EQ("KEEP=CP_S KEEP\\P.TXT=SKIP KEEP\\Q.TXT=DEL_S", p.Codes('A'));

    EXPECT_EQ(2u, p.db.commandHistory.Undo());
    EXPECT_EQ(2u, p.db.commandHistory.Undo());
    EXPECT_EQ("KEEP=CP_S KEEP\\P.TXT=SKIP KEEP\\Q.TXT=CP_S", p.Codes('A'));
    EXPECT_FALSE(p.db.commandHistory.CanUndo());
}

TEST(ActionCodeDominateTest, SideThatIsMissingIsDeleted) {
    struct Case {
        const char* name;
        bool left, right;
        std::uint32_t side;
        ActionCode expected;
    };
    const Case cases[] = {
        {"left dominates an entry only on the right", false, true, DOMINATE_LEFT, DEL_S},
        {"left dominates an entry on both sides", true, true, DOMINATE_LEFT, CP_M},
        {"right dominates an entry only on the left", true, false, DOMINATE_RIGHT, DEL_M},
        {"right dominates an entry on both sides", true, true, DOMINATE_RIGHT, CP_S},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommandFixture p;
        const FileStamp older = File(kT0, 100), newer = File(kT0 + kSecond, 100);
        // On both sides a conflict (new on both), so that either copy is a change.
        p.Add("X.TXT", c.left ? Side(older) : kAbsent, c.right ? Side(newer) : kAbsent);
        p.Decide();
        p.MarkAll();
        EXPECT_EQ(2u, p.db.ChangeDominate(p.proxy, c.side));
        EXPECT_EQ(c.expected, p["X.TXT"].record.AC);
    }
}

}  // namespace
