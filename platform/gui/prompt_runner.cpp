#include "platform/gui/prompt_runner.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>

namespace gui {

namespace {

InteractivePromptRunner& Interactive() {
    static InteractivePromptRunner runner;
    return runner;
}

// Read by RunPrompt on the user-interface thread, replaced by scopes on that thread; atomic
// so that a worker's refused prompt reads it without a race.
std::atomic<PromptRunner*> g_runner{nullptr};

bool OnUserInterfaceThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

}  // namespace

int NoWindowAnswer(const PromptRequest& request) { return request.escapeId >= 0 ? request.escapeId : 0; }

PromptAnswer InteractivePromptRunner::Run(const PromptRequest&, PromptHost& host) {
    PromptAnswer answer;
    answer.id = host.RunModal();
    answer.text = host.ResultText();
    return answer;
}

PromptRunner& CurrentPromptRunner() {
    PromptRunner* runner = g_runner.load();
    return runner ? *runner : Interactive();
}

PromptAnswer RunPrompt(const PromptRequest& request, PromptHost& host) {
    if (!OnUserInterfaceThread()) return PromptAnswer{NoWindowAnswer(request), {}};
    return CurrentPromptRunner().Run(request, host);
}

ScopedPromptRunner::ScopedPromptRunner(PromptRunner& runner) : previous_(g_runner.exchange(&runner)) {}

ScopedPromptRunner::~ScopedPromptRunner() { g_runner.store(previous_); }

}  // namespace gui
