#include "platform/gui/testing/scripted_prompt_runner.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <algorithm>

#include "platform/core/cstring.h"

namespace gui {

namespace {

const char* KindName(PromptKind kind) {
    switch (kind) {
        case PromptKind::MessageBox: return "message box";
        case PromptKind::OpenFile: return "open-file dialog";
        case PromptKind::SaveFile: return "save-file dialog";
        case PromptKind::Folder: return "folder dialog";
        case PromptKind::Dialog: return "dialog";
    }
    return "prompt";
}

std::string Utf8(const std::u16string& s) { return CString(s).ToUtf8(); }

}  // namespace

std::string DescribeRequest(const PromptRequest& request) {
    std::string s = std::string(KindName(request.kind)) + " \"" + Utf8(request.title) + "\": \"" + Utf8(request.text) +
                    "\" [";
    for (std::size_t i = 0; i < request.buttons.size(); ++i) {
        if (i) s += ", ";
        s += std::to_string(request.buttons[i].id) + " " + Utf8(request.buttons[i].caption);
    }
    s += "] default " + std::to_string(request.defaultId) + " escape " + std::to_string(request.escapeId);
    if (request.dialogId) s += " dialog " + std::to_string(request.dialogId);
    return s;
}

ScriptedPromptRunner::ScriptedPromptRunner() : installed_(*this) {}

ScriptedPromptRunner::~ScriptedPromptRunner() {
    if (!steps_.empty()) ADD_FAILURE() << steps_.size() << " scripted prompt answer(s) were never asked for";
}

ScriptedPromptRunner& ScriptedPromptRunner::Answer(int id, std::u16string text) {
    steps_.push_back({PromptAnswer{id, std::move(text)}, {}});
    return *this;
}

ScriptedPromptRunner& ScriptedPromptRunner::Inspect(Inspector inspector) {
    steps_.push_back({{}, std::move(inspector)});
    return *this;
}

PromptAnswer ScriptedPromptRunner::Run(const PromptRequest& request, PromptHost& host) {
    requests_.push_back(request);
    PromptAnswer answer;
    if (steps_.empty()) {
        ADD_FAILURE() << "unscripted " << DescribeRequest(request);
        answer.id = NoWindowAnswer(request);
    } else {
        Step step = std::move(steps_.front());
        steps_.pop_front();
        if (!step.inspector) {
            answer = step.answer;
            if (!request.buttons.empty() &&
                std::none_of(request.buttons.begin(), request.buttons.end(),
                             [&](const PromptButton& b) { return b.id == answer.id; })) {
                ADD_FAILURE() << "scripted answer " << answer.id << " is not a button of " << DescribeRequest(request);
            }
        } else {
            // The callback runs once the loop has started; the timer dies with this frame, so
            // a host that never runs a loop cannot call it later.
            QTimer timer;
            timer.setSingleShot(true);
            bool called = false;
            QObject::connect(&timer, &QTimer::timeout, [&] {
                called = true;
                step.inspector(request, host);
                if (host.IsModalRunning()) {
                    ADD_FAILURE() << "the test callback left the " << DescribeRequest(request) << " open";
                    host.EndModal(NoWindowAnswer(request));
                }
            });
            timer.start(0);
            answer.id = host.RunModal();
            answer.text = host.ResultText();
            if (!called) ADD_FAILURE() << "the " << DescribeRequest(request) << " ended before the test callback saw it";
        }
    }
    answers_.push_back(answer);
    return answer;
}

}  // namespace gui
