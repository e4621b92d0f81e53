#include "engine/format/file_header.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/format/binary_stream.h"

namespace {

TEST(FileHeader, WritesMagicPaddedAndFourWords) {
    FileHeader h("obn database");
    h.SetVersion(3, 0x11223344u, 7, 0);
    MemoryWriter w;
    ASSERT_TRUE(h.Write(w));
    const std::string expected = std::string("obn database\0\0\0\0", 16) +
                                 std::string("\x03\0\0\0\x44\x33\x22\x11\x07\0\0\0\0\0\0\0", 16);
    EXPECT_EQ(w.Bytes(), expected);

    FileHeader r("obn database");
    MemoryReader in(w.Bytes());
    ASSERT_TRUE(r.Read(in));
    EXPECT_TRUE(r.Verify());
    EXPECT_EQ(r.version[0], 3u);
    EXPECT_EQ(r.version[1], 0x11223344u);
    EXPECT_EQ(r.version[2], 7u);
}

TEST(FileHeader, MagicLongerThanSixteenIsCut) {
    FileHeader h("0123456789abcdefXYZ");
    EXPECT_EQ(std::string(h.magic, 16), "0123456789abcdef");
}

TEST(FileHeader, VerifyAcceptsTheMagicOrTheAlternativeOnly) {
    struct Case {
        std::string magicOnDisk;
        const char* alternative;
        bool accepted;
    } cases[] = {
        {std::string("new magic\0\0\0\0\0\0\0", 16), nullptr, true},
        {std::string("old magic\0\0\0\0\0\0\0", 16), nullptr, false},
        {std::string("old magic\0\0\0\0\0\0\0", 16), "old magic", true},
        {std::string("new magic\0\0\0\0\0\0\0", 16), "old magic", true},
        {std::string("old magic\0\0\0\0\0\0X", 16), "old magic", false},  // padding must be zero
        {std::string("new magiC\0\0\0\0\0\0\0", 16), "old magic", false},
    };
    for (const auto& c : cases) {
        FileHeader h("new magic");
        const std::string bytes = c.magicOnDisk + std::string(16, '\0');
        MemoryReader in(bytes);
        ASSERT_TRUE(h.Read(in));
        EXPECT_EQ(h.Verify(c.alternative), c.accepted) << c.magicOnDisk << " / " << (c.alternative ? c.alternative : "-");
    }
}

TEST(FileHeader, ShortInputFailsTheStream) {
    FileHeader h("obn database");
    const std::string bytes("obn database\0\0\0\0\x03\0", 18);
    MemoryReader in(bytes);
    EXPECT_FALSE(h.Read(in));
    EXPECT_TRUE(in.fail());
}

}  // namespace
