#include "controls/msgbox/answer_memo.h"

#include <map>
#include <mutex>
#include <utility>

namespace {

struct Memory {
    std::mutex mutex;
    bool remembering = false;
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> answers;  // (question id, button set)
};

Memory& TheMemory() {
    static Memory memory;
    return memory;
}

}  // namespace

bool AnswerMemo::IsRemembering() {
    Memory& m = TheMemory();
    std::lock_guard lock(m.mutex);
    return m.remembering;
}

int LookupRememberedAnswer(std::uint32_t questionId, std::uint32_t buttonSet) {
    Memory& m = TheMemory();
    std::lock_guard lock(m.mutex);
    auto it = m.answers.find({questionId, buttonSet});
    return it == m.answers.end() ? 0 : it->second;
}

void RememberAnswer(std::uint32_t questionId, std::uint32_t buttonSet, int answer) {
    Memory& m = TheMemory();
    std::lock_guard lock(m.mutex);
    if (m.remembering) m.answers[{questionId, buttonSet}] = answer;
}

CAnswerMemoScope::CAnswerMemoScope(bool enable) {
    if (!enable) return;
    Memory& m = TheMemory();
    std::lock_guard lock(m.mutex);
    if (!m.remembering) {
        m.remembering = true;
        owner_ = true;
    }
}

CAnswerMemoScope::~CAnswerMemoScope() {
    if (!owner_) return;
    Memory& m = TheMemory();
    std::lock_guard lock(m.mutex);
    m.remembering = false;
    m.answers.clear();
}
