// The watcher's state machine, progress arithmetic and cancel handshake, driven from the
// test's own thread. The ticker runs with an interval of an hour here, so it never ticks;
// the ticks are covered by the threaded tests.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/error_info.h"
#include "engine/watcher.h"

namespace {

constexpr std::chrono::milliseconds kNoTicks = std::chrono::hours(1);

struct Event {
    std::uint32_t event;
    std::uintptr_t value;
    std::uint32_t state;  // the watcher's state during the call
};

// Collects the events of one watcher; answers questions through `answer`.
struct Recorder {
    Watcher* watcher = nullptr;
    std::vector<Event> events;
    std::function<int(const ErrorInfo&)> answer = [](const ErrorInfo&) { return 0; };

    static int Callback(std::uint32_t event, std::uintptr_t value, std::uintptr_t user) {
        auto* self = reinterpret_cast<Recorder*>(user);
        self->events.push_back({event, value, self->watcher->GetState()});
        if (event == WATCHER_EVENT_QUESTION) return self->answer(*reinterpret_cast<const ErrorInfo*>(value));
        return 0;
    }
    void Attach(Watcher& w) {
        watcher = &w;
        w.SetCallback(&Callback, reinterpret_cast<std::uintptr_t>(this));
    }
    std::vector<std::uint32_t> Codes() const {
        std::vector<std::uint32_t> codes;
        for (const auto& e : events) codes.push_back(e.event);
        return codes;
    }
};

WatcherProgress Snap(const Watcher& w) {
    WatcherProgress p;
    w.GetProgress().Snapshot(p);
    return p;
}

bool SameBlock(const WatcherProgress& a, const WatcherProgress& b) {
    return std::memcmp(a.sourcePath, b.sourcePath, sizeof(a.sourcePath)) == 0 &&
           std::memcmp(a.targetPath, b.targetPath, sizeof(a.targetPath)) == 0 && a.itemKind == b.itemKind &&
           a.itemBytesDone == b.itemBytesDone && a.itemSizePlusOne == b.itemSizePlusOne &&
           a.overallDone == b.overallDone && a.overallTotal == b.overallTotal &&
           a.finishedWeight == b.finishedWeight && a.itemValue == b.itemValue && a.rate == b.rate;
}

enum class Op { Begin, End, ItemStart, ItemDone, EnterTransfer, LeaveTransfer, Progress };

const char* OpName(Op op) {
    switch (op) {
        case Op::Begin: return "Begin";
        case Op::End: return "End";
        case Op::ItemStart: return "ItemStart";
        case Op::ItemDone: return "ItemDone";
        case Op::EnterTransfer: return "EnterTransfer";
        case Op::LeaveTransfer: return "LeaveTransfer";
        case Op::Progress: return "Progress";
    }
    return "?";
}

bool Apply(Watcher& w, Op op) {
    switch (op) {
        case Op::Begin: return w.Begin(500);
        case Op::End: return w.End();
        case Op::ItemStart: return w.ItemStart(42, WATCHER_ITEM_COPY, u"/t/b", u"/s/b", 20);
        case Op::ItemDone: return w.ItemDone();
        case Op::EnterTransfer: return w.EnterTransfer();
        case Op::LeaveTransfer: return w.LeaveTransfer();
        case Op::Progress: return w.Progress(5, 77);
    }
    return false;
}

// Brings a fresh watcher into a state with an item of 10 bytes (item value 7) started.
void Reach(Watcher& w, std::uint32_t state) {
    if (state == WATCHER_STATE_IDLE) return;
    ASSERT_TRUE(w.Begin(100));
    ASSERT_TRUE(w.ItemStart(7, WATCHER_ITEM_COPY, u"/t/a", u"/s/a", 10));
    if (state == WATCHER_STATE_IN_TRANSFER) {
        ASSERT_TRUE(w.EnterTransfer());
    }
}

TEST(WatcherStateMachine, EveryOperationInEveryState) {
    struct Case {
        std::uint32_t from;
        Op op;
        bool result;
        std::uint32_t to;
        std::vector<std::uint32_t> events;
    };
    const Case cases[] = {
        {WATCHER_STATE_IDLE, Op::Begin, true, WATCHER_STATE_RUNNING, {WATCHER_EVENT_BEGIN}},
        {WATCHER_STATE_IDLE, Op::End, false, WATCHER_STATE_IDLE, {}},
        {WATCHER_STATE_IDLE, Op::ItemStart, false, WATCHER_STATE_IDLE, {}},
        {WATCHER_STATE_IDLE, Op::ItemDone, false, WATCHER_STATE_IDLE, {}},
        {WATCHER_STATE_IDLE, Op::EnterTransfer, false, WATCHER_STATE_IDLE, {}},
        {WATCHER_STATE_IDLE, Op::LeaveTransfer, false, WATCHER_STATE_IDLE, {}},
        {WATCHER_STATE_IDLE, Op::Progress, false, WATCHER_STATE_IDLE, {}},
        {WATCHER_STATE_RUNNING, Op::Begin, false, WATCHER_STATE_RUNNING, {}},
        {WATCHER_STATE_RUNNING, Op::End, true, WATCHER_STATE_IDLE, {WATCHER_EVENT_END}},
        {WATCHER_STATE_RUNNING, Op::ItemStart, true, WATCHER_STATE_RUNNING, {WATCHER_EVENT_ITEM_START}},
        {WATCHER_STATE_RUNNING, Op::ItemDone, true, WATCHER_STATE_RUNNING, {WATCHER_EVENT_ITEM_DONE}},
        {WATCHER_STATE_RUNNING, Op::EnterTransfer, true, WATCHER_STATE_IN_TRANSFER, {}},
        {WATCHER_STATE_RUNNING, Op::LeaveTransfer, false, WATCHER_STATE_RUNNING, {}},
        {WATCHER_STATE_RUNNING, Op::Progress, false, WATCHER_STATE_RUNNING, {}},
        {WATCHER_STATE_IN_TRANSFER, Op::Begin, false, WATCHER_STATE_IN_TRANSFER, {}},
        {WATCHER_STATE_IN_TRANSFER, Op::End, false, WATCHER_STATE_IN_TRANSFER, {}},
        {WATCHER_STATE_IN_TRANSFER, Op::ItemStart, false, WATCHER_STATE_IN_TRANSFER, {}},
        {WATCHER_STATE_IN_TRANSFER, Op::ItemDone, false, WATCHER_STATE_IN_TRANSFER, {}},
        {WATCHER_STATE_IN_TRANSFER, Op::EnterTransfer, false, WATCHER_STATE_IN_TRANSFER, {}},
        {WATCHER_STATE_IN_TRANSFER, Op::LeaveTransfer, true, WATCHER_STATE_RUNNING, {}},
        {WATCHER_STATE_IN_TRANSFER, Op::Progress, true, WATCHER_STATE_IN_TRANSFER, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.from << ", " << OpName(c.op));
        Watcher w(kNoTicks);
        Recorder rec;
        rec.Attach(w);
        Reach(w, c.from);
        rec.events.clear();
        const WatcherProgress before = Snap(w);
        EXPECT_EQ(c.result, Apply(w, c.op));
        EXPECT_EQ(c.to, w.GetState());
        EXPECT_EQ(c.events, rec.Codes());
        if (!c.result) {
            EXPECT_TRUE(SameBlock(before, Snap(w))) << "a refused call changed the block";
        }
    }
}

// While a question is open every operation is refused and the state stays "in question";
// afterwards the state the question came from is back.
TEST(WatcherStateMachine, QuestionRefusesEverythingAndRestoresTheState) {
    const std::uint32_t origins[] = {WATCHER_STATE_IDLE, WATCHER_STATE_RUNNING, WATCHER_STATE_IN_TRANSFER};
    const Op ops[] = {Op::Begin, Op::End, Op::ItemStart, Op::ItemDone, Op::EnterTransfer, Op::LeaveTransfer,
                      Op::Progress};
    for (std::uint32_t from : origins) {
        SCOPED_TRACE(testing::Message() << "from state " << from);
        Watcher w(kNoTicks);
        Recorder rec;
        rec.Attach(w);
        Reach(w, from);
        rec.events.clear();
        std::vector<std::string> accepted;
        rec.answer = [&](const ErrorInfo&) {
            for (Op op : ops) {
                if (Apply(w, op)) accepted.push_back(OpName(op));
                EXPECT_EQ(WATCHER_STATE_IN_QUESTION, w.GetState());
            }
            return WATCHER_ANSWER_RETRY;
        };
        ErrorInfo error;
        error.Set(ERROR_CATEGORY_SYSTEM, 5, 0, u"/x");
        EXPECT_EQ(WATCHER_ANSWER_RETRY, w.Ask(&error));
        EXPECT_EQ(std::vector<std::string>{}, accepted);
        EXPECT_EQ(from, w.GetState());
        ASSERT_EQ(1u, rec.events.size());
        EXPECT_EQ(WATCHER_EVENT_QUESTION, rec.events[0].event);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(&error), rec.events[0].value);
        EXPECT_EQ(WATCHER_STATE_IN_QUESTION, rec.events[0].state);
    }
}

