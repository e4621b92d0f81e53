#include "tests/engine/support/byte_builder.h"

#include "platform/core/md5.h"

namespace kit {

ByteBuilder& ByteBuilder::U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(char(v >> (8 * i)));
    return *this;
}

ByteBuilder& ByteBuilder::U64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) bytes_.push_back(char(v >> (8 * i)));
    return *this;
}

ByteBuilder& ByteBuilder::Raw(std::string_view bytes) {
    bytes_.append(bytes);
    return *this;
}

ByteBuilder& ByteBuilder::Wide(std::u16string_view text) {
    U32(std::uint32_t((text.size() + 1) * 2));
    for (char16_t c : text) {
        bytes_.push_back(char(c & 0xFF));
        bytes_.push_back(char(c >> 8));
    }
    bytes_.append(2, '\0');
    return *this;
}

ByteBuilder& ByteBuilder::Narrow(std::string_view bytes) {
    U32(std::uint32_t(bytes.size()));
    return Raw(bytes);
}

ByteBuilder& ByteBuilder::Fixed(std::string_view bytes, std::size_t size) {
    std::string field(bytes.substr(0, size));
    field.resize(size, '\0');
    return Raw(field);
}

ByteBuilder& ByteBuilder::Header(std::string_view magic, std::uint32_t w1, std::uint32_t w2, std::uint32_t w3,
                                 std::uint32_t w4) {
    Fixed(magic, 16);
    return U32(w1).U32(w2).U32(w3).U32(w4);
}

ByteBuilder& ByteBuilder::Stamp(const StampFields& s, bool wide) {
    U32(s.attributes).U64(s.creation).U64(s.access).U64(s.write);
    U32(s.sizeHigh).U32(s.sizeLow).U32(s.reserved0).U32(s.reserved1);
    if (wide) return Wide(s.name).Wide(s.shortName);
    auto narrow = [](std::u16string_view t) {
        std::string b;
        for (char16_t c : t) b.push_back(char(c));
        return b;
    };
    return Narrow(narrow(s.name)).Narrow(narrow(s.shortName));
}

ByteBuilder& ByteBuilder::Sign() {
    plat::Md5Digest d{};
    plat::Md5::Of(bytes_.data(), bytes_.size(), d);
    return Raw(std::string_view(reinterpret_cast<const char*>(d.data()), d.size()));
}

}  // namespace kit
