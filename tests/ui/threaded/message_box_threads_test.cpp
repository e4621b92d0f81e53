// A batch on a worker thread holds the answer-memory scope while its questions are shown by
// the user-interface thread, reached by a sent message: one "I&gnore all" answers the
// batch's later error boxes, and the memory is empty once the worker's scope has ended.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include "controls/msgbox/answer_memo.h"
#include "engine/log/message_type.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "platform/gui/window.h"
#include "ui/message_box.h"

namespace {

constexpr gui::UINT WM_ASK = gui::WM_USER + 103;

// Shows the error box for the code the worker sends and answers with the box's answer.
class Asker : public gui::Window {
protected:
    gui::LRESULT OnMessage(gui::UINT msg, gui::WPARAM w, gui::LPARAM) override {
        if (msg != WM_ASK) return 0;
        ErrorInfo error;
        error.Set(ERROR_CATEGORY_PROGRAM, static_cast<std::uint32_t>(w), 0, u"/left/file.txt");
        return ShowErrorMessage(this, error, MB_ABORTRETRYIGNORE | MB_FORALL_IGNORE | MB_ANSWER_FOR_ALL);
    }
};

}  // namespace

TEST(MessageBoxThreadsTest, AWorkersScopeRemembersTheAnswersOfTheBoxesItAsksFor) {
    Asker window;
    const gui::HWND hwnd = window.Handle();
    gui::ScriptedPromptRunner prompts;
    prompts.Answer(4101);
    std::atomic<bool> done{false};
    std::vector<gui::LRESULT> answers;  // written by the worker, read after join
    std::thread worker([&] {
        {
            CAnswerMemoScope batch(true);
            for (std::uint32_t code : {1u, 6u, 7u}) answers.push_back(gui::SendMessage(hwnd, WM_ASK, code, 0));
        }
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    EXPECT_EQ(answers, (std::vector<gui::LRESULT>{5, 5, 5}));
    EXPECT_EQ(prompts.Requests().size(), 1u);
    EXPECT_FALSE(AnswerMemo::IsRemembering());
    EXPECT_EQ(LookupRememberedAnswer(0, MB_ABORTRETRYIGNORE), 0);
}
