#pragma once
// The log file: a text file of bounded size used as a ring.
//
// Layout: a 35-byte header line "WrapAroundEnd=%020I64u\n" naming the end position
// (the offset just behind the newest text), then the newest text (UTF-8, no byte-order
// mark) up to the end position, then older text of the previous pass through the ring
// up to the end of the file (it may begin in the middle of a line). When the next text
// would pass the size limit, the file is cut at the write position and writing goes on
// right behind the header, over the oldest text. Re-opening continues at the header's
// end position.
//
// Unlike a header that is only rewritten now and then, the header is brought up to date
// after every write, so a crash or a kill never makes the next run overwrite the newest
// text. The file is held with an exclusive advisory lock: a second writer is refused.
//
// Errors: every call returns false on failure and sets the thread's last error; nothing
// is reported here (the logger decides) and nothing is retried.
// Threads: one object is used by one thread at a time (CFileLogger guards it).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/cstring.h"
#include "platform/core/locked_file.h"

class WrapAroundLog {
public:
    static constexpr std::uint64_t kHeaderSize = 35;
    // Put in place of the end of a text that can never fit below the limit.
    static constexpr std::string_view kCutMarker = "[...]";

    WrapAroundLog() = default;
    WrapAroundLog(const WrapAroundLog&) = delete;
    WrapAroundLog& operator=(const WrapAroundLog&) = delete;
    ~WrapAroundLog() { Close(); }

    // Opens (creating when missing) the file; a file open already is closed first.
    // limit: size limit in bytes, 0 for none. truncate: empty the file and start behind
    // a new header. Without it, a file with a valid header continues at its end
    // position; an empty file, or one whose header names no valid position, gets a new
    // header and continues at its end. A non-empty file without a header is not ours
    // and is never overwritten: false (last error 13), also with truncate. False (32)
    // when another writer holds the file.
    bool Open(const CString& name, std::uint32_t limit, bool truncate);
    // Appends the text as UTF-8 (lone surrogates as U+FFFD), wrapping first when it
    // would pass the limit. A text longer than the limit allows is cut to fit and ends
    // in kCutMarker (and a line feed when it ended in one). False with no file, an empty
    // text or a failed write.
    bool Write(std::u16string_view text);
    // Header up to date, data to the disk.
    bool Flush();
    // Header up to date, file closed (and the lock released). True when nothing is open.
    bool Close();

    bool IsOpen() const { return file_ != nullptr; }
    // Where the next text goes: the end position the header names.
    std::uint64_t GetWritePosition() const { return position_; }

private:
    enum class Header { None, Invalid, Valid };
    Header ReadHeader(std::uint64_t fileSize, std::uint64_t& end);
    bool WriteHeader(std::uint64_t end);
    bool Wrap();
    void CutToFit();

    std::unique_ptr<plat::LockedFile> file_;
    std::uint64_t position_ = 0;
    std::uint32_t limit_ = 0;
    std::string buffer_;   // the UTF-8 of the text being written, reused
};
