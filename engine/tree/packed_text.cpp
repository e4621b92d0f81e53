#include "engine/tree/packed_text.h"

#include <cstring>
#include <new>

namespace {

constexpr std::size_t kHeader = 8;  // length (4), wide flag (1), padding to keep char16_t aligned

std::uint32_t LengthOf(const std::uint8_t* block) {
    std::uint32_t n;
    std::memcpy(&n, block, sizeof n);
    return n;
}

bool IsWide(const std::uint8_t* block) { return block[4] != 0; }

}  // namespace

PackedText& PackedText::operator=(const PackedText& other) {
    if (this != &other) Assign(other);
    return *this;
}

PackedText& PackedText::operator=(PackedText&& other) noexcept {
    if (this != &other) {
        Clear();
        block_ = other.block_;
        other.block_ = nullptr;
    }
    return *this;
}

void PackedText::Assign(std::u16string_view text) {
    if (text.empty()) {
        Clear();
        return;
    }
    bool wide = false;
    for (char16_t c : text) {
        if (c >= 0x100) {
            wide = true;
            break;
        }
    }
    const std::size_t bytes = kHeader + text.size() * (wide ? 2 : 1);
    auto* block = static_cast<std::uint8_t*>(::operator new(bytes));
    const auto n = static_cast<std::uint32_t>(text.size());
    std::memcpy(block, &n, sizeof n);
    block[4] = wide ? 1 : 0;
    block[5] = block[6] = block[7] = 0;
    if (wide) {
        std::memcpy(block + kHeader, text.data(), text.size() * 2);
    } else {
        std::uint8_t* out = block + kHeader;
        for (char16_t c : text) *out++ = static_cast<std::uint8_t>(c);
    }
    Clear();
    block_ = block;
}

void PackedText::Assign(const PackedText& other) {
    if (!other.block_) {
        Clear();
        return;
    }
    const std::size_t bytes = kHeader + LengthOf(other.block_) * (IsWide(other.block_) ? 2 : 1);
    auto* block = static_cast<std::uint8_t*>(::operator new(bytes));
    std::memcpy(block, other.block_, bytes);
    Clear();
    block_ = block;
}

void PackedText::Clear() noexcept {
    ::operator delete(block_);
    block_ = nullptr;
}

std::size_t PackedText::GetLength() const { return block_ ? LengthOf(block_) : 0; }

CString PackedText::ToString() const {
    if (!block_) return CString();
    const std::uint32_t n = LengthOf(block_);
    std::u16string s(n, u'\0');
    if (IsWide(block_)) {
        std::memcpy(s.data(), block_ + kHeader, n * 2);
    } else {
        const std::uint8_t* in = block_ + kHeader;
        for (std::uint32_t i = 0; i < n; ++i) s[i] = in[i];
    }
    return CString(std::move(s));
}

bool PackedText::Equals(std::u16string_view text) const {
    if (text.size() != GetLength()) return false;
    if (!block_) return true;
    if (IsWide(block_)) return std::memcmp(block_ + kHeader, text.data(), text.size() * 2) == 0;
    const std::uint8_t* in = block_ + kHeader;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (in[i] != text[i]) return false;
    return true;
}
