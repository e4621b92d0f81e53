#include "engine/format/blob_store.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/format/binary_stream.h"

namespace {

TEST(BlobStore, GetIntNeedsExactlyFourBytes) {
    BlobStore s;
    const std::uint8_t bytes[8] = {0x78, 0x56, 0x34, 0x12, 9, 9, 9, 9};
    struct Case {
        std::size_t size;
        std::uint32_t expected;
    } cases[] = {{4, 0x12345678u}, {3, 77}, {8, 77}, {0, 77}};
    for (const auto& c : cases) {
        ASSERT_TRUE(s.Set(1, bytes, c.size));
        EXPECT_EQ(s.GetInt(1, 77), c.expected) << c.size << " bytes";
    }
    EXPECT_EQ(s.GetInt(2, 77), 77u);  // missing blob
}

TEST(BlobStore, GetDataAndSetSemantics) {
    BlobStore s;
    const std::uint8_t def = 0;
    EXPECT_EQ(s.GetData(5, &def), &def);
    ASSERT_TRUE(s.Set(5, "abc", 3));
    ASSERT_NE(s.GetData(5, &def), &def);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.GetData(5, &def)), 3), "abc");
    // Null data stores an empty blob, which GetData does not hand out.
    ASSERT_TRUE(s.Set(5, nullptr, 10));
    ASSERT_NE(s.Find(5), nullptr);
    EXPECT_EQ(s.Find(5)->size, 0u);
    EXPECT_EQ(s.GetData(5, &def), &def);
    s.Clear();
    EXPECT_EQ(s.Find(5), nullptr);
}

TEST(BlobStore, WritesAscendingIdsAndReadsBack) {
    BlobStore s;
    s.Set(7, "seven", 5);
    s.Set(-1, "m", 1);
    s.Set(2, nullptr, 0);
    MemoryWriter w;
    ASSERT_TRUE(s.Write(w));
    const std::string expected = std::string("\x03\0\0\0", 4) +
                                 std::string("\xff\xff\xff\xff\x01\0\0\0m", 9) +
                                 std::string("\x02\0\0\0\0\0\0\0", 8) +
                                 std::string("\x07\0\0\0\x05\0\0\0seven", 13);
    EXPECT_EQ(w.Bytes(), expected);

    BlobStore back;
    back.Set(99, "stale", 5);
    MemoryReader r(w.Bytes());
    ASSERT_TRUE(back.Read(r));
    EXPECT_TRUE(back == s);
    EXPECT_EQ(back.Find(99), nullptr);
}

TEST(BlobStore, DamagedInputFailsWithoutHugeAllocation) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"count beyond the data", std::string("\xff\xff\xff\xff", 4)},
        {"size beyond the data", std::string("\x01\0\0\0\x01\0\0\0\xf0\xff\xff\xff", 12)},
        {"cut in the data", std::string("\x01\0\0\0\x01\0\0\0\x04\0\0\0ab", 14)},
        {"cut in a header", std::string("\x01\0\0\0\x01\0\0", 7)},
    };
    for (const auto& c : cases) {
        BlobStore s;
        MemoryReader r(c.bytes);
        EXPECT_FALSE(s.Read(r)) << c.what;
        EXPECT_TRUE(r.fail()) << c.what;
    }
}

}  // namespace
