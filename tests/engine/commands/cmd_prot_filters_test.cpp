#include "engine/commands/cmd_prot_filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/filters/protection_filters.h"
#include "tests/engine/support/command_fixture.h"

namespace {

using namespace kit;

constexpr std::uint32_t A = ProtectionRule::ACTIVE;
constexpr std::uint32_t X = ProtectionRule::EXCLUSION;
constexpr std::uint32_t R = ProtectionRule::MATCH_REGEX;

struct Rule {
    const char16_t* pattern;
    std::uint32_t flags;
};

// Every file changed on the left (CP_M), so that protecting one shows as SKIP:
//   DOCS, DOCS\A.TXT, DOCS\B.TXT, DOCS\SUB, DOCS\SUB\C.TXT, NEW (left only), NEW\N.TXT,
//   TMP.LOG
void BuildPlan(CommandFixture& p, const std::vector<Rule>& rules) {
    const FileStamp f = File(kT0, 100), changed = File(kT0 + 5 * kSecond, 100), d = Dir();
    p.Add("DOCS", d, d, InDb(d));
    p.Add("DOCS\\A.TXT", changed, f, InDb(f));
    p.Add("DOCS\\B.TXT", changed, f, InDb(f));
    p.Add("DOCS\\SUB", d, d, InDb(d));
    p.Add("DOCS\\SUB\\C.TXT", changed, f, InDb(f));
    p.Add("NEW", d, kAbsent);
    p.Add("NEW\\N.TXT", f, kAbsent);
    p.Add("TMP.LOG", changed, f, InDb(f));
    for (const Rule& r : rules) p.db.protectionFilters.AddRule(r.pattern, r.flags);
    p.Decide();
}

std::vector<const ProtectionFilterEntry*> RulePointers(const CommandFixture& p) {
    std::vector<const ProtectionFilterEntry*> out;
    for (const auto& e : p.db.protectionFilters.Entries()) out.push_back(e.get());
    return out;
}

bool AnyMarked(const Proxy& proxy) {
    return std::any_of(proxy.Entries().begin(), proxy.Entries().end(), [](const ProxyEntry& e) { return e.marked; });
}

// The rule list (texts, flags, order, the very rule objects) and every entry's protection
// state and code, as one value.
struct Picture {
    std::string rules;
    std::string states;
    std::vector<const ProtectionFilterEntry*> pointers;
    explicit Picture(const CommandFixture& p) : rules(p.Rules()), states(p.States()), pointers(RulePointers(p)) {}
};

void ExpectSame(const Picture& expected, const CommandFixture& p) {
    EXPECT_EQ(expected.rules, p.Rules());
    EXPECT_EQ(expected.states, p.States());
}

struct StateCase {
    const char* name;
    std::vector<Rule> rules;
    std::vector<std::string_view> marked;
    ProtectionOperation operation;
    std::string rulesAfter;  // empty: the operation changes nothing
};

TEST(ProtectionStatesTest, OperationsAndTheirUndoAndRedo) {
    const StateCase cases[] = {
        // Activate.
        {"activate adds a rule for an entry no rule matches", {}, {"DOCS\\A.TXT"}, PROTECTION_ACTIVATE,
         "DOCS\\A.TXT[0c]"},
        {"activate switches a matching rule on", {{u"DOCS*", 0}}, {"DOCS\\A.TXT"}, PROTECTION_ACTIVATE, "DOCS*[0c]"},
        {"activate takes the first matching rule of the list", {{u"DOCS\\*", 0}, {u"*.TXT", 0}}, {"DOCS\\A.TXT"},
         PROTECTION_ACTIVATE, "DOCS\\*[0c] | *.TXT[04]"},
        {"activate follows the list order, not the text", {{u"*.TXT", 0}, {u"DOCS\\*", 0}}, {"DOCS\\A.TXT"},
         PROTECTION_ACTIVATE, "*.TXT[0c] | DOCS\\*[04]"},
        {"activate switches an exclusion off", {{u"DOCS*", A}, {u"DOCS\\A.TXT", X | A}}, {"DOCS\\A.TXT"},
         PROTECTION_ACTIVATE, "DOCS*[0c] | DOCS\\A.TXT[14]"},
        {"activate covers marked contents with one rule", {}, {"NEW", "NEW\\N.TXT"}, PROTECTION_ACTIVATE, "NEW[0c]"},
        {"activate beside an inactive exclusion adds a rule", {{u"TMP.LOG", X}}, {"TMP.LOG"}, PROTECTION_ACTIVATE,
         "TMP.LOG[14] | TMP.LOG[0c]"},
        {"activate of a protected entry", {{u"DOCS*", A}}, {"DOCS\\A.TXT"}, PROTECTION_ACTIVATE, ""},
        // Exclude.
        {"exclude adds an expression for the entry and its contents", {{u"DOCS*", A}},
         {"DOCS\\SUB", "DOCS\\SUB\\C.TXT"}, PROTECTION_EXCLUDE, "DOCS*[0c] | DOCS\\\\SUB(\\\\.+)?$[1d]"},
        {"exclude switches its earlier rule on again", {{u"DOCS*", A}, {u"DOCS\\\\SUB(\\\\.+)?$", X | R}},
         {"DOCS\\SUB"}, PROTECTION_EXCLUDE, "DOCS*[0c] | DOCS\\\\SUB(\\\\.+)?$[1d]"},
        {"exclude does not take a wildcard rule of the same text", {{u"DOCS*", A}, {u"DOCS\\\\SUB(\\\\.+)?$", X}},
         {"DOCS\\SUB"}, PROTECTION_EXCLUDE,
         "DOCS*[0c] | DOCS\\\\SUB(\\\\.+)?$[14] | DOCS\\\\SUB(\\\\.+)?$[1d]"},
        {"exclude of an excluded entry", {{u"DOCS*", A}, {u"DOCS\\\\SUB(\\\\.+)?$", X | R | A}}, {"DOCS\\SUB"},
         PROTECTION_EXCLUDE, ""},
        // Alter: the row is the OR of the marked entries' state bits.
        {"alter 0: no rule", {}, {"DOCS\\A.TXT"}, PROTECTION_ALTER, ""},
        {"alter 1: protects", {{u"DOCS*", 0}}, {"DOCS\\A.TXT"}, PROTECTION_ALTER, "DOCS*[0c]"},
        {"alter 1: protects by the first rule", {{u"*.TXT", 0}, {u"DOCS*", 0}}, {"DOCS\\A.TXT"}, PROTECTION_ALTER,
         "*.TXT[0c] | DOCS*[04]"},
        {"alter 2: unprotects", {{u"DOCS*", A}}, {"DOCS\\A.TXT"}, PROTECTION_ALTER, "DOCS*[04]"},
        {"alter 3: unprotects", {{u"DOCS*", A}, {u"*.TXT", 0}}, {"DOCS\\A.TXT"}, PROTECTION_ALTER,
         "DOCS*[04] | *.TXT[04]"},
        {"alter 4: excludes", {{u"DOCS\\A.TXT", X}}, {"DOCS\\A.TXT"}, PROTECTION_ALTER, "DOCS\\A.TXT[1c]"},
        {"alter 5: protects", {{u"DOCS\\A.TXT", X}, {u"DOCS*", 0}}, {"DOCS\\A.TXT"}, PROTECTION_ALTER,
         "DOCS\\A.TXT[14] | DOCS*[0c]"},
        {"alter 5 from two entries", {{u"DOCS\\A.TXT", 0}, {u"TMP.LOG", X}}, {"DOCS\\A.TXT", "TMP.LOG"},
         PROTECTION_ALTER, "DOCS\\A.TXT[0c] | TMP.LOG[14]"},
        {"alter 6", {{u"DOCS*", A}, {u"DOCS\\A.TXT", X}}, {"DOCS\\A.TXT"}, PROTECTION_ALTER, ""},
        {"alter 8", {{u"DOCS\\A.TXT", X | A}}, {"DOCS\\A.TXT"}, PROTECTION_ALTER, ""},
        {"alter 10: an excluded entry", {{u"DOCS*", A}, {u"DOCS\\A.TXT", X | A}}, {"DOCS\\A.TXT"}, PROTECTION_ALTER,
         ""},
        // Remove.
        {"remove takes every matching rule out", {{u"DOCS*", A}, {u"*.LOG", A}, {u"NEW", A}, {u"*.TXT", 0}},
         {"DOCS\\A.TXT", "TMP.LOG"}, PROTECTION_REMOVE, "NEW[0c]"},
        {"remove keeps the order of the others", {{u"*.LOG", A}, {u"DOCS*", A}, {u"NEW", A}}, {"DOCS\\SUB"},
         PROTECTION_REMOVE, "*.LOG[0c] | NEW[0c]"},
        {"remove where no rule matches", {{u"DOCS*", A}}, {"TMP.LOG"}, PROTECTION_REMOVE, ""},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        CommandFixture p;
        BuildPlan(p, c.rules);
        p.proxy.MarkAll(false);
        for (std::string_view path : c.marked) p.proxy[p.IndexOf(path)].marked = 1;
        const Picture before(p);

        const std::uint32_t hint = p.db.ModifyProtStates(p.proxy, c.operation);
        if (c.rulesAfter.empty()) {
            EXPECT_EQ(0u, hint);
            ExpectSame(before, p);
            EXPECT_FALSE(p.db.commandHistory.CanUndo());
            continue;
        }
        EXPECT_EQ(4u, hint);
        EXPECT_EQ(c.rulesAfter, p.Rules());
        EXPECT_FALSE(AnyMarked(p.proxy));
        const Picture after(p);

        EXPECT_EQ(4u, p.db.commandHistory.Undo());
        ExpectSame(before, p);
        EXPECT_EQ(before.pointers, RulePointers(p));  // the same rules, removed ones put back

        EXPECT_EQ(4u, p.db.commandHistory.Redo());
        ExpectSame(after, p);
        EXPECT_EQ(after.pointers, RulePointers(p));  // an added rule comes back as itself

        p.db.commandHistory.Undo();
        ExpectSame(before, p);
    }
}

TEST(ProtectionStatesTest, ProtectionTakesEffectOnTheCodes) {
    CommandFixture p;
    BuildPlan(p, {{u"DOCS*", A}});
    ASSERT_EQ("DOCS:2:EQUAL DOCS\\A.TXT:2:SKIP DOCS\\B.TXT:2:SKIP DOCS\\SUB:2:EQUAL DOCS\\SUB\\C.TXT:2:SKIP "
              "NEW:0:CP_M NEW\\N.TXT:0:CP_M TMP.LOG:0:CP_M",
              p.States());

    // The exclusion covers the directory and its contents and climbs to the directory
    // above (which can no longer be protected as a whole); their codes stay SKIP.
    p.Mark({"DOCS\\SUB"});
    ASSERT_EQ(4u, p.db.ModifyProtStates(p.proxy, PROTECTION_EXCLUDE));
    EXPECT_EQ("DOCS:10:EQUAL DOCS\\A.TXT:2:SKIP DOCS\\B.TXT:2:SKIP DOCS\\SUB:10:EQUAL DOCS\\SUB\\C.TXT:10:SKIP "
              "NEW:0:CP_M NEW\\N.TXT:0:CP_M TMP.LOG:0:CP_M",
              p.States());
    const ProtectionFilterEntry& exclusion = *p.db.protectionFilters.Entries().back();
    for (const char16_t* path : {u"DOCS\\SUB", u"DOCS\\SUB\\C.TXT", u"DOCS\\SUB\\D\\E"}) EXPECT_TRUE(exclusion.Match(path));
    for (const char16_t* path : {u"DOCS", u"DOCS\\SUBX", u"DOCS\\SUB.X", u"X\\DOCS\\SUB"}) EXPECT_FALSE(exclusion.Match(path));

    // A second exclude of the same entry reuses the rule: nothing to do.
    p.Mark({"DOCS\\SUB"});
    EXPECT_EQ(0u, p.db.ModifyProtStates(p.proxy, PROTECTION_EXCLUDE));
    EXPECT_EQ(2u, p.db.protectionFilters.Count());

    // Protecting a new directory skips it and its contents.
    p.Mark({"NEW"});
    ASSERT_EQ(4u, p.db.ModifyProtStates(p.proxy, PROTECTION_ACTIVATE));
    EXPECT_EQ(SKIP, p["NEW"].record.AC);
    EXPECT_EQ(SKIP, p["NEW\\N.TXT"].record.AC);
    EXPECT_EQ(4u, p.db.commandHistory.Undo());
    EXPECT_EQ(CP_M, p["NEW"].record.AC);
    EXPECT_EQ(CP_M, p["NEW\\N.TXT"].record.AC);
}

TEST(PathPatternTest, EscapesEverythingTheExpressionSyntaxReads) {
    struct Case {
        const char16_t* path;
        const char16_t* pattern;
    };
    const Case cases[] = {
        {u"A\\B.TXT", u"A\\\\B\\.TXT(\\\\.+)?$"},
        {u"X", u"X(\\\\.+)?$"},
        {u"(A)[B]{C}+-~^$", u"\\(A\\)\\[B\\]\\{C\\}\\+\\-\\~\\^\\$(\\\\.+)?$"},
        {u"A*B?C|D#E", u"A\\*B\\?C\\|D\\#E(\\\\.+)?$"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CString(c.path).ToUtf8());
        const CString pattern = PathPattern(c.path);
        EXPECT_EQ(CString(c.pattern), pattern);
        const ProtectionRule rule(pattern, X | A | R);
        ASSERT_TRUE(rule.HasCompiledExpression());
        EXPECT_TRUE(rule.Match(c.path));
        EXPECT_TRUE(rule.Match(CString(c.path) + u"\\BELOW"));
        EXPECT_FALSE(rule.Match(CString(c.path) + u"X"));
    }
    // Other text, an escaped byte of a name that is not UTF-8 included, stays as it is.
    const CString other = CString(u"\u00C4 ") + char16_t(0xDC80);
    EXPECT_EQ(other + u"(\\\\.+)?$", PathPattern(other));
    EXPECT_TRUE(ProtectionRule(PathPattern(other), R).Match(other));
    // Special characters stand for themselves only.
    EXPECT_FALSE(ProtectionRule(PathPattern(u"A*B"), R).Match(u"AXB"));
    EXPECT_FALSE(ProtectionRule(PathPattern(u"A.B"), R).Match(u"AXB"));
    EXPECT_FALSE(ProtectionRule(PathPattern(u"A|B"), R).Match(u"B"));
}

TEST(ProtectionStatesTest, ActivateProtectsANameWithAStarAndNothingElse) {
    CommandFixture p;
    const FileStamp f = File(kT0, 100), changed = File(kT0 + 5 * kSecond, 100);
    p.Add("A*B", changed, f, InDb(f));
    p.Add("AXB", changed, f, InDb(f));
    p.Decide();
    p.Mark({"A*B"});
    ASSERT_EQ(4u, p.db.ModifyProtStates(p.proxy, PROTECTION_ACTIVATE));
    EXPECT_EQ("A\\*B(\\\\.+)?$[0d]", p.Rules());
    EXPECT_EQ("A*B:2:SKIP AXB:0:CP_M", p.States());
}

// A removed rule lives on in its command, attached nowhere, until the command goes.
TEST(ProtectionStatesTest, RemovedRuleStaysWithItsCommandUntilTheCommandGoes) {
    CommandFixture p;
    BuildPlan(p, {{u"DOCS*", A}, {u"*.LOG", A}});
    const ProtectionFilterEntry* docs = p.db.protectionFilters.Entries().front().get();
    p.Mark({"DOCS\\A.TXT"});
    ASSERT_EQ(4u, p.db.ModifyProtStates(p.proxy, PROTECTION_REMOVE));
    EXPECT_EQ("*.LOG[0c]", p.Rules());
    EXPECT_TRUE(docs->nodes.empty());  // alive (the sanitizer build would catch it otherwise)
    for (FSTreeNode* n : FSTree::Subtree(p.db.GetRoot())) {
        const RecordFilterState* state = n->record.filterState;
        if (state != nullptr) {
            EXPECT_EQ(state->rules.end(), std::find(state->rules.begin(), state->rules.end(), docs));
        }
    }
    // A scan in between applies the set again; the removed rule takes no part.
    p.db.ApplyProtectionFilters();
    EXPECT_TRUE(docs->nodes.empty());

    p.db.commandHistory.Undo();
    EXPECT_EQ(docs, p.db.protectionFilters.Entries().front().get());
    EXPECT_EQ(5u, docs->nodes.size());  // DOCS and everything below it again
    p.db.commandHistory.Redo();

    // Ten more changes push the removal off the history, which deletes the rule with it.
    for (int i = 0; i < 10; ++i) {
        p.Mark({"TMP.LOG"});
        ASSERT_EQ(4u, p.db.ModifyProtStates(p.proxy, PROTECTION_ALTER));
    }
    EXPECT_EQ(10u, p.db.commandHistory.GetCount());
    EXPECT_EQ("*.LOG[0c]", p.Rules());
    while (p.db.commandHistory.CanUndo()) p.db.commandHistory.Undo();
    EXPECT_EQ("*.LOG[0c]", p.Rules());
    EXPECT_EQ(SKIP, p["TMP.LOG"].record.AC);
    p.db.ApplyProtectionFilters();

    // Removed again and left in the history when the database goes.
    p.Mark({"TMP.LOG"});
    ASSERT_EQ(4u, p.db.ModifyProtStates(p.proxy, PROTECTION_REMOVE));
    EXPECT_EQ("", p.Rules());
}

TEST(ModifyProtFiltersTest, RowsOfTheFilterDialogAndTheirUndo) {
    CommandFixture p;
    BuildPlan(p, {{u"DOCS*", A}, {u"*.LOG", 0}, {u"NEW", A}});
    std::list<ProtectionRule*> live;
    p.db.GetProtectionFilterPtrs(live);
    std::vector<FilterEntry> rows;
    for (ProtectionRule* rule : live) rows.push_back(InitFilterEntry(*rule));
    const Picture before(p);

    // Unchanged rows only: nothing to do.
    EXPECT_EQ(0u, p.db.ModifyProtFilters(p.proxy, {rows.begin(), rows.end()}));
    EXPECT_FALSE(p.db.commandHistory.CanUndo());

    // The dialog's edit: *.LOG switched on and moved first, DOCS* narrowed, NEW removed, a
    // new rule added, and a row whose rule has gone meanwhile (passed over).
    ProtectionRule gone(u"GONE", A);
    FilterEntry narrowed = rows[0];
    narrowed.state = FILTER_ENTRY_CHANGED;
    narrowed.pattern = u"DOCS\\SUB*";
    FilterEntry logs = rows[1];
    logs.state = FILTER_ENTRY_CHANGED;
    logs.flags |= A;
    FilterEntry removed = rows[2];
    removed.state = FILTER_ENTRY_REMOVED;
    const std::list<FilterEntry> edit = {
        logs, narrowed, removed, {FILTER_ENTRY_ADDED, u"*.TXT", 0, nullptr}, {FILTER_ENTRY_CHANGED, u"G", A, &gone}};
    EXPECT_EQ(4u, p.db.ModifyProtFilters(p.proxy, edit));
    EXPECT_EQ("*.LOG[0c] | DOCS\\SUB*[0c] | *.TXT[04]", p.Rules());
    EXPECT_EQ("DOCS:0:EQUAL DOCS\\A.TXT:1:SKIP DOCS\\B.TXT:1:SKIP DOCS\\SUB:2:EQUAL DOCS\\SUB\\C.TXT:3:SKIP "
              "NEW:0:SKIP NEW\\N.TXT:1:SKIP TMP.LOG:2:SKIP",
              p.States());
    const Picture after(p);

    EXPECT_EQ(4u, p.db.commandHistory.Undo());
    ExpectSame(before, p);
    EXPECT_EQ(before.pointers, RulePointers(p));
    EXPECT_EQ(4u, p.db.commandHistory.Redo());
    ExpectSame(after, p);
    EXPECT_EQ(after.pointers, RulePointers(p));
}

TEST(FilterEntryTest, InitAndActive) {
    ProtectionRule rule(u"*.TMP", A | X);
    FilterEntry entry = InitFilterEntry(rule);
    EXPECT_EQ(FILTER_ENTRY_TAKEN, entry.state);
    EXPECT_EQ(CString(u"*.TMP"), entry.pattern);
    EXPECT_EQ(rule.GetFlags(), entry.flags);
    EXPECT_EQ(&rule, entry.rule);
    EXPECT_TRUE(IsFilterEntryActive(entry));
    // Whether it is active is the live rule's, not the row's.
    entry.flags &= ~A;
    EXPECT_TRUE(IsFilterEntryActive(entry));
    rule.SetActive(false);
    EXPECT_FALSE(IsFilterEntryActive(entry));
    EXPECT_FALSE(IsFilterEntryActive(FilterEntry{FILTER_ENTRY_ADDED, u"X", A, nullptr}));
}

}  // namespace
