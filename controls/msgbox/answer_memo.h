#pragma once
// The answer memory of the message boxes: while the outermost enabling CAnswerMemoScope is
// open, the for-all answers the user gives are kept under the key (question id, button set),
// so that the same question within one batch operation is answered without asking again.
// The memory is empty whenever no enabling scope is open.
//
// Threads: one lock guards the flag and the table, since a worker thread of the scan and
// synchronisation opens and closes scopes while the user-interface thread's boxes read it.
#include <cstdint>

class AnswerMemo {
public:
    // Whether an enabling scope is open.
    static bool IsRemembering();
};

// The stored answer of the key, 0 when there is none (the table is empty outside a scope).
int LookupRememberedAnswer(std::uint32_t questionId, std::uint32_t buttonSet);
// Stores (or overwrites) the answer while remembering is on; does nothing otherwise.
void RememberAnswer(std::uint32_t questionId, std::uint32_t buttonSet, int answer);

// A scope of one batch operation. An enabling scope that finds remembering off turns it on
// and owns it: its end turns remembering off and empties the table (also when it ends by an
// exception). Any other scope (not enabling, or inside an open one) changes nothing.
class CAnswerMemoScope {
public:
    explicit CAnswerMemoScope(bool enable);
    ~CAnswerMemoScope();
    CAnswerMemoScope(const CAnswerMemoScope&) = delete;
    CAnswerMemoScope& operator=(const CAnswerMemoScope&) = delete;

    bool OwnsMemory() const { return owner_; }

private:
    bool owner_ = false;
};