TEST(WatcherStateMachine, EventValuesAndBlockOfARun) {
    Watcher w(kNoTicks);
    Recorder rec;
    rec.Attach(w);
    ASSERT_TRUE(w.Begin(1234));
    ASSERT_TRUE(w.ItemStart(17, WATCHER_ITEM_DELETE, u"/right/gone", nullptr, 0));
    WatcherProgress p = Snap(w);
    EXPECT_EQ(std::u16string(u"/right/gone"), p.targetPath);
    EXPECT_EQ(std::u16string(), p.sourcePath);
    EXPECT_EQ(WATCHER_ITEM_DELETE, p.itemKind);
    EXPECT_EQ(17u, p.itemValue);
    EXPECT_EQ(1u, p.itemSizePlusOne);
    EXPECT_EQ(1234u, p.overallTotal);
    ASSERT_TRUE(w.ItemDone());
    ASSERT_TRUE(w.End());
    // A second run starts from a zeroed block: BEGIN carries 0, not the last item.
    ASSERT_TRUE(w.Begin(9));
    p = Snap(w);
    EXPECT_EQ(std::u16string(), p.targetPath);
    EXPECT_EQ(0u, p.finishedWeight);
    EXPECT_EQ(9u, p.overallTotal);

    const std::vector<std::pair<std::uint32_t, std::uintptr_t>> expected = {
        {WATCHER_EVENT_BEGIN, 0}, {WATCHER_EVENT_ITEM_START, 17}, {WATCHER_EVENT_ITEM_DONE, 17},
        {WATCHER_EVENT_END, 17},  {WATCHER_EVENT_BEGIN, 0},
    };
    std::vector<std::pair<std::uint32_t, std::uintptr_t>> got;
    for (const auto& e : rec.events) got.emplace_back(e.event, e.value);
    EXPECT_EQ(expected, got);
}

