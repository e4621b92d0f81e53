#include "engine/filters/protection_filters.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/decision/decision.h"
#include "engine/decision/set_action_code.h"
#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "engine/tree/sync_record.h"
#include "tests/engine/support/plan_tree.h"

namespace {

using namespace plantest;

const FileStamp kFile = File(kT0, 10);
const FileStamp kDir = Dir();

struct Capture : CLogView {
    void Receive(CLogger*, const ErrorInfo& entry) override {
        texts.push_back(CString(entry.GetText() ? entry.GetText() : u"").ToUtf8());
    }
    void SetUTC(bool) override {}
    std::vector<std::string> texts;
};

std::uint32_t State(PlanTree& t, const char* path) {
    const RecordFilterState* s = t[path].record.filterState;
    return s ? s->GetProtectionState() : 0;
}

bool Protected(PlanTree& t, const char* path) { return IsProtectedNode(t[path]); }

// D with three files, and a file beside it; all only on the left (CP_M).
struct Fixture {
    Fixture() {
        t.Add("D", kDir, kAbsent);
        t.Add("D\\A.TXT", kFile, kAbsent);
        t.Add("D\\B.TXT", kFile, kAbsent);
        t.Add("D\\C.TMP", kFile, kAbsent);
        t.Add("E.TXT", kFile, kAbsent);
        DecideTree(t.Root(), ComparerOptions());
        DeriveActionCodes(t.Root(), nullptr);
        filters.SetLogger(&logger);
        logger.AddView(&capture);
    }
    ~Fixture() {
        filters.ClearMatches();
        logger.RemoveView(&capture);
    }
    PlanTree t;
    ProtectionFilters filters;
    CLogger logger;
    Capture capture;
};

TEST(ProtectionFiltersTest, ExclusionUnprotectsAFileAndItsDirectory) {
    Fixture f;
    f.filters.AddRule(u"D", ProtectionRule::ACTIVE);
    f.filters.AddRule(u"D\\A.TXT", ProtectionRule::ACTIVE | ProtectionRule::EXCLUSION);
    f.filters.Apply(f.t.Root());
    // The set only matches; the codes are the decision's.
    EXPECT_EQ(f.t.Codes('A'), "D=CP_M D\\A.TXT=CP_M D\\B.TXT=CP_M D\\C.TMP=CP_M E.TXT=CP_M");
    SkipProtectedEntries(f.t.Root());
    EXPECT_FALSE(Protected(f.t, "D"));
    EXPECT_FALSE(Protected(f.t, "D\\A.TXT"));
    EXPECT_TRUE(Protected(f.t, "D\\B.TXT"));
    EXPECT_TRUE(Protected(f.t, "D\\C.TMP"));
    EXPECT_FALSE(Protected(f.t, "E.TXT"));
    EXPECT_EQ(State(f.t, "D"), 10u);
    EXPECT_EQ(State(f.t, "D\\B.TXT"), 2u);
    // Protected entries are skipped; the directory is still created for the others.
    EXPECT_EQ(f.t.Codes('A'), "D=CP_M D\\A.TXT=CP_M D\\B.TXT=SKIP D\\C.TMP=SKIP E.TXT=CP_M");
}

TEST(ProtectionFiltersTest, ProtectedDirectorySkipsItsSubtree) {
    Fixture f;
    EXPECT_FALSE(f.filters.AddRule(u"*.TMP", ProtectionRule::ACTIVE));  // not bound yet: nothing matched
    f.filters.Apply(f.t.Root());
    EXPECT_TRUE(Protected(f.t, "D\\C.TMP"));
    EXPECT_TRUE(f.filters.AddRule(u"d", ProtectionRule::ACTIVE));  // case-insensitive
    f.filters.Apply(f.t.Root());
    SkipProtectedEntries(f.t.Root());
    EXPECT_EQ(f.t.Codes('A'), "D=SKIP D\\A.TXT=SKIP D\\B.TXT=SKIP D\\C.TMP=SKIP E.TXT=CP_M");
    EXPECT_FALSE(f.filters.AddRule(u"NOTHING", ProtectionRule::ACTIVE));
    EXPECT_EQ(f.filters.Count(), 3u);
}

TEST(ProtectionFiltersTest, ModifyRuleTogglingActiveKeepsTheMatches) {
    Fixture f;
    f.filters.AddRule(u"D", ProtectionRule::ACTIVE);
    f.filters.Apply(f.t.Root());
    ProtectionFilterEntry& entry = *f.filters.Entries().front();
    ASSERT_EQ(entry.nodes.size(), 4u);
    for (FSTreeNode* n : entry.nodes) n->record.filterState->marked = 0;

    EXPECT_TRUE(f.filters.ModifyRule(entry, u"D", 0));
    EXPECT_EQ(entry.nodes.size(), 4u);
    for (FSTreeNode* n : entry.nodes) EXPECT_EQ(n->record.filterState->marked, 1);
    EXPECT_EQ(State(f.t, "D\\A.TXT"), 1u);  // inactive rule
    EXPECT_FALSE(Protected(f.t, "D"));
    EXPECT_FALSE(f.filters.ModifyRule(entry, u"D", 0));  // no change

    // A new pattern takes the old matches away and applies the new ones.
    EXPECT_TRUE(f.filters.ModifyRule(entry, u"E.TXT", ProtectionRule::ACTIVE));
    EXPECT_EQ(entry.nodes.size(), 1u);
    EXPECT_EQ(State(f.t, "D\\A.TXT"), 0u);
    EXPECT_EQ(f.t["D\\A.TXT"].record.filterState->marked, 1);
    EXPECT_TRUE(Protected(f.t, "E.TXT"));
}

TEST(ProtectionFiltersTest, FindRemoveDetachAndClear) {
    Fixture f;
    f.filters.AddRule(u"D", ProtectionRule::ACTIVE);
    f.filters.AddRule(u"D", ProtectionRule::ACTIVE | ProtectionRule::EXCLUSION | ProtectionRule::MATCH_REGEX);
    f.filters.Apply(f.t.Root());
    const std::uint32_t mask = ProtectionRule::EXCLUSION | ProtectionRule::MATCH_REGEX;
    ProtectionFilterEntry* exclusion = f.filters.FindRule(u"D", mask, mask);
    ASSERT_NE(exclusion, nullptr);
    EXPECT_EQ(f.filters.FindRule(u"D", 0, mask), f.filters.Entries().front().get());
    EXPECT_EQ(f.filters.FindRule(u"X", 0, 0), nullptr);
    EXPECT_FALSE(Protected(f.t, "D"));

    std::unique_ptr<ProtectionFilterEntry> taken = f.filters.Detach(*exclusion);
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->nodes.empty());
    EXPECT_TRUE(Protected(f.t, "D"));
    EXPECT_EQ(f.filters.Count(), 1u);
    f.filters.Append(std::move(taken));
    EXPECT_FALSE(Protected(f.t, "D"));

