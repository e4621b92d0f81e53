#pragma once
// Builds the bytes of profile-file pieces by hand, field by field, from the layout
// tables, so that tests compare what the code writes against an independent source.
#include <cstdint>
#include <string>
#include <string_view>

namespace kit {

// The fields of a stamp as stored.
struct StampFields {
    std::uint32_t attributes = 0;
    std::uint64_t creation = 0, access = 0, write = 0;
    std::uint32_t sizeHigh = 0, sizeLow = 0, reserved0 = 0, reserved1 = 0;
    std::u16string name;
    std::u16string shortName;
};

class ByteBuilder {
public:
    ByteBuilder& U32(std::uint32_t v);
    ByteBuilder& U64(std::uint64_t v);
    ByteBuilder& Raw(std::string_view bytes);
    // Byte count, UTF-16LE text and its NUL.
    ByteBuilder& Wide(std::u16string_view text);
    // Byte count and the 8-bit bytes (no NUL).
    ByteBuilder& Narrow(std::string_view bytes);
    // A char[size] field: the bytes, zero padded.
    ByteBuilder& Fixed(std::string_view bytes, std::size_t size);
    // The header: magic zero padded to 16 bytes and four words.
    ByteBuilder& Header(std::string_view magic, std::uint32_t w1, std::uint32_t w2 = 0, std::uint32_t w3 = 0,
                        std::uint32_t w4 = 0);
    // A stamp with wide (format 3) or narrow (8-bit bytes of the names as given, each
    // char16_t below 256 taken as one byte) names.
    ByteBuilder& Stamp(const StampFields& s, bool wide = true);
    // Appends the MD5 digest of everything so far.
    ByteBuilder& Sign();

    const std::string& str() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

private:
    std::string bytes_;
};

}  // namespace kit
