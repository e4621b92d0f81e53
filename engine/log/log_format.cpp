#include "engine/log/log_format.h"

#include <vector>

#include "engine/log/error_text.h"
#include "engine/log/logger.h"
#include "resources/checked_format.h"
#include "resources/string_ids.h"

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The template index of string 160 for a category-0 entry's kind; -1 for none.
int TemplateIndex(std::int32_t kind) {
    switch (kind) {
        case LOG_KIND_STARTED: return 0;
        case LOG_KIND_INFORMATION:
        case LOG_KIND_WARNING:
        case LOG_KIND_ERROR:
        case LOG_KIND_TEXT:
        case LOG_KIND_WARNING_TEXT: return 1;
        case LOG_KIND_FINISHED: return 2;
        case LOG_KIND_CANCELLED: return 3;
        case LOG_KIND_FINISHED_WITH_ERRORS: return 4;
        default: return -1;
    }
}

CString MessageOf(const ErrorInfo& entry) {
    if (entry.category != ERROR_CATEGORY_MESSAGE) {
        CString text = FormatErrorText(entry);
        text.Replace(u"\r", u"");
        text.Replace(u"\n", u" - ");
        return text;
    }
    const auto kind = static_cast<std::int32_t>(entry.extra);
    const std::vector<CString> templates = LoadTemplateLines(IDS_LOG_TEMPLATES);
    const int index = TemplateIndex(kind);
    const CString tmpl = index >= 0 && std::size_t(index) < templates.size() ? templates[std::size_t(index)] : CString();
    const char16_t* text = entry.GetText();
    const bool hasText = text && *text;
    if (kind == LOG_KIND_TEXT || kind == LOG_KIND_WARNING_TEXT) {
        return CString::Format(tmpl.view(), hasText ? text : u"");
    }
    CString message = CString::Format(tmpl.view(), LoadString(entry.code));
    if (hasText) message = CString::Format(u"\"%s\", ", text) + message;
    return message;
}

}  // namespace

CString MakeLogSafe(std::u16string_view text) {
    CString out;
    out.str().reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x20) {
            out += char16_t(0x2400 + c);
        } else if (c == 0x7F) {
            out += char16_t(0x2421);
        } else if ((c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029) {
            out += char16_t(0xFFFD);
        } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out += c;
            out += text[++i];
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            out += char16_t(0xFFFD);
        } else {
            out += c;
        }
    }
    return out;
}

char16_t LogMarker(const ErrorInfo& entry) {
    if (IsErrorEntry(entry)) return u'E';
    if (IsWarningEntry(entry)) return u'!';
    return u' ';
}

CString FormatLogEntry(const ErrorInfo& entry, bool utc) {
    CString message = MakeLogSafe(MessageOf(entry));
    if (!message.IsEmpty() && !message.EndsWith(u'.')) message += u'.';
    const SystemTime t = utc ? entry.time : UtcToLocal(entry.time);
    return CString::Format(u"%02i-%02i-%02i %02i:%02i:%02i.%03i [%02i,%05i,%02i]: %s", t.year, t.month, t.day, t.hour,
                           t.minute, t.second, t.milliseconds, entry.category, entry.code, entry.extra, message);
}

CString FormatLogLine(const ErrorInfo& entry, bool utc) {
    return CString::Format(u"%c %s\n", LogMarker(entry), FormatLogEntry(entry, utc));
}
