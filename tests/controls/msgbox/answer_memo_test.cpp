// The answer memory keeps for-all answers only inside the outermost enabling scope.
#include <gtest/gtest.h>

#include "controls/msgbox/answer_memo.h"

TEST(AnswerMemoTest, OnlyTheOutermostEnablingScopeOwnsTheMemory) {
    EXPECT_FALSE(AnswerMemo::IsRemembering());
    RememberAnswer(1, 4, 4102);  // no scope: nothing is stored
    EXPECT_EQ(LookupRememberedAnswer(1, 4), 0);
    {
        CAnswerMemoScope off(false);
        EXPECT_FALSE(off.OwnsMemory());
        EXPECT_FALSE(AnswerMemo::IsRemembering());
    }
    {
        CAnswerMemoScope outer(true);
        EXPECT_TRUE(outer.OwnsMemory());
        RememberAnswer(1, 4, 4102);
        {
            CAnswerMemoScope inner(true);
            EXPECT_FALSE(inner.OwnsMemory());
            RememberAnswer(2, 4, 4103);
        }
        // The inner scope's end keeps everything.
        EXPECT_TRUE(AnswerMemo::IsRemembering());
        EXPECT_EQ(LookupRememberedAnswer(1, 4), 4102);
        EXPECT_EQ(LookupRememberedAnswer(2, 4), 4103);
        // The same question id with another button set is another question.
        EXPECT_EQ(LookupRememberedAnswer(1, 3), 0);
        RememberAnswer(1, 4, 4103);  // a later answer overwrites
        EXPECT_EQ(LookupRememberedAnswer(1, 4), 4103);
    }
    EXPECT_FALSE(AnswerMemo::IsRemembering());
    EXPECT_EQ(LookupRememberedAnswer(1, 4), 0);
    EXPECT_EQ(LookupRememberedAnswer(2, 4), 0);
}

TEST(AnswerMemoTest, AScopeLeftByAnExceptionClearsTheMemory) {
    try {
        CAnswerMemoScope scope(true);
        RememberAnswer(0, 2, 4101);
        throw 1;
    } catch (int) {
    }
    EXPECT_FALSE(AnswerMemo::IsRemembering());
    EXPECT_EQ(LookupRememberedAnswer(0, 2), 0);
}
