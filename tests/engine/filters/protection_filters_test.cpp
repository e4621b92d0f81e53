#include "engine/filters/protection_filters.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/decision/decision.h"
#include "engine/decision/set_action_code.h"
#include "engine/format/binary_stream.h"
#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "engine/tree/sync_record.h"
#include "tests/engine/support/decision_table.h"

namespace {

using namespace kit;

const FileStamp kFile = File(kT0, 10);
const FileStamp kDir = Dir();

std::uint32_t State(DecisionTable& t, const char* path) {
    const RecordFilterState* s = t[path].record.filterState;
    return s ? s->GetProtectionState() : 0;
}

bool Protected(DecisionTable& t, const char* path) { return IsProtectedNode(t[path]); }

// D with three files, and a file beside it; all only on the left (CP_M).
struct Fixture {
    Fixture() {
        t.Add("D", kDir, kAbsent);
        t.Add("D\\A.TXT", kFile, kAbsent);
        t.Add("D\\B.TXT", kFile, kAbsent);
        t.Add("D\\C.TMP", kFile, kAbsent);
        t.Add("E.TXT", kFile, kAbsent);
        t.Decide();
        filters.SetLogger(&logger);
        logger.AddView(&capture);
    }
    ~Fixture() {
        filters.ClearMatches();
        logger.RemoveView(&capture);
    }
    DecisionTable t;
    ProtectionFilters filters;
    CLogger logger;
    kit::LogCollector capture;
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
    ASSERT_EQ(f.capture.ArgumentTexts().size(), 1u);
    EXPECT_NE(f.capture.ArgumentTexts()[0].find("treated as protected"), std::string::npos)
        << f.capture.ArgumentTexts()[0];

