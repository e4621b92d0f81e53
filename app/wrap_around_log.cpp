#include "app/wrap_around_log.h"

#include <boost/regex.hpp>
#include <charconv>
#include <cstdio>

#include "platform/core/text_convert.h"
#include "platform/core/win_error.h"

WrapAroundLog::Header WrapAroundLog::ReadHeader(std::uint64_t fileSize, std::uint64_t& end) {
    char head[127];
    std::size_t got = 0;
    if (!file_->ReadAt(0, head, sizeof head, got)) return Header::None;
    static const boost::regex pattern("WrapAroundEnd= *([0-9]+)[\r]?[\n]");
    boost::cmatch m;
    const char* first = head;
    if (!boost::regex_search(first, first + got, m, pattern, boost::match_continuous)) return Header::None;
    std::int64_t value = -1;
    const auto [ptr, ec] = std::from_chars(m[1].first, m[1].second, value);
    // A position inside the header itself would make the next write overwrite it.
    const auto headerLength = std::uint64_t(m.length(0));
    if (ec != std::errc() || ptr != m[1].second || value < 0 || std::uint64_t(value) > fileSize ||
        std::uint64_t(value) < headerLength) {
        return Header::Invalid;
    }
    end = std::uint64_t(value);
    return Header::Valid;
}

bool WrapAroundLog::WriteHeader(std::uint64_t end) {
    char header[kHeaderSize + 1];
    std::snprintf(header, sizeof header, "WrapAroundEnd=%020llu\n", static_cast<unsigned long long>(end));
    return file_->WriteAt(0, header, kHeaderSize);
}

bool WrapAroundLog::Open(const CString& name, std::uint32_t limit, bool truncate) {
    Close();
    limit_ = limit;
    file_ = plat::LockedFile::Open(name);
    if (!file_) return false;
    auto fail = [this](std::uint32_t code) {
        if (code == 0) code = GetLastError();
        file_.reset();
        SetLastError(code);
        return false;
    };
    std::uint64_t size = 0;
    if (!file_->GetSize(size)) return fail(0);
    std::uint64_t end = 0;
    const Header header = ReadHeader(size, end);
    if (header == Header::None && size > 0) return fail(win32::ERROR_INVALID_DATA);
    if (truncate) {
        if (!file_->Truncate(0) || !WriteHeader(kHeaderSize)) return fail(0);
        position_ = kHeaderSize;
    } else if (header == Header::Valid) {
        position_ = end;
    } else {
        position_ = size < kHeaderSize ? kHeaderSize : size;
        if (!WriteHeader(position_)) return fail(0);
    }
    return true;
}

void WrapAroundLog::CutToFit() {
    const bool endsWithLine = !buffer_.empty() && buffer_.back() == '\n';
    const std::size_t tail = kCutMarker.size() + (endsWithLine ? 1 : 0);
    std::size_t keep = std::size_t(limit_ - kHeaderSize) - tail;
    // Cut at the start of a UTF-8 sequence, so the file stays valid UTF-8.
    while (keep > 0 && (static_cast<unsigned char>(buffer_[keep]) & 0xC0) == 0x80) --keep;
    buffer_.resize(keep);
    buffer_ += kCutMarker;
    if (endsWithLine) buffer_ += '\n';
}

// Cuts the file at the write position (the older text behind it goes), so the newest
// text is kept even when the limit was lowered below it, and goes on behind the header.
bool WrapAroundLog::Wrap() {
    if (!file_->Truncate(position_) || !WriteHeader(position_)) return false;
    position_ = kHeaderSize;
    return true;
}

bool WrapAroundLog::Write(std::u16string_view text) {
    if (!file_ || text.empty()) return false;
    buffer_ = EncodeUtf8Strict(text);
    if (limit_ != 0 && kHeaderSize + buffer_.size() > limit_) {
        // Not even a marker fits: nothing can be written below this limit.
        if (limit_ <= kHeaderSize + kCutMarker.size() + 1) return true;
        CutToFit();
    }
    if (limit_ != 0 && position_ + buffer_.size() > limit_ && !Wrap()) return false;
    if (!file_->WriteAt(position_, buffer_.data(), buffer_.size())) return false;
    position_ += buffer_.size();
    return WriteHeader(position_);
}

bool WrapAroundLog::Flush() {
    if (!file_) return false;
    return WriteHeader(position_) && file_->Flush();
}

bool WrapAroundLog::Close() {
    if (!file_) return true;
    const bool headerOk = WriteHeader(position_);
    const bool closeOk = file_->Close();
    file_.reset();
    return headerOk && closeOk;
}