TEST(WatcherProgressArithmetic, ItemsWeighTheirSizePlusOne) {
    struct Case {
        const char* name;
        std::vector<std::uint64_t> sizes;
        std::uint64_t overallDone;
    };
    const Case cases[] = {
        {"three empty items", {0, 0, 0}, 3},
        {"one item of 1000 bytes", {1000}, 1001},
        {"mixed", {1000, 0, 5}, 1001 + 1 + 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Watcher w(kNoTicks);
        ASSERT_TRUE(w.Begin(0));
        std::uint32_t i = 0;
        for (std::uint64_t size : c.sizes) {
            ASSERT_TRUE(w.ItemStart(i++, WATCHER_ITEM_COPY, u"t", u"s", size));
            ASSERT_TRUE(w.ItemDone());
            EXPECT_EQ(size + 1, Snap(w).itemBytesDone);
        }
        EXPECT_EQ(c.overallDone, Snap(w).overallDone);
        EXPECT_EQ(c.overallDone, Snap(w).finishedWeight);
    }
}

TEST(WatcherProgressArithmetic, ProgressIsClampedToTheItemSize) {
    struct Case {
        std::uint64_t reported;
        std::uint64_t itemBytesDone;
    };
    const Case cases[] = {{0, 0}, {400, 400}, {1000, 1000}, {1001, 1000}, {~0ull, 1000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reported);
        Watcher w(kNoTicks);
        ASSERT_TRUE(w.Begin(0));
        ASSERT_TRUE(w.ItemStart(0, WATCHER_ITEM_COPY, u"t", u"s", 0));
        ASSERT_TRUE(w.ItemDone());  // finished weight 1
        ASSERT_TRUE(w.ItemStart(1, WATCHER_ITEM_COPY, u"t", u"s", 1000));
        ASSERT_TRUE(w.EnterTransfer());
        ASSERT_TRUE(w.Progress(c.reported, 250));
        const WatcherProgress p = Snap(w);
        EXPECT_EQ(c.itemBytesDone, p.itemBytesDone);
        EXPECT_EQ(1 + c.itemBytesDone, p.overallDone);
        EXPECT_EQ(250u, p.rate);
    }
}

TEST(WatcherProgressArithmetic, PathsKeepTheirFirst259Characters) {
    const std::u16string exact(259, u'a');
    const std::u16string longer = std::u16string(259, u'b') + u"cdef";
    // A surrogate pair straddling the cut is dropped whole.
    const std::u16string pairAtCut = std::u16string(258, u'c') + u"\U0001F600" + u"x";
    struct Case {
        const char* name;
        const char16_t* path;
        std::u16string kept;
    };
    const Case cases[] = {
        {"null", nullptr, u""},
        {"short", u"/a/b", u"/a/b"},
        {"259 characters", exact.c_str(), exact},
        {"263 characters", longer.c_str(), longer.substr(0, 259)},
        {"pair at the cut", pairAtCut.c_str(), pairAtCut.substr(0, 258)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Watcher w(kNoTicks);
        ASSERT_TRUE(w.Begin(0));
        ASSERT_TRUE(w.ItemStart(0, WATCHER_ITEM_COPY, c.path, c.path, 1));
        const WatcherProgress p = Snap(w);
        EXPECT_EQ(c.kept, std::u16string(p.targetPath));
        EXPECT_EQ(c.kept, std::u16string(p.sourcePath));
    }
}

TEST(WatcherCancel, Handshake) {
    // Each step: request a cancel first?, the answer the dialog gives, expected result,
    // whether a question was asked.
    struct Step {
        bool request;
        int answer;
        bool cancelled;
        bool asked;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"no request never asks", {{false, 1, false, false}, {false, 1, false, false}}},
        {"yes confirms for good", {{true, 1, true, true}, {false, 0, true, false}, {true, 0, true, false}}},
        {"no withdraws the request",
         {{true, 0, false, true}, {false, 1, false, false}, {true, 1, true, true}, {false, 0, true, false}}},
        {"retry or ignore withdraw too", {{true, 3, false, true}, {true, 4, false, true}, {false, 1, false, false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Watcher w(kNoTicks);
        Recorder rec;
        rec.Attach(w);
        ASSERT_TRUE(w.Begin(0));
        int step = 0;
        for (const auto& s : c.steps) {
            SCOPED_TRACE(step++);
            rec.events.clear();
            rec.answer = [&](const ErrorInfo& q) {
                EXPECT_EQ(ERROR_CATEGORY_CANCELLED, q.category);
                EXPECT_EQ(0u, q.code);
                EXPECT_EQ(0u, q.extra);
                EXPECT_EQ(nullptr, q.GetText());
                return s.answer;
            };
            if (s.request) w.RequestCancel();
            EXPECT_EQ(s.cancelled, w.IsCancelled());
            EXPECT_EQ(s.asked ? 1u : 0u, rec.events.size());
            if (!rec.events.empty()) {
                EXPECT_EQ(WATCHER_STATE_IN_QUESTION, rec.events[0].state);
            }
            EXPECT_EQ(WATCHER_STATE_RUNNING, w.GetState());
        }
    }
}

TEST(WatcherCancel, WithoutACallback) {
    Watcher w(kNoTicks);
    ErrorInfo error;
    error.Set(ERROR_CATEGORY_SYSTEM, 2, 0, u"/x");
    EXPECT_EQ(WATCHER_ANSWER_ABORT, w.Ask(&error));
    EXPECT_FALSE(w.IsCancelled());
    w.RequestCancel();
    EXPECT_TRUE(w.IsCancelled());
    EXPECT_TRUE(w.IsCancelled());

    // A callback that is removed again counts as none.
    Watcher v(kNoTicks);
    Recorder rec;
    rec.Attach(v);
    rec.answer = [](const ErrorInfo&) { return WATCHER_ANSWER_IGNORE; };
    EXPECT_EQ(WATCHER_ANSWER_ABORT, v.Ask(nullptr)) << "a null question is never shown";
    v.SetCallback(nullptr, 0);
    EXPECT_EQ(WATCHER_ANSWER_ABORT, v.Ask(&error));
    EXPECT_TRUE(rec.events.empty());
}

}  // namespace