    // As an exclusion it does not match: the entry stays protected by a plain rule.
    f.filters.Clear();
    f.filters.AddRule(u"*", ProtectionRule::ACTIVE);
    f.filters.AddRule(u"(A+A+)+B", ProtectionRule::ACTIVE | ProtectionRule::MATCH_REGEX | ProtectionRule::EXCLUSION);
    f.filters.Apply(f.t.Root());
    EXPECT_TRUE(Protected(f.t, longName.c_str()));
    EXPECT_EQ(f.capture.ArgumentTexts().size(), 2u);
}

TEST(ProtectionFiltersTest, StarOnADeepTreeAttachesOncePerNode) {
    DecisionTable t;
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

// A regular expression that does not compile (a leading '*' repeats nothing) matches as
// a wildcard pattern, and the user is told so once per load or edit, never per match.
TEST(ProtectionFiltersTest, AnExpressionThatDoesNotCompileIsWarnedOfOncePerEdit) {
    Fixture f;
    const std::uint32_t regex = ProtectionRule::ACTIVE | ProtectionRule::MATCH_REGEX;
    f.filters.Apply(f.t.Root());
    auto entry = std::make_unique<ProtectionFilterEntry>();
    entry->Set(u"*.TMP", regex);
    ASSERT_TRUE(entry->IsUncompiledExpression());
    ProtectionFilterEntry& live = f.filters.Append(std::move(entry));
    EXPECT_TRUE(Protected(f.t, "D\\C.TMP"));  // the wildcard match is kept
    ASSERT_EQ(f.capture.ArgumentTexts().size(), 1u);
    EXPECT_NE(f.capture.ArgumentTexts()[0].find("\"*.TMP\" does not compile"), std::string::npos)
        << f.capture.ArgumentTexts()[0];

    // Matching again (a scan) and toggling ACTIVE say nothing more.
    f.filters.Apply(f.t.Root());
    f.filters.Apply(f.t.Root());
    EXPECT_TRUE(f.filters.ModifyRule(live, u"*.TMP", ProtectionRule::MATCH_REGEX));
    EXPECT_EQ(f.capture.ArgumentTexts().size(), 1u);
    // A new pattern is an edit: warned of when it does not compile, not when it does.
    EXPECT_TRUE(f.filters.ModifyRule(live, u"*.TXT", regex));
    ASSERT_EQ(f.capture.ArgumentTexts().size(), 2u);
    EXPECT_NE(f.capture.ArgumentTexts()[1].find("\"*.TXT\""), std::string::npos) << f.capture.ArgumentTexts()[1];
    EXPECT_TRUE(f.filters.ModifyRule(live, u"D", regex));
    EXPECT_EQ(f.capture.ArgumentTexts().size(), 2u);
    // Taken out and put back (an undo) is an edit again.
    std::unique_ptr<ProtectionFilterEntry> taken = f.filters.Detach(live);
    taken->Set(u"(", regex);
    f.filters.Append(std::move(taken));
    EXPECT_EQ(f.capture.ArgumentTexts().size(), 3u);
}

TEST(ProtectionFiltersTest, AProfileLoadWarnsOfEachExpressionThatDoesNotCompileOnce) {
    const std::uint32_t regex = ProtectionRule::ACTIVE | ProtectionRule::MATCH_REGEX;
    std::string bytes;
    {
        CSyncDataBase db(nullptr);
        db.protectionFilters.AddRule(u"*.TMP", regex);
        db.protectionFilters.AddRule(u"D", regex);
        db.selectionFilters.emplace_back(u"*.TXT", regex);
        db.selectionFilters.emplace_back(u"*.LOG", ProtectionRule::ACTIVE);  // a wildcard rule
        MemoryWriter out;
        ErrorInfo error;
        ASSERT_TRUE(db.Save(out, 3, 0, 0, 0, error));
        bytes = out.Bytes();
    }
    CLogger logger;
    kit::LogCollector capture;
    logger.AddView(&capture);
    {
        CSyncDataBase db(&logger);
        MemoryReader in(bytes);
        ErrorInfo error;
        ASSERT_TRUE(db.Load(in, nullptr, nullptr, nullptr, nullptr, error));
        ASSERT_EQ(capture.ArgumentTexts().size(), 2u);
        EXPECT_NE(capture.ArgumentTexts()[0].find("\"*.TMP\" does not compile"), std::string::npos)
            << capture.ArgumentTexts()[0];
        EXPECT_NE(capture.ArgumentTexts()[1].find("\"*.TXT\" does not compile"), std::string::npos)
            << capture.ArgumentTexts()[1];
        db.ApplyProtectionFilters();
        Proxy proxy;
        proxy.Build(db, nullptr, nullptr, nullptr);
        db.ApplySelectionFilters(proxy);
        EXPECT_EQ(capture.ArgumentTexts().size(), 2u);

        // An edit of the selection list warns of the rules it brings in, not of those it keeps.
        std::list<ProtectionRule> edited = db.selectionFilters;
        edited.emplace_back(u"+", regex);
        db.SetSelFilters(&proxy, edited);
        ASSERT_EQ(capture.ArgumentTexts().size(), 3u);
        EXPECT_NE(capture.ArgumentTexts()[2].find("\"+\" does not compile"), std::string::npos)
            << capture.ArgumentTexts()[2];
    }
    logger.RemoveView(&capture);
}

TEST(SelectionFiltersTest, ActiveRulesSelectAndExclusionsWin) {
    CLogger logger;
    kit::LogCollector capture;
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
    ASSERT_EQ(capture.ArgumentTexts().size(), 1u);
    EXPECT_NE(capture.ArgumentTexts()[0].find("not selected"), std::string::npos);

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

// A search that fails counts as no match: a selection rule does not select the entry, an
// exclusion does not exclude it. The warning says which of the two happened.
TEST(SelectionFiltersTest, AFailedSearchCountsAsNoMatchAndTheWarningSaysWhatFollows) {
    const std::uint32_t regex = ProtectionRule::ACTIVE | ProtectionRule::MATCH_REGEX;
    const std::string hardName(60, 'A');  // the expression's search fails on it
    struct Case {
        const char* name;
        std::vector<ProtectionRule> rules;
        bool selected;
        std::vector<std::string> warnings;  // a text each warning holds, in order
    } cases[] = {
        {"failing exclusion",
         {{u"*", ProtectionRule::ACTIVE}, {u"(A+A+)+B", regex | ProtectionRule::EXCLUSION}},
         true,
         {"does not exclude such entries, so they are selected"}},
        {"failing selection rule", {{u"(A+A+)+B", regex}}, false, {"not selected by it"}},
        {"both failing, each named",
         {{u"(A+A+)+B", regex}, {u"*", ProtectionRule::ACTIVE}, {u"(A+A+)+C", regex | ProtectionRule::EXCLUSION}},
         true,
         {"\"(A+A+)+B\" could not be evaluated", "\"(A+A+)+C\" could not be evaluated"}},
    };
    for (const Case& c : cases) {
        CLogger logger;
        kit::LogCollector capture;
        logger.AddView(&capture);
        {
            CSyncDataBase db(&logger);
            FSTreeNode* hard = FSTree::FindOrInsertChild(db.GetRoot(), CString::FromUtf8(hardName).view());
            hard->record.SetLeftStamp(kFile);
            hard->record.SetPath(FSTree::GetNodePath(hard).view());
            db.selectionFilters.assign(c.rules.begin(), c.rules.end());
            Proxy proxy;
            proxy.Build(db, nullptr, nullptr, nullptr);
            hard->record.FG &= ~FG_MARKED;
            EXPECT_EQ(db.ApplySelectionFilters(proxy), c.selected) << c.name;
            EXPECT_EQ((hard->record.FG & FG_MARKED) != 0, c.selected) << c.name;
            ASSERT_EQ(capture.ArgumentTexts().size(), c.warnings.size()) << c.name;
            for (std::size_t i = 0; i < c.warnings.size(); ++i)
                EXPECT_NE(capture.ArgumentTexts()[i].find(c.warnings[i]), std::string::npos)
                    << c.name << ": " << capture.ArgumentTexts()[i];
            if (c.selected) {
                EXPECT_EQ(capture.ArgumentTexts().back().find("not selected"), std::string::npos) << c.name;
            }
        }
        logger.RemoveView(&capture);
    }
}

}  // namespace
