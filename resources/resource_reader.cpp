#include "resources/resource_reader.h"

#include <charconv>

#include "platform/core/text_convert.h"

namespace resread {

std::string_view Line::Keyword() const {
    return tokens.empty() || tokens.front().quoted ? std::string_view() : std::string_view(tokens.front().word);
}

LineSource::LineSource(std::string_view text) {
    restext::ForEachLine(text, [&](std::size_t lineNo, std::string_view line) {
        lastLine_ = lineNo;
        if (!restext::IsEmptyOrComment(line)) lines_.emplace_back(lineNo, line);
        return true;
    });
}

bool LineSource::NextRaw(Line& line) {
    if (next_ >= lines_.size()) return false;
    line.number = lines_[next_].first;
    line.raw = lines_[next_].second;
    line.tokens.clear();
    ++next_;
    return true;
}

bool LineSource::Next(Line& line, Failure& failure) {
    failure = {};
    return NextRaw(line) && Tokenize(line, failure);
}

bool Tokenize(Line& line, Failure& failure) {
    std::string reason =
        restext::HasInvalidUtf8(line.raw) ? "the line is not valid UTF-8" : restext::Tokenize(line.raw, line.tokens);
    if (reason.empty()) return true;
    failure = {line.number, std::move(reason)};
    return false;
}

bool Fail(Context& context, std::size_t line, std::string reason) {
    context.failure = {line, std::move(reason)};
    return false;
}

bool IsEnd(const Line& line) { return line.tokens.size() == 1 && line.Keyword() == "end"; }

bool NextInBlock(Context& context, const Line& opening, const char* what, Line& line) {
    if (context.lines.Next(line, context.failure)) return true;
    if (context.failure.reason.empty()) Fail(context, opening.number, std::string(what) + " has no end");
    return false;
}

bool Fields::Missing(const char* what) { return Fail("missing " + std::string(what)); }

bool Fields::Fail(std::string reason) { return resread::Fail(context_, line_.number, std::move(reason)); }

bool Fields::Int(std::int64_t& value, std::int64_t min, std::int64_t max, const char* what) {
    const restext::Token* t = Peek();
    if (!t) return Missing(what);
    if (t->quoted) return Fail(std::string(what) + " must be a number");
    std::string_view s = t->word;
    const bool negative = s.starts_with('-');
    if (negative) s.remove_prefix(1);
    int base = 10;
    if (s.starts_with("0x") || s.starts_with("0X")) {
        base = 16;
        s.remove_prefix(2);
    }
    std::uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (s.empty() || ec == std::errc::invalid_argument || end != s.data() + s.size()) {
        return Fail("bad number '" + t->word + "' for " + what);
    }
    const bool huge = ec == std::errc::result_out_of_range || magnitude > (std::uint64_t(1) << 62);
    const std::int64_t v = negative ? -std::int64_t(magnitude) : std::int64_t(magnitude);
    if (huge || v < min || v > max) {
        return Fail(std::string(what) + " " + t->word + " is out of range (" + std::to_string(min) + " to " +
                    std::to_string(max) + ")");
    }
    value = v;
    ++i_;
    return true;
}

bool Fields::Int(int& value, int min, int max, const char* what) {
    std::int64_t v = 0;
    if (!Int(v, min, max, what)) return false;
    value = int(v);
    return true;
}

bool Fields::Id(std::uint32_t& value, const char* what) {
    std::int64_t v = 0;
    if (!Int(v, 1, 65535, what)) return false;
    value = std::uint32_t(v);
    return true;
}

bool Fields::Text(ResourceText& value, const char* what) {
    const restext::Token* t = Peek();
    if (!t) return Missing(what);
    value = {};
    if (t->quoted) {
        value.literal = t->text;
        ++i_;
        return true;
    }
    std::string_view s = t->word;
    std::uint32_t id = 0;
    if (s.size() >= 2 && s[0] == '@') {
        auto [end, ec] = std::from_chars(s.data() + 1, s.data() + s.size(), id);
        if (ec == std::errc() && end == s.data() + s.size()) {
            value.fromTable = true;
            value.stringId = id;
            ++i_;
            return true;
        }
    }
    return Fail(std::string(what) + " must be a quoted text or @ and a string id, not '" + t->word + "'");
}

bool Fields::Quoted(std::u16string& value, const char* what) {
    const restext::Token* t = Peek();
    if (!t) return Missing(what);
    if (!t->quoted) return Fail(std::string(what) + " must be a quoted text, not '" + t->word + "'");
    value = t->text;
    ++i_;
    return true;
}

bool Fields::Word(std::string& value, const char* what) {
    const restext::Token* t = Peek();
    if (!t) return Missing(what);
    if (t->quoted) return Fail(std::string(what) + " must be a word, not a quoted text");
    value = t->word;
    ++i_;
    return true;
}

bool Fields::Png(PngImage& image, const char* what) {
    std::u16string name;
    if (!Quoted(name, what)) return false;
    image = {};
    image.file = EncodeUtf8Lossless(name);
    std::optional<std::string_view> bytes = context_.files ? context_.files(image.file) : std::nullopt;
    if (!bytes) return Fail("image file '" + image.file + "' not found");
    if (!ReadPngSize(*bytes, image.width, image.height))
        return Fail("image file '" + image.file + "' is not a PNG image");
    image.bytes.assign(*bytes);
    return true;
}

bool Fields::Take(std::string_view word) {
    const restext::Token* t = Peek();
    if (!t || t->quoted || t->word != word) return false;
    ++i_;
    return true;
}

bool Fields::End() {
    const restext::Token* t = Peek();
    if (!t) return true;
    return Fail(t->quoted ? "unexpected quoted text" : "unexpected '" + t->word + "'");
}

}  // namespace resread
