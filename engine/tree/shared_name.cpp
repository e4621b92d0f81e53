#include "engine/tree/shared_name.h"

#include <cstring>
#include <new>

SharedName::SharedName(std::u16string_view name, std::u16string_view shortName) {
    if (name.empty() && shortName.empty()) return;
    // Lengths are bounded by the callers (stamp names are cut to 259, node names are file
    // names); the cut here only keeps the 16-bit length fields honest.
    if (name.size() > 0xFFFF) name = name.substr(0, 0xFFFF);
    if (shortName.size() > 0xFFFF) shortName = shortName.substr(0, 0xFFFF);
    const std::size_t units = name.size() + 1 + shortName.size() + 1;
    void* raw = ::operator new(sizeof(Block) + units * sizeof(char16_t));
    block_ = new (raw) Block{{1}, static_cast<std::uint16_t>(name.size()), static_cast<std::uint16_t>(shortName.size())};
    char16_t* text = reinterpret_cast<char16_t*>(block_ + 1);
    if (!name.empty()) std::memcpy(text, name.data(), name.size() * sizeof(char16_t));
    text[name.size()] = 0;
    char16_t* shortText = text + name.size() + 1;
    if (!shortName.empty()) std::memcpy(shortText, shortName.data(), shortName.size() * sizeof(char16_t));
    shortText[shortName.size()] = 0;
}

SharedName::SharedName(const SharedName& other) noexcept : block_(other.block_) {
    if (block_) block_->refs.fetch_add(1, std::memory_order_relaxed);
}

SharedName& SharedName::operator=(const SharedName& other) noexcept {
    if (block_ != other.block_) {
        if (other.block_) other.block_->refs.fetch_add(1, std::memory_order_relaxed);
        Release();
        block_ = other.block_;
    }
    return *this;
}

SharedName& SharedName::operator=(SharedName&& other) noexcept {
    if (this != &other) {
        Release();
        block_ = other.block_;
        other.block_ = nullptr;
    }
    return *this;
}

void SharedName::Release() noexcept {
    if (block_ && block_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        block_->~Block();
        ::operator delete(block_);
    }
    block_ = nullptr;
}

std::u16string_view SharedName::Name() const {
    return block_ ? std::u16string_view(Text(), block_->length) : std::u16string_view();
}

std::u16string_view SharedName::ShortName() const {
    return block_ ? std::u16string_view(Text() + block_->length + 1, block_->shortLength) : std::u16string_view();
}

const char16_t* SharedName::NameCStr() const { return block_ ? Text() : u""; }