    EXPECT_TRUE(f.filters.RemoveMatches(*exclusion));
    EXPECT_FALSE(f.filters.RemoveMatches(*exclusion));  // nothing left to remove
    EXPECT_TRUE(Protected(f.t, "D"));
    f.filters.ClearMatches();
    EXPECT_EQ(f.filters.GetTree(), nullptr);
    for (FSTreeNode* n : FSTree::Subtree(&f.t.Root())) EXPECT_EQ(n->record.filterState, nullptr);
    f.filters.Clear();
    EXPECT_EQ(f.filters.Count(), 0u);
}

TEST(ProtectionFiltersTest, FailedSearchNeverUnprotects) {
    Fixture f;
    // An entry whose path makes the nested repetition exceed the matcher's bound.
    const std::string longName(60, 'A');
    f.t.Add(longName, kFile, kAbsent);
    f.filters.AddRule(u"(A+A+)+B", ProtectionRule::ACTIVE | ProtectionRule::MATCH_REGEX);
    f.filters.Apply(f.t.Root());
    EXPECT_TRUE(Protected(f.t, longName.c_str()));
    ASSERT_EQ(f.capture.texts.size(), 1u);
    EXPECT_NE(f.capture.texts[0].find("treated as protected"), std::string::npos) << f.capture.texts[0];

    // As an exclusion it does not match: the entry stays protected by a plain rule.
    f.filters.Clear();
    f.filters.AddRule(u"*", ProtectionRule::ACTIVE);
    f.filters.AddRule(u"(A+A+)+B", ProtectionRule::ACTIVE | ProtectionRule::MATCH_REGEX | ProtectionRule::EXCLUSION);
    f.filters.Apply(f.t.Root());
    EXPECT_TRUE(Protected(f.t, longName.c_str()));
    EXPECT_EQ(f.capture.texts.size(), 2u);
}

