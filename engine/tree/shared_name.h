#pragma once
// SharedName: an immutable UTF-16 name (with an optional short name) in one heap block
// with a reference count. A million-entry tree holds four stamps and a node name per
// entry, mostly with the same text; copies share one block instead of repeating it.
//
// Contract: a value type; copying shares the block, assigning a new text allocates a
// new one. The count is atomic, so copies may be made and dropped on different
// threads; one SharedName object itself is not written by two threads at once.
// The empty name holds no block. Texts are NUL-terminated in the block.
#include <atomic>
#include <cstdint>
#include <string_view>

class SharedName {
public:
    SharedName() = default;
    explicit SharedName(std::u16string_view name, std::u16string_view shortName = {});
    SharedName(const SharedName& other) noexcept;
    SharedName(SharedName&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    SharedName& operator=(const SharedName& other) noexcept;
    SharedName& operator=(SharedName&& other) noexcept;
    ~SharedName() { Release(); }

    std::u16string_view Name() const;
    std::u16string_view ShortName() const;
    const char16_t* NameCStr() const;   // never null
    bool IsEmpty() const { return block_ == nullptr; }
    // True when both hold the same texts (shared or not).
    bool SameTexts(std::u16string_view name, std::u16string_view shortName) const {
        return Name() == name && ShortName() == shortName;
    }
    // True when both point to the same block (both empty counts as shared).
    bool SharesWith(const SharedName& other) const { return block_ == other.block_; }

private:
    struct Block {
        std::atomic<std::uint32_t> refs;
        std::uint16_t length;       // name, without the NUL
        std::uint16_t shortLength;  // short name, without the NUL; follows the name's NUL
    };
    const char16_t* Text() const { return reinterpret_cast<const char16_t*>(block_ + 1); }
    void Release() noexcept;

    Block* block_ = nullptr;
};
