// The message-box front end: the type word's for-all buttons and remembered answers inside
// and outside an answer-memory scope, the key shared by questions without their own id,
// captions, formatted texts, and the error box whose "&More..." shows the system's message.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <optional>
#include <vector>

#include "controls/msgbox/answer_memo.h"
#include "engine/log/captions.h"
#include "engine/log/error_text.h"
#include "engine/log/message_type.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "tests/support/gui/screenshot.h"
#include "ui/message_box.h"

namespace {

constexpr std::uint32_t kQuestion = 1206;       // "Filter settings cause ... Continue?"
constexpr std::uint32_t kOtherQuestion = 1109;  // "A change from or to daylight saving time ..."

std::vector<int> Ids(const gui::PromptRequest& request) {
    std::vector<int> ids;
    for (const gui::PromptButton& b : request.buttons) ids.push_back(b.id);
    return ids;
}

std::vector<std::u16string> Captions(const gui::PromptRequest& request) {
    std::vector<std::u16string> captions;
    for (const gui::PromptButton& b : request.buttons) captions.push_back(b.caption);
    return captions;
}

ErrorInfo SystemError() {
    ErrorInfo e;
    e.Set(ERROR_CATEGORY_SYSTEM, 5, 0, u"/home/user/right/report.txt");  // access denied
    return e;
}

}  // namespace

TEST(MessageBoxTest, DefaultButtonAtAnOffsetAfterTheStandardButtons) {
    struct Case {
        std::uint32_t type;
        int offset;
        bool expected;
    } cases[] = {
        {MB_OK | MB_DEFBUTTON2, 0, true},           // one standard button: the first extra is button 2
        {MB_OK | MB_DEFBUTTON1, -1, true},          // the last standard button is the default
        {MB_YESNO | MB_DEFBUTTON3, 0, true},
        {MB_YESNO | MB_DEFBUTTON4, 1, true},
        {MB_YESNO | MB_DEFBUTTON3, 1, false},
        {MB_YESNO | MB_DEFBUTTON2, -1, true},
        {MB_YESNO | MB_DEFBUTTON1, -1, false},
        {MB_OKCANCEL | MB_DEFBUTTON3, 0, true},
        {MB_RETRYCANCEL | MB_DEFBUTTON3, 0, true},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON4, 0, true},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, -1, true},
        {MB_YESNOCANCEL | MB_DEFBUTTON4, 1, false},
        {MB_YESNOCANCEL | 0x400, 1, true},
        {0x7 | MB_DEFBUTTON2, 0, true},  // an unknown set counts as one button
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsDefaultButtonAt(c.type, c.offset), c.expected) << std::hex << c.type << " offset " << c.offset;
    }
}

TEST(MessageBoxTest, ForAllButtonsAndRememberedAnswersByScopeAndTypeBits) {
    const std::uint32_t kYesNoAll = MB_YESNO | MB_FORALL_YES_NO;
    struct Case {
        const char* what;
        bool scope;
        std::uint32_t type;
        std::optional<int> stored;    // answer under (key 0, Yes/No) before the box
        std::optional<int> answer;    // the user's; none: no box may be shown
        std::vector<int> buttons;     // of the box shown
        int result;
        int storedAfter;              // under (key 0, Yes/No), read inside the scope
    } cases[] = {
        {"no scope, answer for all: no for-all buttons", false, kYesNoAll | MB_ANSWER_FOR_ALL, {}, 6, {6, 7}, 6, 0},
        {"no scope, for-all id passed on as it is", false, kYesNoAll, {}, 4102, {6, 7, 4102, 4103}, 4102, 0},
        {"scope, a for-all answer is stored and reduced", true, kYesNoAll | MB_ANSWER_FOR_ALL, {}, 4103,
         {6, 7, 4102, 4103}, 7, 4103},
        {"scope, a stored answer stands for the box", true, kYesNoAll | MB_ANSWER_FOR_ALL, 4102, {}, {}, 6, 4102},
        {"scope, without answer-for-all nothing is stored", true, kYesNoAll, {}, 4102, {6, 7, 4102, 4103}, 4102,
         0},
        {"scope, without answer-for-all a stored answer does not stand", true, kYesNoAll, 4103, 4102,
         {6, 7, 4102, 4103}, 4102, 4103},
        {"scope, a plain answer is not stored", true, kYesNoAll | MB_ANSWER_FOR_ALL, {}, 7, {6, 7, 4102, 4103}, 7,
         0},
        {"scope, no for-all buttons: a stored answer does not stand", true, MB_YESNO | MB_ANSWER_FOR_ALL, 4102, 7,
         {6, 7}, 7, 4102},
        {"scope, the question's own id is another key", true, kYesNoAll | MB_ANSWER_FOR_ALL | MB_REMEMBER_BY_TEXT_ID,
         4102, 4103, {6, 7, 4102, 4103}, 7, 4102},
    };
    for (const Case& c : cases) {
        std::optional<CAnswerMemoScope> scope;
        if (c.scope) scope.emplace(true);
        if (c.stored) RememberAnswer(0, MB_YESNO, *c.stored);
        gui::ScriptedPromptRunner prompts;
        if (c.answer) prompts.Answer(*c.answer);
        EXPECT_EQ(ShowMessageBox(nullptr, nullptr, nullptr, kQuestion, c.type), c.result) << c.what;
        ASSERT_EQ(prompts.Requests().size(), c.answer ? 1u : 0u) << c.what;
        if (c.answer) {
            EXPECT_EQ(Ids(prompts.Requests()[0]), c.buttons) << c.what;
        }
        EXPECT_EQ(LookupRememberedAnswer(0, MB_YESNO), c.storedAfter) << c.what;
        if (c.type & MB_REMEMBER_BY_TEXT_ID) {
            EXPECT_EQ(LookupRememberedAnswer(kQuestion, MB_YESNO), c.answer.value_or(0)) << c.what;
        }
    }
    EXPECT_FALSE(AnswerMemo::IsRemembering());
}

