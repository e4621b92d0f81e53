#include "engine/format/stream_strings.h"

#include <algorithm>
#include <string>

#include "engine/format/binary_stream.h"
#include "platform/core/text_convert.h"
#include "platform/core/win_error.h"

namespace {

// The text up to its first NUL, cut so that it fits a field of capacity characters
// with its terminator.
void Terminate(std::u16string& s, std::size_t capacity) {
    const auto nul = s.find(u'\0');
    if (nul != std::u16string::npos) s.resize(nul);
    if (capacity != 0 && s.size() >= capacity) s.resize(capacity - 1);
}

bool CheckCount(BinaryReader& in, std::uint32_t bytes, std::size_t maxBytes) {
    if (bytes > maxBytes || bytes > in.Remaining()) {
        in.SetFail(win32::ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

}  // namespace

bool WriteWideString(BinaryWriter& out, std::u16string_view text, std::size_t limit) {
    text = text.substr(0, text.find(u'\0'));
    const std::size_t units = std::min(text.size() + 1, limit);
    if (!out.WriteU32(std::uint32_t(units * 2))) return false;
    std::uint8_t buf[512];
    std::size_t used = 0;
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t c = i < text.size() ? text[i] : u'\0';
        buf[used++] = std::uint8_t(c);
        buf[used++] = std::uint8_t(c >> 8);
        if (used == sizeof buf) {
            out.Write(buf, used);
            used = 0;
        }
    }
    out.Write(buf, used);
    return out.good();
}

bool ReadWideString(BinaryReader& in, CString& out, std::size_t capacity) {
    out.Empty();
    std::uint32_t bytes = 0;
    if (!in.ReadU32(bytes)) return false;
    if (bytes % 2 != 0) {
        in.SetFail(win32::ERROR_INVALID_DATA);
        return false;
    }
    if (!CheckCount(in, bytes, capacity * 2)) return false;
    std::u16string s(bytes / 2, u'\0');
    std::uint8_t buf[512];
    for (std::size_t done = 0; done < s.size();) {
        const std::size_t n = std::min(s.size() - done, sizeof buf / 2);
        if (!in.Read(buf, n * 2)) return false;
        for (std::size_t i = 0; i < n; ++i) s[done + i] = char16_t(buf[2 * i] | buf[2 * i + 1] << 8);
        done += n;
    }
    Terminate(s, capacity);
    out = CString(std::move(s));
    return true;
}

bool ReadNarrowString(BinaryReader& in, CString& out, std::size_t capacity) {
    out.Empty();
    std::uint32_t bytes = 0;
    if (!in.ReadU32(bytes)) return false;
    if (!CheckCount(in, bytes, capacity)) return false;
    std::string raw(bytes, '\0');
    if (!in.Read(raw.data(), raw.size())) return false;
    std::u16string s = DecodeWindows1252(raw);
    Terminate(s, capacity);
    out = CString(std::move(s));
    return true;
}

bool ReadFixedNarrow(BinaryReader& in, CString& out, std::size_t size) {
    out.Empty();
    std::string raw(size, '\0');
    if (!in.Read(raw.data(), raw.size())) return false;
    std::u16string s = DecodeWindows1252(raw);
    Terminate(s, size);
    out = CString(std::move(s));
    return true;
}
