#pragma once
// The prompt runner of the tests: while one exists it is the installed runner, so every
// message box, file or folder dialog and modal dialog that the code under test runs comes
// here instead of to the screen. Each request is recorded (title, text, buttons with ids and
// captions, default and escape id, icon, help id, ...); each is answered by the next step of
// the script:
//   - Answer(id) / Answer(id, text): the answer without showing anything (a file dialog's
//     path in `text`); an id that is not one of the request's buttons fails the test;
//   - Inspect(callback): the window is shown and its modal loop runs; the callback is called
//     inside the loop with the request and the host, looks at the window (host.Widget()),
//     may save a screenshot, and ends it (host.EndModal, a key press or a click). A window the
//     callback leaves open is ended with NoWindowAnswer and fails the test, and so does a
//     window that ends before the callback could see it.
// A request with no step left fails the test and is answered with NoWindowAnswer (the escape
// id, else 0), so a test never blocks. Steps never asked for fail the test when the runner
// goes.
//
//     gui::ScriptedPromptRunner prompts;
//     prompts.Answer(IDYES);
//     EXPECT_EQ(AskSomething(), IDYES);
//     EXPECT_EQ(prompts.Requests().at(0).text, u"Save profile changes to a.kem?");
//
// User-interface thread only, like the prompts themselves.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/prompt_runner.h"

namespace gui {

class ScriptedPromptRunner final : public PromptRunner {
public:
    using Inspector = std::function<void(const PromptRequest& request, PromptHost& host)>;

    ScriptedPromptRunner();
    ~ScriptedPromptRunner() override;
    ScriptedPromptRunner(const ScriptedPromptRunner&) = delete;
    ScriptedPromptRunner& operator=(const ScriptedPromptRunner&) = delete;

    ScriptedPromptRunner& Answer(int id, std::u16string text = {});
    ScriptedPromptRunner& Inspect(Inspector inspector);

    const std::vector<PromptRequest>& Requests() const { return requests_; }
    const std::vector<PromptAnswer>& Answers() const { return answers_; }
    std::size_t PendingSteps() const { return steps_.size(); }

    PromptAnswer Run(const PromptRequest& request, PromptHost& host) override;

private:
    struct Step {
        PromptAnswer answer;
        Inspector inspector;  // set: show the window and call it
    };

    ScopedPromptRunner installed_;
    std::deque<Step> steps_;
    std::vector<PromptRequest> requests_;
    std::vector<PromptAnswer> answers_;
};

// "message box "Title": "text" [1 &OK, 2 &Cancel] default 1 escape 2" for test messages.
std::string DescribeRequest(const PromptRequest& request);

}  // namespace gui