TEST(MessageBoxTest, EachForAllSetWithItsCaptionsAndDefault) {
    struct Case {
        std::uint32_t type;
        std::vector<int> ids;
        std::vector<std::u16string> captions;
        int defaultId;
    } cases[] = {
        {MB_OK | MB_FORALL_ALL | MB_DEFBUTTON2, {1, 4097}, {u"&OK", u"a&ll"}, 4097},
        {MB_YESNO | MB_FORALL_YES, {6, 7, 4102}, {u"&Yes", u"&No", u"Yes to &all"}, 6},
        {MB_YESNO | MB_FORALL_YES_NO | MB_DEFBUTTON4, {6, 7, 4102, 4103},
         {u"&Yes", u"&No", u"Yes to &all", u"N&o to all"}, 4103},
        {MB_YESNOCANCEL | MB_FORALL_SAVE_DISCARD | MB_DEFBUTTON4, {6, 7, 2, 4102, 4103},
         {u"&Yes", u"&No", u"&Cancel", u"&Save all", u"&Discard all"}, 4102},
        {MB_ABORTRETRYIGNORE | MB_FORALL_IGNORE, {3, 4, 5, 4101}, {u"&Abort", u"&Retry", u"&Ignore", u"I&gnore all"},
         3},
        {MB_YESNO | 0x06000000, {6, 7}, {u"&Yes", u"&No"}, 6},  // a value without buttons adds none
    };
    CAnswerMemoScope scope(true);
    for (const Case& c : cases) {
        gui::ScriptedPromptRunner prompts;
        prompts.Answer(c.ids[0]);
        ShowMessageBox(nullptr, nullptr, nullptr, kQuestion, c.type | MB_ANSWER_FOR_ALL);
        ASSERT_EQ(prompts.Requests().size(), 1u);
        EXPECT_EQ(Ids(prompts.Requests()[0]), c.ids) << std::hex << c.type;
        EXPECT_EQ(Captions(prompts.Requests()[0]), c.captions) << std::hex << c.type;
        EXPECT_EQ(prompts.Requests()[0].defaultId, c.defaultId) << std::hex << c.type;
    }
}

TEST(MessageBoxTest, ErrorBoxesOfABatchShareOneAnswerQuestionsWithTheirOwnIdDoNot) {
    CAnswerMemoScope batch(true);
    const std::uint32_t errorType = MB_ABORTRETRYIGNORE | MB_FORALL_IGNORE | MB_ANSWER_FOR_ALL;
    ErrorInfo first, second;
    first.Set(ERROR_CATEGORY_PROGRAM, 1, 0, u"/left/a.txt");
    second.Set(ERROR_CATEGORY_PROGRAM, 6, 0, u"/left/b.txt");
    {
        gui::ScriptedPromptRunner prompts;
        prompts.Answer(4101);
        EXPECT_EQ(ShowErrorMessage(nullptr, first, errorType), 5);
        // Another error, another text: the same key 0 and button set, so no box.
        EXPECT_EQ(ShowErrorMessage(nullptr, second, errorType), 5);
        EXPECT_EQ(prompts.Requests().size(), 1u);
    }
    const std::uint32_t ownId = MB_YESNO | MB_FORALL_YES_NO | MB_ANSWER_FOR_ALL | MB_REMEMBER_BY_TEXT_ID;
    {
        gui::ScriptedPromptRunner prompts;
        prompts.Answer(4102).Answer(7);
        EXPECT_EQ(ShowMessageById(nullptr, kQuestion, ownId), 6);
        EXPECT_EQ(ShowMessageById(nullptr, kOtherQuestion, ownId), 7);
        EXPECT_EQ(ShowMessageById(nullptr, kQuestion, ownId), 6);  // remembered under its own id
        EXPECT_EQ(prompts.Requests().size(), 2u);
    }
}

