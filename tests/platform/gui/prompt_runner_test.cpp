// Every prompt goes through the installed runner: the scripted one answers from its queue or
// lets a test look at the shown window, and fails the test instead of blocking when nothing
// was scripted.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QPushButton>
#include <thread>

#include "platform/gui/dialog.h"
#include "platform/gui/testing/scripted_prompt_runner.h"

using namespace gui;

namespace {

// A host that counts how often it was shown and ends with a fixed id.
class FakeHost final : public PromptHost {
public:
    int RunModal() override {
        ++shown;
        return 77;
    }
    void EndModal(int) override {}
    bool IsModalRunning() const override { return false; }
    QWidget* Widget() override { return nullptr; }
    int shown = 0;
};

PromptRequest YesNo() {
    PromptRequest r;
    r.title = u"Title";
    r.text = u"Question?";
    r.buttons = {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
    r.defaultId = IDYES;
    return r;
}

// A dialog with two buttons, made at run time.
class TwoButtons : public Dialog {
public:
    using Dialog::Dialog;

protected:
    bool OnInitDialog() override {
        setWindowTitle("Two buttons");
        auto* ok = new QPushButton("OK", this);
        auto* other = new QPushButton("Other", this);
        ok->setGeometry(10, 10, 80, 25);
        other->setGeometry(100, 10, 80, 25);
        BindControl(ok, IDOK);
        BindControl(other, 1234);
        resize(200, 50);
        return true;
    }
    bool OnCommand(int id, int code, HWND from) override {
        if (id == 1234) {
            EndDialog(1234);
            return true;
        }
        return Dialog::OnCommand(id, code, from);
    }
};

}  // namespace

TEST(PromptRunnerTest, ScriptedAnswersAreGivenInOrderWithoutShowing) {
    ScriptedPromptRunner prompts;
    prompts.Answer(IDNO).Answer(IDYES);
    FakeHost host;
    EXPECT_EQ(RunPrompt(YesNo(), host).id, IDNO);
    EXPECT_EQ(RunPrompt(YesNo(), host).id, IDYES);
    EXPECT_EQ(host.shown, 0);
    ASSERT_EQ(prompts.Requests().size(), 2u);
    EXPECT_EQ(prompts.Requests()[0].text, u"Question?");
    EXPECT_EQ(prompts.Requests()[0].buttons[1], (PromptButton{IDNO, u"&No"}));
    EXPECT_EQ(prompts.Answers()[1].id, IDYES);
}

TEST(PromptRunnerTest, FileDialogAnswersCarryTheirPath) {
    ScriptedPromptRunner prompts;
    prompts.Answer(IDOK, u"/tmp/a.kem");
    FakeHost host;
    PromptRequest request;
    request.kind = PromptKind::OpenFile;
    EXPECT_EQ(RunPrompt(request, host), (PromptAnswer{IDOK, u"/tmp/a.kem"}));
}

TEST(PromptRunnerTest, AnUnscriptedPromptFailsAndAnswersTheEscapeId) {
    FakeHost host;
    PromptRequest withEscape = YesNo();
    withEscape.escapeId = IDNO;
    PromptAnswer answer;
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPromptRunner prompts;
            answer = RunPrompt(withEscape, host);
        },
        "unscripted message box \"Title\": \"Question?\" [6 &Yes, 7 &No] default 6 escape 7");
    EXPECT_EQ(answer.id, IDNO);
    // Without an escape id the answer is 0, "no answer".
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPromptRunner prompts;
            answer = RunPrompt(YesNo(), host);
        },
        "unscripted");
    EXPECT_EQ(answer.id, 0);
    EXPECT_EQ(host.shown, 0);
}

TEST(PromptRunnerTest, ScriptMistakesFailTheTest) {
    FakeHost host;
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPromptRunner prompts;
            prompts.Answer(IDCANCEL);
            RunPrompt(YesNo(), host);
        },
        "scripted answer 2 is not a button");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPromptRunner prompts;
            prompts.Answer(IDYES);
        },
        "1 scripted prompt answer(s) were never asked for");
}

TEST(PromptRunnerTest, TheRunnerIsPutBackAfterItsScope) {
    PromptRunner* before = &CurrentPromptRunner();
    {
        ScriptedPromptRunner outer;
        {
            ScriptedPromptRunner inner;
            EXPECT_EQ(&CurrentPromptRunner(), &inner);
        }
        EXPECT_EQ(&CurrentPromptRunner(), &outer);
    }
    EXPECT_EQ(&CurrentPromptRunner(), before);
}

TEST(PromptRunnerTest, AWorkerThreadNeverShowsAPrompt) {
    ScriptedPromptRunner prompts;
    FakeHost host;
    PromptRequest request = YesNo();
    request.escapeId = IDNO;
    PromptAnswer answer;
    std::thread worker([&] { answer = RunPrompt(request, host); });
    worker.join();
    EXPECT_EQ(answer.id, IDNO);
    EXPECT_EQ(host.shown, 0);
    EXPECT_TRUE(prompts.Requests().empty());
}

TEST(PromptRunnerTest, InspectShowsTheWindowToTheCallback) {
    ScriptedPromptRunner prompts;
    bool looked = false;
    prompts.Inspect([&](const PromptRequest& request, PromptHost& host) {
        looked = true;
        EXPECT_EQ(request.kind, PromptKind::Dialog);
        ASSERT_NE(host.Widget(), nullptr);
        EXPECT_TRUE(host.Widget()->isVisible());
        EXPECT_TRUE(host.IsModalRunning());
        auto* other = qobject_cast<QPushButton*>(static_cast<Dialog*>(host.Widget())->GetDlgItem(1234));
        ASSERT_NE(other, nullptr);
        other->click();
    });
    TwoButtons dialog;
    EXPECT_EQ(dialog.DoModal(), 1234);
    EXPECT_TRUE(looked);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(PromptRunnerTest, ACallbackThatLeavesTheWindowOpenFails) {
    int result = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPromptRunner prompts;
            prompts.Inspect([](const PromptRequest&, PromptHost&) {});
            TwoButtons dialog;
            result = dialog.DoModal();
        },
        "the test callback left the dialog \"\"");
    EXPECT_EQ(result, IDCANCEL);
}
