#include "app/text_helpers.h"

#include <algorithm>

void GroupDigits(CString& text) {
    const std::size_t first = !text.IsEmpty() && (text[0] == u'-' || text[0] == u'+') ? 1 : 0;
    const std::size_t digits = text.GetLength() - first;
    if (digits <= 3) return;
    for (std::size_t i = first; i < text.GetLength(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return;
    }
    CString out = text.Left(first);
    for (std::size_t i = 0; i < digits; ++i) {
        if (i > 0 && (digits - i) % 3 == 0) out += u'.';
        out += text[first + i];
    }
    text = out;
}

void InsertChar(CString& text, long position, char16_t c) {
    const std::size_t at =
        position < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(position), text.GetLength());
    text.str().insert(text.str().begin() + static_cast<std::ptrdiff_t>(at), c);
}
