#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/command_history.h"

namespace {

// A command with a chosen hint and undoability that records its deletion.
class FakeCommand : public Command {
public:
    FakeCommand(std::uint32_t hint, bool undoable, int id, std::vector<int>& deleted)
        : Command(nullptr, nullptr), hint_(hint), undoable_(undoable), id_(id), deleted_(deleted) {}
    ~FakeCommand() override { deleted_.push_back(id_); }
    std::uint32_t Do() override { return hint_; }
    std::uint32_t Undo() override { return hint_; }
    bool IsUndoable() const override { return undoable_; }

private:
    std::uint32_t hint_;
    bool undoable_;
    int id_;
    std::vector<int>& deleted_;
};

TEST(CommandHistory, ExecuteKeepsOnlyChangingUndoableCommands) {
    std::vector<int> deleted;
    CommandHistory history;
    auto make = [&](std::uint32_t hint, bool undoable, int id) {
        return std::make_unique<FakeCommand>(hint, undoable, id, deleted);
    };
    EXPECT_EQ(2u, history.Execute(make(2, true, 1)));
    EXPECT_EQ(1u, history.GetCount());

    // Changed nothing: deleted, the history stays.
    EXPECT_EQ(0u, history.Execute(make(0, true, 2)));
    EXPECT_EQ(1u, history.GetCount());
    EXPECT_EQ(std::vector<int>{2}, deleted);

    // Beyond the limit the oldest goes: ten are kept.
    for (int id = 3; id <= 12; ++id) history.Execute(make(4, true, id));
    EXPECT_EQ(CommandHistory::kDefaultLimit, history.GetCount());
    EXPECT_EQ(history.GetCount(), history.GetPosition());
    EXPECT_EQ((std::vector<int>{2, 1}), deleted);

    // A command that cannot be undone empties the history and is deleted itself.
    deleted.clear();
    EXPECT_EQ(7u, history.Execute(make(7, false, 13)));
    EXPECT_EQ(0u, history.GetCount());
    EXPECT_EQ(11u, deleted.size());
    EXPECT_EQ(13, deleted.back());

    history.Execute(make(2, true, 14));
    history.Clear();
    EXPECT_EQ(0u, history.GetCount());
    EXPECT_EQ(0u, history.GetPosition());
}

}  // namespace
