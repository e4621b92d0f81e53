#include "engine/commands/command_history.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// What the fake commands did, in order: +id for Do, -id for Undo; and who was deleted.
struct Journal {
    std::vector<int> calls;
    std::vector<int> deleted;
};

// A command with a chosen hint and undoability that records its calls and its deletion.
class FakeCommand : public Command {
public:
    FakeCommand(int id, Journal& journal, std::uint32_t hint = 2, bool undoable = true)
        : Command(nullptr, nullptr), id_(id), hint_(hint), undoable_(undoable), journal_(journal) {}
    ~FakeCommand() override { journal_.deleted.push_back(id_); }
    std::uint32_t Do() override {
        journal_.calls.push_back(id_);
        return hint_;
    }
    std::uint32_t Undo() override {
        journal_.calls.push_back(-id_);
        return hint_ + 100;
    }
    bool IsUndoable() const override { return undoable_; }

private:
    int id_;
    std::uint32_t hint_;
    bool undoable_;
    Journal& journal_;
};

class CommandHistoryTest : public testing::Test {
protected:
    std::uint32_t Run(int id, std::uint32_t hint = 2, bool undoable = true) {
        return history.Execute(std::make_unique<FakeCommand>(id, journal, hint, undoable));
    }
    Journal journal;
    CommandHistory history;
};

TEST_F(CommandHistoryTest, KeepsTheLastTenAndUndoesThemNewestFirst) {
    for (int id = 1; id <= 11; ++id) EXPECT_EQ(2u, Run(id));
    EXPECT_EQ(10u, history.GetCount());
    EXPECT_EQ(std::vector<int>{1}, journal.deleted);  // the oldest fell off
    EXPECT_TRUE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());

    journal.calls.clear();
    for (int i = 0; i < 10; ++i) EXPECT_EQ(102u, history.Undo());
    EXPECT_EQ((std::vector<int>{-11, -10, -9, -8, -7, -6, -5, -4, -3, -2}), journal.calls);
    EXPECT_FALSE(history.CanUndo());
    journal.calls.clear();
    EXPECT_EQ(0u, history.Undo());  // at the first position: nothing
    EXPECT_TRUE(journal.calls.empty());

    for (int i = 0; i < 10; ++i) EXPECT_EQ(2u, history.Redo());
    EXPECT_EQ((std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), journal.calls);
    EXPECT_EQ(0u, history.Redo());  // at the end: nothing
    EXPECT_EQ(10u, journal.calls.size());
}

TEST_F(CommandHistoryTest, RedoTailSurvivesACommandWithoutEffectAndGoesWithANewOne) {
    Run(1);
    Run(2);
    Run(3);
    history.Undo();
    history.Undo();
    ASSERT_EQ(1u, history.GetPosition());

    // Changed nothing: deleted at once, the redo tail stays.
    EXPECT_EQ(0u, Run(4, 0));
    EXPECT_EQ(std::vector<int>{4}, journal.deleted);
    EXPECT_EQ(3u, history.GetCount());
    EXPECT_TRUE(history.CanRedo());

    // A changing command drops what could have been redone.
    EXPECT_EQ(2u, Run(5));
    EXPECT_EQ((std::vector<int>{4, 2, 3}), journal.deleted);
    EXPECT_EQ(2u, history.GetCount());
    EXPECT_FALSE(history.CanRedo());
    journal.calls.clear();
    history.Undo();
    history.Undo();
    EXPECT_EQ((std::vector<int>{-5, -1}), journal.calls);
}

TEST_F(CommandHistoryTest, CommandThatCannotBeUndoneEmptiesTheHistory) {
    Run(1);
    Run(2);
    history.Undo();
    EXPECT_EQ(7u, Run(3, 7, false));
    EXPECT_EQ(0u, history.GetCount());
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(3u, journal.deleted.size());
    EXPECT_EQ(3, journal.deleted.back());  // run once, then deleted

    EXPECT_EQ(0u, history.Execute(nullptr));
    Run(4);
    history.Clear();
    EXPECT_EQ(0u, history.GetCount());
    EXPECT_EQ(0u, history.GetPosition());
    EXPECT_EQ(4, journal.deleted.back());
}

}  // namespace
