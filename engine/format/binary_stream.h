#pragma once
// Little-endian binary streams with a fail state, the streams that profile and project
// files are read from and written to.
//
// Stream state: the first failure fails the stream for good. Every later read or write
// does nothing and returns false, so a long sequence of writes can be checked once at
// the end, and a reader never acts on data read after a failure. error() keeps the Win32
// code of the failure that failed the stream (0 when a caller failed it, for example on
// a format error).
//
// Readers know their size, so a count or length read from a file can be checked against
// what the file can still hold (Remaining) before anything is allocated.
//
// One stream object is used by one thread at a time. Nothing throws except
// std::bad_alloc.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/core/cstring.h"
#include "platform/core/file_system.h"

class BinaryWriter {
public:
    virtual ~BinaryWriter() = default;
    BinaryWriter(const BinaryWriter&) = delete;
    BinaryWriter& operator=(const BinaryWriter&) = delete;

    bool good() const { return !failed_; }
    bool fail() const { return failed_; }
    std::uint32_t error() const { return error_; }
    // Fails the stream; the first failure's code is kept.
    void SetFail(std::uint32_t code = 0);

    bool Write(const void* data, std::size_t n);
    bool WriteU32(std::uint32_t v);
    bool WriteU64(std::uint64_t v);
    // Hands the buffered bytes to the sink.
    bool Flush();
    // Bytes accepted so far (buffered ones included).
    std::uint64_t Tell() const { return sunk_ + used_; }

protected:
    BinaryWriter();
    // Takes n bytes; false with the thread's last error set on failure.
    virtual bool Sink(const std::uint8_t* data, std::size_t n) = 0;

private:
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
    std::uint64_t sunk_ = 0;
    bool failed_ = false;
    std::uint32_t error_ = 0;
};

class BinaryReader {
public:
    virtual ~BinaryReader() = default;
    BinaryReader(const BinaryReader&) = delete;
    BinaryReader& operator=(const BinaryReader&) = delete;

    bool good() const { return !failed_; }
    bool fail() const { return failed_; }
    std::uint32_t error() const { return error_; }
    void SetFail(std::uint32_t code = 0);

    // Exactly n bytes or the stream fails (38, ERROR_HANDLE_EOF, at the end).
    bool Read(void* out, std::size_t n);
    bool ReadU32(std::uint32_t& v);
    bool ReadU64(std::uint64_t& v);
    // Skips n bytes; reaching past the end fails the stream.
    bool Skip(std::uint64_t n);
    // Moves to an absolute position within the stream; beyond the end fails.
    bool Seek(std::uint64_t pos);

    std::uint64_t Size() const { return size_; }
    std::uint64_t Tell() const { return bufferPos_ + next_; }
    std::uint64_t Remaining() const { return size_ - Tell(); }

protected:
    explicit BinaryReader(std::uint64_t size, std::size_t bufferSize);
    // Reads up to n bytes at position pos; got < n only at the end. False with the
    // thread's last error set on failure.
    virtual bool Source(std::uint64_t pos, std::uint8_t* out, std::size_t n, std::size_t& got) = 0;
    void SetSize(std::uint64_t size) { size_ = size; }

private:
    bool Refill();

    std::vector<std::uint8_t> buffer_;
    std::uint64_t size_ = 0;
    std::uint64_t bufferPos_ = 0;  // stream position of buffer_[0]
    std::size_t next_ = 0;         // next unread byte in buffer_
    std::size_t filled_ = 0;       // valid bytes in buffer_
    bool failed_ = false;
    std::uint32_t error_ = 0;
};

// Collects the bytes in memory.
class MemoryWriter : public BinaryWriter {
public:
    MemoryWriter() = default;
    // Everything written so far.
    const std::string& Bytes();

protected:
    bool Sink(const std::uint8_t* data, std::size_t n) override;

private:
    std::string bytes_;
};

// Reads a byte range that the caller keeps alive.
class MemoryReader : public BinaryReader {
public:
    explicit MemoryReader(std::span<const std::uint8_t> bytes);
    explicit MemoryReader(std::string_view bytes);
    // The bytes are not copied: a temporary string would be gone before the first read.
    explicit MemoryReader(std::string&&) = delete;

protected:
    bool Source(std::uint64_t pos, std::uint8_t* out, std::size_t n, std::size_t& got) override;

private:
    std::span<const std::uint8_t> bytes_;
};

// Reads a file through the platform file interface. A file that cannot be opened or
// whose size cannot be taken gives a failed stream with the platform's error code.
class FileReader : public BinaryReader {
public:
    FileReader(plat::FileSystem& fs, const CString& path);
    explicit FileReader(std::unique_ptr<plat::File> file);

protected:
    bool Source(std::uint64_t pos, std::uint8_t* out, std::size_t n, std::size_t& got) override;

private:
    void Start();

    std::unique_ptr<plat::File> file_;
    std::uint64_t filePos_ = 0;
};
