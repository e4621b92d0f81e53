#include "engine/commands/cmd_sel_filters.h"

#include <gtest/gtest.h>

#include <list>
#include <string>

#include "tests/engine/support/command_fixture.h"

namespace {

using namespace kit;

TEST(SetSelFiltersTest, DoMarksTheSelectionAndUndoRestoresTheList) {
    CommandFixture p;
    p.Add("A.TXT", File(kT0, 1), kAbsent);
    p.Add("B.LOG", File(kT0, 1), kAbsent);
    p.Decide();
    for (FSTreeNode* n : FSTree::Subtree(p.db.GetRoot())) n->record.FG &= std::uint8_t(~FG_MARKED);
    p.db.selectionFilters.emplace_back(u"*.BAK", ProtectionRule::ACTIVE);
    const std::list<ProtectionRule> old = p.db.selectionFilters;

    const std::list<ProtectionRule> filters = {{u"*.TXT", ProtectionRule::ACTIVE}, {u"*", 0}};
    EXPECT_EQ(9u, p.db.SetSelFilters(&p.proxy, filters));
    auto patterns = [&] {
        std::string out;
        for (const ProtectionRule& r : p.db.selectionFilters) out += r.GetPattern().ToUtf8() + std::to_string(r.GetFlags()) + " ";
        return out;
    };
    EXPECT_EQ("*.TXT12 *4 ", patterns());
    EXPECT_TRUE(p["A.TXT"].record.FG & FG_MARKED);
    EXPECT_FALSE(p["B.LOG"].record.FG & FG_MARKED);

    EXPECT_EQ(0u, p.db.commandHistory.Undo());
    EXPECT_EQ("*.BAK12 ", patterns());
    EXPECT_TRUE(p["A.TXT"].record.FG & FG_MARKED);  // the marks stay
    EXPECT_EQ(9u, p.db.commandHistory.Redo());
    EXPECT_EQ("*.TXT12 *4 ", patterns());

    // Without a selection the list is only installed.
    EXPECT_EQ(9u, p.db.SetSelFilters(nullptr, old));
    EXPECT_EQ("*.BAK12 ", patterns());
}

}  // namespace
