#include "engine/format/binary_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/core/win_error.h"

namespace {
constexpr std::size_t kWriteBuffer = 64 * 1024;
constexpr std::size_t kFileReadBuffer = 64 * 1024;
// A memory reader copies in small steps; its source is already in memory.
constexpr std::size_t kMemoryReadBuffer = 4096;
}  // namespace

// ---- BinaryWriter

BinaryWriter::BinaryWriter() : buffer_(kWriteBuffer) {}

void BinaryWriter::SetFail(std::uint32_t code) {
    if (!failed_) error_ = code;
    failed_ = true;
}

bool BinaryWriter::Write(const void* data, std::size_t n) {
    if (failed_) return false;
    if (n <= buffer_.size() - used_) {
        if (n != 0) std::memcpy(buffer_.data() + used_, data, n);
        used_ += n;
        return true;
    }
    if (!Flush()) return false;
    if (n >= buffer_.size()) {
        if (!Sink(static_cast<const std::uint8_t*>(data), n)) {
            SetFail(GetLastError());
            return false;
        }
        sunk_ += n;
        return true;
    }
    std::memcpy(buffer_.data(), data, n);
    used_ = n;
    return true;
}

bool BinaryWriter::WriteU32(std::uint32_t v) {
    const std::uint8_t b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
    return Write(b, sizeof b);
}

bool BinaryWriter::WriteU64(std::uint64_t v) {
    return WriteU32(std::uint32_t(v)) && WriteU32(std::uint32_t(v >> 32));
}

bool BinaryWriter::Flush() {
    if (failed_) return false;
    if (used_ == 0) return true;
    if (!Sink(buffer_.data(), used_)) {
        SetFail(GetLastError());
        return false;
    }
    sunk_ += used_;
    used_ = 0;
    return true;
}

// ---- BinaryReader

BinaryReader::BinaryReader(std::uint64_t size, std::size_t bufferSize) : buffer_(bufferSize), size_(size) {}

void BinaryReader::SetFail(std::uint32_t code) {
    if (!failed_) error_ = code;
    failed_ = true;
}

bool BinaryReader::Refill() {
    bufferPos_ += next_;
    next_ = 0;
    filled_ = 0;
    const std::size_t want = std::size_t(std::min<std::uint64_t>(buffer_.size(), size_ - bufferPos_));
    if (want == 0) return true;
    std::size_t got = 0;
    if (!Source(bufferPos_, buffer_.data(), want, got)) {
        SetFail(GetLastError());
        return false;
    }
    filled_ = got;
    return true;
}

bool BinaryReader::Read(void* out, std::size_t n) {
    if (failed_) return false;
    auto* dst = static_cast<std::uint8_t*>(out);
    if (n > Remaining()) {
        SetFail(win32::ERROR_HANDLE_EOF);
        return false;
    }
    while (n != 0) {
        if (next_ == filled_) {
            if (!Refill()) return false;
            if (filled_ == 0) {  // the source ended before its size
                SetFail(win32::ERROR_HANDLE_EOF);
                return false;
            }
        }
        const std::size_t k = std::min(n, filled_ - next_);
        std::memcpy(dst, buffer_.data() + next_, k);
        next_ += k;
        dst += k;
        n -= k;
    }
    return true;
}

bool BinaryReader::ReadU32(std::uint32_t& v) {
    std::uint8_t b[4];
    if (!Read(b, sizeof b)) return false;
    v = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
    return true;
}

bool BinaryReader::ReadU64(std::uint64_t& v) {
    std::uint32_t lo = 0, hi = 0;
    if (!ReadU32(lo) || !ReadU32(hi)) return false;
    v = std::uint64_t(hi) << 32 | lo;
    return true;
}

bool BinaryReader::Skip(std::uint64_t n) {
    if (failed_) return false;
    if (n > Remaining()) {
        SetFail(win32::ERROR_HANDLE_EOF);
        return false;
    }
    return Seek(Tell() + n);
}

bool BinaryReader::Seek(std::uint64_t pos) {
    if (failed_) return false;
    if (pos > size_) {
        SetFail(win32::ERROR_HANDLE_EOF);
        return false;
    }
    if (pos >= bufferPos_ && pos <= bufferPos_ + filled_) {
        next_ = std::size_t(pos - bufferPos_);
    } else {
        bufferPos_ = pos;
        next_ = filled_ = 0;
    }
    return true;
}

// ---- MemoryWriter / MemoryReader

const std::string& MemoryWriter::Bytes() {
    Flush();
    return bytes_;
}

bool MemoryWriter::Sink(const std::uint8_t* data, std::size_t n) {
    bytes_.append(reinterpret_cast<const char*>(data), n);
    return true;
}

MemoryReader::MemoryReader(std::span<const std::uint8_t> bytes)
    : BinaryReader(bytes.size(), kMemoryReadBuffer), bytes_(bytes) {}

MemoryReader::MemoryReader(std::string_view bytes)
    : MemoryReader(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())) {}

bool MemoryReader::Source(std::uint64_t pos, std::uint8_t* out, std::size_t n, std::size_t& got) {
    got = pos >= bytes_.size() ? 0 : std::size_t(std::min<std::uint64_t>(n, bytes_.size() - pos));
    if (got != 0) std::memcpy(out, bytes_.data() + pos, got);
    return true;
}

// ---- FileReader

FileReader::FileReader(plat::FileSystem& fs, const CString& path)
    : BinaryReader(0, kFileReadBuffer), file_(fs.OpenRead(path)) {
    Start();
}

FileReader::FileReader(std::unique_ptr<plat::File> file) : BinaryReader(0, kFileReadBuffer), file_(std::move(file)) {
    Start();
}

void FileReader::Start() {
    std::uint64_t size = 0;
    if (!file_) {
        SetFail(GetLastError());
    } else if (!file_->GetSize(size)) {
        SetFail(GetLastError());
    } else {
        SetSize(size);
    }
}

bool FileReader::Source(std::uint64_t pos, std::uint8_t* out, std::size_t n, std::size_t& got) {
    got = 0;
    if (pos != filePos_) {
        if (!file_->Seek(pos)) return false;
        filePos_ = pos;
    }
    while (got < n) {
        std::size_t k = 0;
        if (!file_->Read(out + got, n - got, k)) return false;
        if (k == 0) break;
        got += k;
        filePos_ += k;
    }
    return true;
}
