#pragma once
// The launcher of the tests: while one exists it is the installed launcher (launcher.h); it
// records every target it is given, whole, and answers each with the next scripted result
// (kLaunchDone once the script is used up). Nothing is opened. User-interface thread only.
#include <deque>
#include <vector>

#include "platform/gui/launcher.h"

namespace gui {

class RecordingLauncher final : public Launcher {
public:
    RecordingLauncher() : installed_(*this) {}

    RecordingLauncher& Result(int result) {
        results_.push_back(result);
        return *this;
    }
    const std::vector<CString>& Opened() const { return opened_; }

    int OpenWithDesktop(const CString& target) override {
        opened_.push_back(target);
        if (results_.empty()) return kLaunchDone;
        int result = results_.front();
        results_.pop_front();
        return result;
    }

private:
    ScopedLauncher installed_;
    std::deque<int> results_;
    std::vector<CString> opened_;
};

}  // namespace gui
