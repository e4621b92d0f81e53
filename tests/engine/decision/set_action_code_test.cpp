#include "engine/decision/set_action_code.h"

#include <gtest/gtest.h>

#include "engine/decision/decision.h"
#include "engine/filters/protection_filters.h"
#include "engine/proxy.h"
#include "engine/tree/sync_record.h"
#include "tests/engine/support/decision_table.h"

namespace {

using namespace kit;

const FileStamp kFile = File(kT0, 10);
const FileStamp kDir = Dir();

// Sets AC of each path, without propagation ("PATH=CODE" pairs).
void SetCodes(DecisionTable& t, std::initializer_list<std::pair<const char*, ActionCode>> codes) {
    for (const auto& [path, code] : codes) t[path].record.AC = code;
}

TEST(SetActionCodeTest, CopyLiftsToParentsMissingOnTheTarget) {
    DecisionTable t;
    t.Add("P", kDir, kDir, InDb(kDir));
    t.Add("P\\D", kDir, kAbsent);
    t.Add("P\\D\\E", kDir, kAbsent);
    t.Add("P\\D\\E\\F", kFile, kAbsent);
    SetCodes(t, {{"P", EQUAL}, {"P\\D", SKIP}, {"P\\D\\E", SKIP}, {"P\\D\\E\\F", SKIP}});
    EXPECT_TRUE(SetActionCode(t["P\\D\\E\\F"], CP_M));
    EXPECT_EQ(t.Codes('A'), "P=EQUAL P\\D=CP_M P\\D\\E=CP_M P\\D\\E\\F=CP_M");

    // The mirror image.
    DecisionTable m;
    m.Add("D", kAbsent, kDir);
    m.Add("D\\F", kAbsent, kFile);
    SetCodes(m, {{"D", SKIP}, {"D\\F", SKIP}});
    EXPECT_TRUE(SetActionCode(m["D\\F"], CP_S));
    EXPECT_EQ(m.Codes('A'), "D=CP_S D\\F=CP_S");
}

TEST(SetActionCodeTest, SkipUnderCopiesAndDeletions) {
    // The only copied child of a directory to be created on the right: the directory
    // still is created.
    DecisionTable c;
    c.Add("D", kDir, kAbsent);
    c.Add("D\\F", kFile, kAbsent);
    SetCodes(c, {{"D", CP_M}, {"D\\F", CP_M}});
    EXPECT_TRUE(SetActionCode(c["D\\F"], SKIP));
    EXPECT_EQ(c.Codes('A'), "D=CP_M D\\F=SKIP");

    // A child of directories to be deleted on the left: they cannot be emptied.
    DecisionTable d;
    d.Add("G", kDir, kAbsent, InDb(kDir));
    d.Add("G\\D", kDir, kAbsent, InDb(kDir));
    d.Add("G\\D\\F", kFile, kAbsent, InDb(kFile));
    d.Add("G\\D\\H", kFile, kAbsent, InDb(kFile));
    SetCodes(d, {{"G", DEL_M}, {"G\\D", DEL_M}, {"G\\D\\F", DEL_M}, {"G\\D\\H", DEL_M}});
    EXPECT_TRUE(SetActionCode(d["G\\D\\F"], SKIP));
    EXPECT_EQ(d.Codes('A'), "G=SKIP G\\D=SKIP G\\D\\F=SKIP G\\D\\H=DEL_M");

    // Skipping a directory to be created skips the copies into it.
    DecisionTable s;
    s.Add("D", kDir, kAbsent);
    s.Add("D\\F", kFile, kAbsent);
    s.Add("D\\G", kFile, kAbsent, InDb(kFile));
    SetCodes(s, {{"D", CP_M}, {"D\\F", CP_M}, {"D\\G", DEL_M}});
    EXPECT_TRUE(SetActionCode(s["D"], SKIP));
    EXPECT_EQ(s.Codes('A'), "D=SKIP D\\F=SKIP D\\G=DEL_M");
}

TEST(SetActionCodeTest, CopiesAndDeletionsOfWholeSubtrees) {
    // A left file replaces a right directory: its contents make way, except what the
    // crawl could not synchronise.
    DecisionTable t;
    t.Add("X", kFile, kDir);
    t.Add("X\\A", kAbsent, kFile);
    t.Add("X\\L", kAbsent, kFile).record.FG |= FG_NOT_SYNCHRONISABLE;
    t.Add("X\\Z", kAbsent, kAbsent, InDb(kFile));  // gone from both sides: nothing to delete
    DecideTree(t.Root(), ComparerOptions());
    EXPECT_TRUE(SetActionCode(t["X"], CP_M));
    EXPECT_EQ(t.Codes('A'), "X=CP_M X\\A=DEL_S X\\L=SKIP X\\Z=DEL_D");
    EXPECT_TRUE(SetActionCode(t["X"], CP_S));  // right directory over left file: nothing below to delete
    EXPECT_EQ(t.Codes('A'), "X=CP_S X\\A=DEL_S X\\L=SKIP X\\Z=DEL_D");

    // The mirror image: a right file over a left directory.
    DecisionTable m;
    m.Add("X", kDir, kFile);
    m.Add("X\\A", kFile, kAbsent);
    m.Add("X\\Z", kAbsent, kAbsent, InDb(kFile));
    DecideTree(m.Root(), ComparerOptions());
    EXPECT_TRUE(SetActionCode(m["X"], CP_S));
    EXPECT_EQ(m.Codes('A'), "X=CP_S X\\A=DEL_M X\\Z=DEL_D");

    // Deleting a directory deletes its subtree on its side; database-only entries stay.
    DecisionTable d;
    d.Add("D", kDir, kAbsent);
    d.Add("D\\A", kFile, kAbsent);
    d.Add("D\\Z", kAbsent, kAbsent, InDb(kFile));
    SetCodes(d, {{"D", CP_M}, {"D\\A", CP_M}, {"D\\Z", DEL_D}});
    EXPECT_TRUE(SetActionCode(d["D"], DEL_M));
    EXPECT_EQ(d.Codes('A'), "D=DEL_M D\\A=DEL_M D\\Z=DEL_D");
}

TEST(SetActionCodeTest, Refusals) {
    DecisionTable t;
    t.Add("E", kFile, kFile, InDb(kFile));
    t.Add("B", File(kT0 + 1, 10), kFile, InDb(kFile));
    t.Add("U", kDir, kAbsent, InDb(kDir)).record.FG |= FG_LEFT_INACCESSIBLE;
    t.Add("U\\F", kAbsent, kAbsent, InDb(kFile));
    t.Add("L", kFile, kAbsent).record.FG |= FG_NOT_SYNCHRONISABLE;
    DecideTree(t.Root(), ComparerOptions());
    ASSERT_EQ(t.Codes('A'), "B=CP_M E=EQUAL L=SKIP U=SKIP U\\F=SKIP");
    EXPECT_FALSE(SetActionCode(t["E"], SKIP));   // EQUAL permits nothing
    EXPECT_FALSE(SetActionCode(t["B"], DEL_M));  // not for an entry on both sides
    EXPECT_FALSE(SetActionCode(t["B"], CP_M));   // already so
    EXPECT_FALSE(SetActionCode(t["L"], CP_M));   // not seen by the crawl
    EXPECT_FALSE(SetActionCode(t["U"], DEL_M));  // its contents were not listed
    EXPECT_TRUE(SetActionCode(t["U"], CP_M));
    EXPECT_FALSE(SetActionCode(t["U\\F"], DEL_D));
    EXPECT_EQ(t.Codes('A'), "B=CP_M E=EQUAL L=SKIP U=CP_M U\\F=SKIP");
}

// A tree with a protected entry P\\IN below the directory P, a file/directory conflict
// X whose right directory holds a protected file, and unseen entries.
struct ProtectedFixture {
    ProtectedFixture() {
        t.Add("P", kDir, kAbsent);
        t.Add("P\\IN", kFile, kAbsent);
        t.Add("P\\OUT", kFile, kAbsent);
        t.Add("X", kFile, kDir);
        t.Add("X\\KEEP", kAbsent, kFile);
        t.Add("Q", kDir, kDir, InDb(kDir));
        t.Add("Q\\F", File(kT0 + 1, 10), kFile, InDb(kFile));
        t.Add("U", kDir, File(kT0 + 1, 10)).record.FG |= FG_LEFT_INACCESSIBLE;
        t.Add("V", kDir, kAbsent, InDb(kDir));
        t.Add("V\\L", kFile, kAbsent).record.FG |= FG_NOT_SYNCHRONISABLE;
        t.Decide();
        filters.AddRule(u"P\\\\IN", ProtectionRule::ACTIVE | ProtectionRule::MATCH_REGEX);
        filters.AddRule(u"X\\KEEP", ProtectionRule::ACTIVE);
        filters.Apply(t.Root());
        SkipProtectedEntries(t.Root());
    }
    ~ProtectedFixture() { filters.ClearMatches(); }
    DecisionTable t;
    ProtectionFilters filters;
};

TEST(AllowedActionsTest, ProtectedAndUnseenEntries) {
    ProtectedFixture f;
    struct Case {
        const char* path;
        std::uint32_t mask;
    } cases[] = {
        {"P\\IN", 0x008},   // protected: SKIP only
        {"P\\OUT", 0x128},  // PermittedActions
        {"P", 0x108},       // a protected entry below: no deletion (a directory may still be copied)
        {"X", 0x288},       // protected below, left a file: no CP_M over the right directory
        {"Q", 0},           // EQUAL
        {"Q\\F", 0x388},
        {"U", 0x188},       // not listed on the left: not replaced by the right file
        {"V", 0x108},       // an unseen entry below
        {"V\\L", 0x008},    // not synchronisable
    };
    for (const Case& c : cases) EXPECT_EQ(AllowedActions(f.t[c.path]), c.mask) << c.path << "\n" << f.t.Dump();
}

TEST(IsDominationCompleteTest, MarkedEntriesAgainstProtection) {
    ProtectedFixture f;
    Proxy proxy;
    proxy.Build(f.t.tree, nullptr, nullptr, nullptr);
    auto markOnly = [&](std::initializer_list<const char*> paths) {
        proxy.MarkAll(false);
        for (ProxyEntry& e : proxy.Entries())
            for (const char* p : paths)
                if (std::string_view(p) != "-" && e.node == &f.t[p]) e.marked = 1;
    };
    struct Case {
        std::initializer_list<const char*> marked;
        ActionCode code;
        bool complete;
    } cases[] = {
        {{"-"}, CP_M, false},             // nothing marked
        {{"Q\\F"}, CP_M, true},
        {{"Q\\F"}, SKIP, false},          // not a domination
        {{"Q\\F", "P\\IN"}, CP_S, false}, // a protected entry marked
        {{"X"}, CP_M, false},             // the left file would replace a directory holding a protected file
        {{"X"}, CP_S, true},              // the right directory replaces the left file
        {{"P"}, CP_S, false},             // the right side deletes the left directory with its protected file
        {{"V"}, CP_M, true},
        {{"V\\L"}, CP_M, false},          // not synchronisable counts as protected
    };
    for (const Case& c : cases) {
        markOnly(c.marked);
        EXPECT_EQ(IsDominationComplete(proxy, c.code), c.complete) << int(c.code) << " " << *c.marked.begin();
    }
}

}  // namespace
