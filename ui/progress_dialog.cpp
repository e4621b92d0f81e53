#include "ui/progress_dialog.h"

#include <algorithm>
#include <system_error>

#include "engine/log/logger.h"
#include "platform/core/win_error.h"
#include "resources/checked_format.h"

namespace {

std::atomic<int> g_startFailure{0};

constexpr std::uint32_t kProgressEventLast = WATCHER_EVENT_END;
constexpr std::u16string_view kEllipsis = u"...";

bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

int ProgressCallbackToWindow(std::uint32_t event, std::uintptr_t value, std::uintptr_t window) {
    if (event > kProgressEventLast) return 0;
    const auto hwnd = static_cast<gui::HWND>(window);
    if (event == WATCHER_EVENT_QUESTION) {
        return static_cast<int>(gui::SendMessage(hwnd, WM_WORKER_PROGRESS, event, static_cast<gui::LPARAM>(value)));
    }
    // A post fails only while the queue is full (or once the window is gone, which the
    // dialog's joining of its worker rules out); the queue drains, so waiting is enough.
    while (!gui::PostMessage(hwnd, WM_WORKER_PROGRESS, event, static_cast<gui::LPARAM>(value))) {
        if (!gui::IsWindow(hwnd)) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

int BarPosition(std::uint64_t done, std::uint64_t total) {
    constexpr std::uint64_t kTop = 65535;
    if (total == 0) return 0;
    if (done >= total) return static_cast<int>(kTop);
    if (done <= UINT64_MAX / kTop) return static_cast<int>(done * kTop / total);
    // done x 65535 would not fit: total is then above 2^48, so dividing it first loses
    // less than one step.
    return static_cast<int>(done / (total / kTop + 1));
}

CString BatchLineText(const BatchPosition* batch) {
    if (!batch || batch->count == 0) return CString();
    return FormatStringId(146, static_cast<int>(batch->index + 1), static_cast<int>(batch->count));
}

CString FitPathToWidth(const CString& path, int room, const std::function<int(std::u16string_view)>& width) {
    std::u16string shown(path.view());
    for (char16_t& c : shown) {
        if (c < 0x20 || c == 0x7F) c = u'\uFFFD';
    }
    if (room < 0) return CString();
    if (width(shown) <= room) return CString(shown);
    const std::u16string ellipsis(kEllipsis);
    room -= width(ellipsis);
    std::u16string_view rest(shown);
    while (width(rest) > room) {
        const std::size_t slash = rest.find(u'/');
        if (slash == std::u16string_view::npos) {
            const int full = width(rest);
            const long long keep =
                full > 0 ? static_cast<long long>(rest.size()) * std::max(room, 0) / full - 2 : 0;
            if (keep < 1) {
                rest = {};
            } else {
                std::size_t from = rest.size() - static_cast<std::size_t>(keep);
                if (from < rest.size() && IsLowSurrogate(rest[from])) ++from;  // never half a pair
                rest.remove_prefix(from);
            }
            break;
        }
        rest.remove_prefix(slash + 1);
    }
    return CString(ellipsis + std::u16string(rest));
}

void SetWorkerStartFailureForTesting(int errnoValue) { g_startFailure.store(errnoValue); }

namespace progress_detail {

bool StartThread(std::thread& thread, std::function<void()> worker, std::uint32_t& win32Code) {
    if (const int err = g_startFailure.load()) {
        win32Code = Win32FromErrno(err);
        return false;
    }
    try {
        thread = std::thread(std::move(worker));
    } catch (const std::system_error& e) {
        win32Code = Win32FromErrno(e.code().value());
        return false;
    }
    return true;
}

void LogStartFailure(CLogger* logger, std::uint32_t win32Code) {
    if (!logger) return;
    ErrorInfo error;
    error.Set(ERROR_CATEGORY_SYSTEM, win32Code, 0, nullptr);
    logger->LogRecord(error);
}

}  // namespace progress_detail
