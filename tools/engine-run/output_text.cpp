#include "tools/engine-run/output_text.h"

#include "platform/core/text_convert.h"

std::string EscapeForOutput(std::u16string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    auto percent = [&](unsigned char b) {
        out.push_back('%');
        out.push_back(hex[b >> 4]);
        out.push_back(hex[b & 15]);
    };
    std::size_t run = 0;  // start of the pending run of ordinary text
    auto flush = [&](std::size_t end) {
        if (end > run) out += EncodeUtf8Strict(text.substr(run, end - run));
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c < 0x20 || c == 0x7F || c == u'%') {
            flush(i);
            percent(static_cast<unsigned char>(c));
            run = i + 1;
        } else if (c >= 0xDC80 && c <= 0xDCFF && !(i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF)) {
            // A byte of a file name that was not UTF-8 (the lossless conversion's escape).
            flush(i);
            percent(static_cast<unsigned char>(c - 0xDC00));
            run = i + 1;
        }
    }
    flush(text.size());
    return out;
}
