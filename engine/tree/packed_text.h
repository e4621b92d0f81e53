#pragma once
// PackedText: a UTF-16 text kept in one heap block, one byte per code unit when every
// unit is below 0x100 (the common case for paths), two bytes otherwise. Lossless for any
// sequence of code units, lone surrogates included. A record's path costs about half of
// what a string object would.
//
// Value type (copying copies the block); no locks; nothing throws except std::bad_alloc.
#include <cstdint>
#include <string_view>

#include "platform/core/cstring.h"

class PackedText {
public:
    PackedText() = default;
    explicit PackedText(std::u16string_view text) { Assign(text); }
    PackedText(const PackedText& other) { Assign(other); }
    PackedText(PackedText&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    PackedText& operator=(const PackedText& other);
    PackedText& operator=(PackedText&& other) noexcept;
    ~PackedText() { Clear(); }

    void Assign(std::u16string_view text);
    void Clear() noexcept;
    bool IsEmpty() const { return block_ == nullptr; }
    std::size_t GetLength() const;
    CString ToString() const;
    bool Equals(std::u16string_view text) const;

private:
    void Assign(const PackedText& other);
    // Block layout: u32 length, u8 wide flag, then the units (bytes or char16_t, aligned).
    std::uint8_t* block_ = nullptr;
};
