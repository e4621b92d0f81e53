#include "engine/error_info.h"

ErrorInfo& ErrorInfo::operator=(const ErrorInfo& other) {
    if (this == &other) return *this;
    Set(other.category, other.code, other.extra, other.GetText());
    time = other.time;
    return *this;
}

bool ErrorInfo::SetText(const char16_t* text) {
    // The held copy is replaced only when the pointer is another one; handing back our
    // own text keeps it.
    if (text != GetText()) {
        if (text) {
            CString copy(text);  // text may point into the held copy
            text_ = std::move(copy);
        } else {
            text_.reset();
        }
    }
    return IsSet();
}

bool ErrorInfo::Set(std::uint32_t cat, std::uint32_t c, std::uint32_t x, const char16_t* text) {
    category = cat;
    code = c;
    extra = x;
    SetText(text);
    time = GetSystemTimeUtc();
    return IsSet();
}

void ErrorInfo::Reset() {
    category = code = extra = 0;
    time = SystemTime{};
}
