// A worker opens and closes answer-memory scopes while the user-interface thread reads and
// stores answers: the memory's lock keeps both consistent (checked by the thread sanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "controls/msgbox/answer_memo.h"

TEST(AnswerMemoThreadsTest, ScopesOnAWorkerAndLookupsOnTheUserInterfaceThread) {
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        for (int i = 0; i < 2000; ++i) {
            CAnswerMemoScope scope(true);
            RememberAnswer(7, 2, 4101);
        }
        stop = true;
    });
    int seen = 0;
    while (!stop) {
        RememberAnswer(8, 2, 4101);
        int answer = LookupRememberedAnswer(7, 2);
        EXPECT_TRUE(answer == 0 || answer == 4101);
        if (answer) ++seen;
        (void)AnswerMemo::IsRemembering();
    }
    worker.join();
    EXPECT_FALSE(AnswerMemo::IsRemembering());
    EXPECT_EQ(LookupRememberedAnswer(7, 2), 0);
    EXPECT_EQ(LookupRememberedAnswer(8, 2), 0);
}
