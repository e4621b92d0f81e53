#pragma once
// FileHeader: the fixed 32-byte start of profile and project files, a magic text zero
// padded to 16 bytes and four u32 version words (little-endian).
//
// For profile files word 1 is the format version and words 2 to 4 belong to the document
// that saves; readers choose the layout by word 1 and hand all four words to the caller.
// A plain value; failures are reported through the stream's state.
#include <cstdint>

class BinaryReader;
class BinaryWriter;

class FileHeader {
public:
    static constexpr unsigned kMagicSize = 16;
    static constexpr unsigned kSize = kMagicSize + 4 * 4;

    // Zeroes everything and copies at most 16 characters of magic into the expected magic.
    explicit FileHeader(const char* magic);

    void SetVersion(std::uint32_t w1, std::uint32_t w2, std::uint32_t w3, std::uint32_t w4);
    // The 16 magic bytes, then the four words; false when the stream failed.
    bool Write(BinaryWriter& out) const;
    // 16 bytes into the magic read, then the four words; false when the stream failed.
    bool Read(BinaryReader& in);
    // True when the magic read equals the expected magic in all 16 bytes, or, with an
    // alternative text, equals that text zero padded to 16 bytes.
    bool Verify(const char* alternative = nullptr) const;

    char magic[kMagicSize];      // expected
    char magicRead[kMagicSize];  // as read by Read
    std::uint32_t version[4];
};