TEST(MessageBoxTest, AnswersOfExtraButtonsArePassedThrough) {
    CAnswerMemoScope scope(true);
    for (int id : {4095, 1000}) {
        gui::ScriptedPromptRunner prompts;
        prompts.Answer(id);
        auto setUp = [&](CEcxMsgBox& box, void* data) {
            EXPECT_EQ(data, &prompts);
            box.AddButton(static_cast<std::uint32_t>(id), false, false, id == 4095 ? 1504u : 1505u);
            return box.DoModal();
        };
        EXPECT_EQ(ShowMessageBox(setUp, &prompts, nullptr, kQuestion,
                                 MB_OKCANCEL | MB_FORALL_ALL | MB_ANSWER_FOR_ALL),
                  id);
        EXPECT_EQ(LookupRememberedAnswer(0, MB_OKCANCEL), 0);
    }
}

TEST(MessageBoxTest, CaptionsTextsAndHelpIds) {
    gui::ScriptedPromptRunner prompts;
    prompts.Answer(1).Answer(1).Answer(6).Answer(1);
    ShowMessageBox(nullptr, nullptr, nullptr, 1400, MB_OK);
    ShowMessageById(nullptr, 1400, MB_OK | MB_ICONHAND, 1001);
    ShowMessageWithArgument(nullptr, 1104, CString(u"a.kem"), MB_YESNO | MB_ICONQUESTION, 1001, u"a.kem");
    ShowMessageById(nullptr, 1400, MB_OK, 999999);  // a caption id without a string: the title alone
    const auto& r = prompts.Requests();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].title, ApplicationTitle().str());
    EXPECT_EQ(r[0].text, u"Can't find directory.");
    EXPECT_EQ(r[0].helpId, 1400u);
    EXPECT_EQ(r[0].icon, 0);
    EXPECT_EQ(r[1].title, CaptionFromText(u"Synchronize").str());
    EXPECT_EQ(r[1].icon, 32513);
    EXPECT_EQ(r[2].title, u"Synchronize - a.kem");
    EXPECT_EQ(r[2].text, u"Save profile changes to a.kem?");
    EXPECT_EQ(r[2].helpId, 1104u);
    EXPECT_EQ(r[2].icon, 32514);
    EXPECT_EQ(r[3].title, ApplicationTitle().str());
}

TEST(MessageBoxTest, MoreShowsTheSystemMessageAndReturnsThatAnswer) {
    const ErrorInfo error = SystemError();
    const std::u16string details = FormatSystemErrorDetails(error).str();
    gui::ScriptedPromptRunner prompts;
    prompts
        .Inspect([](const gui::PromptRequest&, gui::PromptHost& host) {
            auto* box = static_cast<CEcxMsgBox*>(host.Widget());
            EXPECT_TRUE(SaveScreenshot(*box, "msgbox_error_with_more"));
            QTest::mouseClick(box->ButtonControl(4095), Qt::LeftButton);
        })
        .Inspect([](const gui::PromptRequest&, gui::PromptHost& host) {
            auto* box = static_cast<CEcxMsgBox*>(host.Widget());
            EXPECT_TRUE(SaveScreenshot(*box, "msgbox_error_details"));
            QTest::mouseClick(box->ButtonControl(4), Qt::LeftButton);
        });
    EXPECT_EQ(ShowErrorMessage(nullptr, error, MB_ABORTRETRYIGNORE, 1001, u"Profile"), 4);
    const auto& r = prompts.Requests();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(Ids(r[0]), (std::vector<int>{3, 4, 5, 4095}));
    EXPECT_EQ(r[0].buttons.back().caption, u"&More...");
    EXPECT_EQ(r[0].text, FormatErrorText(error).str());
    EXPECT_EQ(r[0].icon, 32515);
    EXPECT_EQ(r[1].text, details);
    EXPECT_NE(details.find(u"Operating System Message (5):"), std::u16string::npos);
    EXPECT_EQ(Ids(r[1]), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(r[1].title, r[0].title);
    EXPECT_EQ(r[0].title, u"Synchronize - Profile");

    // Any other answer is returned at once; other categories get no "&More...".
    prompts.Answer(5);
    EXPECT_EQ(ShowErrorMessage(nullptr, error, MB_ABORTRETRYIGNORE), 5);
    ErrorInfo program;
    program.Set(ERROR_CATEGORY_PROGRAM, 1, 0, nullptr);
    prompts.Answer(1);
    EXPECT_EQ(ShowErrorMessage(nullptr, program, MB_OK), 1);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(Ids(r[3]), (std::vector<int>{1}));
}

TEST(MessageBoxTest, ForAllButtonsOnTheScreen) {
    CAnswerMemoScope scope(true);
    gui::ScriptedPromptRunner prompts;
    prompts.Inspect([](const gui::PromptRequest&, gui::PromptHost& host) {
        auto* box = static_cast<CEcxMsgBox*>(host.Widget());
        EXPECT_TRUE(SaveScreenshot(*box, "msgbox_yes_no_to_all"));
        QTest::mouseClick(box->ButtonControl(4103), Qt::LeftButton);
    });
    CString file(u"report.txt");
    EXPECT_EQ(ShowMessageWithArgument(nullptr, 1104, file,
                                      MB_YESNO | MB_ICONQUESTION | MB_FORALL_YES_NO | MB_ANSWER_FOR_ALL, 1001),
              7);
    EXPECT_EQ(LookupRememberedAnswer(0, MB_YESNO), 4103);
}
