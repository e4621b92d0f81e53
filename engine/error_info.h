#pragma once
// ErrorInfo: the one error value of the whole program. Every engine operation that can
// fail fills one, the logger records it, the workers hand it to the dialogs through the
// Watcher, and FormatErrorText turns it into text.
//
// A plain value with an owned text copy and the UTC time of the last Set. It counts as
// "set" when category, code or extra is non-zero; all zero means success. Not
// thread-safe; each thread works on its own records (the Watcher hands a pointer to a
// record that the asking thread keeps alive until the answer comes).
#include <cstdint>
#include <optional>

#include "platform/core/cstring.h"
#include "platform/core/win_time.h"

enum ErrorCategory : std::uint32_t {
    ERROR_CATEGORY_MESSAGE = 0,    // plain message: code is a string-table id
    ERROR_CATEGORY_SYSTEM = 1,     // operating-system error: code is a Win32 code
    ERROR_CATEGORY_PROGRAM = 2,    // program error: code is an ErrorCode
    ERROR_CATEGORY_CANCELLED = 3,  // cancelled by the user (or a question to the user)
};

// Program error codes of category 2.
enum ErrorCode : std::uint32_t {
    ERRCODE_NOT_A_DIRECTORY = 1,      // the path exists but is no directory
    ERRCODE_DIR_NOT_EMPTY = 2,        // a directory is not empty
    ERRCODE_PATH_TOO_LONG = 3,        // a path has 260 or more characters
    ERRCODE_BAD_SIGNATURE = 4,        // the file's signature is wrong: corrupted
    ERRCODE_UNSUPPORTED_VERSION = 5,  // a higher, unsupported format version
    ERRCODE_READ_WRITE = 6,           // a read or write operation failed
    ERRCODE_BAD_FORMAT = 7,           // the file has a bad format
    ERRCODE_BAD_EXIT_CODE = 8,        // a pre- or post-processing program failed
    ERRCODE_NESTED_ROOTS = 9,         // the base directories are the same or nested
    ERRCODE_CHANGED_SINCE_SCAN = 10,  // the entry on disk no longer matches the scan
};

class ErrorInfo {
public:
    ErrorInfo() = default;
    ErrorInfo(const ErrorInfo& other) { *this = other; }
    // Copying takes over the source's time, so a copy keeps the moment the error happened.
    ErrorInfo& operator=(const ErrorInfo& other);

    // Replaces the held text (null clears it); returns IsSet().
    bool SetText(const char16_t* text);
    bool SetText(const CString& text) { return SetText(text.c_str()); }
    // Stores the three words and the text, then the current UTC time; returns IsSet().
    bool Set(std::uint32_t category, std::uint32_t code, std::uint32_t extra, const char16_t* text);
    bool Set(std::uint32_t category, std::uint32_t code, std::uint32_t extra, const CString& text) {
        return Set(category, code, extra, text.c_str());
    }
    // All three words and the time to zero; the text is kept.
    void Reset();

    bool IsSet() const { return category != 0 || code != 0 || extra != 0; }
    // Null when no text is held.
    const char16_t* GetText() const { return text_ ? text_->c_str() : nullptr; }
    bool HasText() const { return text_.has_value(); }

    SystemTime time{};
    std::uint32_t category = 0;
    std::uint32_t code = 0;
    std::uint32_t extra = 0;

private:
    std::optional<CString> text_;
};