TEST(ProtectionFiltersTest, StarOnADeepTreeAttachesOncePerNode) {
    PlanTree t;
    std::string path = "R";
    t.Add(path, kDir, kAbsent);
    for (int i = 0; i < 300; ++i) {
        t.Add(path + "\\F" + std::to_string(i), kFile, kAbsent);
        path += "\\D";
        t.Add(path, kDir, kAbsent);
    }
    DecideTree(t.Root(), ComparerOptions());
    ProtectionFilters filters;
    filters.AddRule(u"*", ProtectionRule::ACTIVE);
    filters.AddRule(u"*\\D", ProtectionRule::ACTIVE);  // matches every directory but R
    filters.Apply(t.Root());
    SkipProtectedEntries(t.Root());
    std::size_t nodes = 0;
    for (FSTreeNode* n : FSTree::Subtree(&t.Root())) {
        ++nodes;
        ASSERT_NE(n->record.filterState, nullptr);
        const bool belowFirstD = FSTree::GetNodePath(n).Find(u"\\D") != CString::npos;
        EXPECT_EQ(n->record.filterState->rules.size(), belowFirstD ? 2u : 1u) << FSTree::GetNodePath(n).ToUtf8();
        EXPECT_EQ(n->record.AC, SKIP);
    }
    EXPECT_EQ(filters.Entries().front()->nodes.size(), nodes);
    filters.ClearMatches();
}

TEST(SelectionFiltersTest, ActiveRulesSelectAndExclusionsWin) {
    CLogger logger;
    Capture capture;
    logger.AddView(&capture);
    CSyncDataBase db(&logger);
    FSTreeNode* root = db.GetRoot();
    auto add = [&](const char* name, FSTreeNode* parent) {
        FSTreeNode* n = FSTree::FindOrInsertChild(parent, CString::FromUtf8(name).view());
        n->record.SetLeftStamp(kFile);
        n->record.SetPath(FSTree::GetNodePath(n).view());
        return n;
    };
    FSTreeNode* d = add("D", root);
    FSTreeNode* a = add("A.TXT", d);
    FSTreeNode* b = add("B.TMP", d);
    FSTreeNode* c = add("C.TXT", root);
    FSTreeNode* hard = add(std::string(60, 'A').c_str(), root);  // the expression's search fails on it
    db.protectionFilters.AddRule(u"D\\A.TXT", ProtectionRule::ACTIVE);
    db.protectionFilters.Apply(*root);
    a->record.filterState->marked = 0;

    db.selectionFilters.emplace_back(u"*.TXT", ProtectionRule::ACTIVE);
    db.selectionFilters.emplace_back(u"C*", ProtectionRule::ACTIVE | ProtectionRule::EXCLUSION);
    db.selectionFilters.emplace_back(u"*.TMP", 0);  // inactive: ignored
    db.selectionFilters.emplace_back(u"(A+A+)+B", ProtectionRule::ACTIVE | ProtectionRule::MATCH_REGEX);
    Proxy proxy;
    proxy.Build(db, nullptr, nullptr, nullptr);
    for (FSTreeNode* n : {a, b, c, d, hard}) n->record.FG &= ~FG_MARKED;
    EXPECT_TRUE(db.ApplySelectionFilters(proxy));
    EXPECT_TRUE(a->record.FG & FG_MARKED);
    EXPECT_EQ(a->record.filterState->marked, 1);
    EXPECT_FALSE(b->record.FG & FG_MARKED);
    EXPECT_FALSE(c->record.FG & FG_MARKED);  // excluded
    EXPECT_FALSE(d->record.FG & FG_MARKED);
    EXPECT_FALSE(hard->record.FG & FG_MARKED);
    ASSERT_EQ(capture.texts.size(), 1u);
    EXPECT_NE(capture.texts[0].find("not selected"), std::string::npos);

    db.selectionFilters.clear();
    db.selectionFilters.emplace_back(u"NONE", ProtectionRule::ACTIVE);
    EXPECT_FALSE(db.ApplySelectionFilters(proxy));
    EXPECT_TRUE(a->record.FG & FG_MARKED);  // left as it was

    std::list<ProtectionRule> copies;
    std::list<ProtectionRule*> live;
    EXPECT_EQ(db.GetProtectionFilters(copies), 1u);
    EXPECT_EQ(db.GetProtectionFilterPtrs(live), 1u);
    EXPECT_EQ(copies.front().GetPattern(), CString(u"D\\A.TXT"));
    EXPECT_EQ(live.front(), db.protectionFilters.Entries().front().get());
    logger.RemoveView(&capture);
}

}  // namespace
