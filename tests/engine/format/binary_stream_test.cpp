#include "engine/format/binary_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/core/win_error.h"

namespace {

TEST(BinaryStream, WritesLittleEndianAndReadsBack) {
    MemoryWriter w;
    w.WriteU32(0x04030201u);
    w.WriteU64(0x0c0b0a0908070605ull);
    w.Write("xy", 2);
    ASSERT_TRUE(w.good());
    EXPECT_EQ(w.Tell(), 14u);
    const std::string& bytes = w.Bytes();
    EXPECT_EQ(bytes, std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0cxy", 14));

    MemoryReader r(bytes);
    std::uint32_t a = 0;
    std::uint64_t b = 0;
    char c[2];
    ASSERT_TRUE(r.ReadU32(a) && r.ReadU64(b) && r.Read(c, 2));
    EXPECT_EQ(a, 0x04030201u);
    EXPECT_EQ(b, 0x0c0b0a0908070605ull);
    EXPECT_EQ(r.Remaining(), 0u);
}

TEST(BinaryStream, LargeWritesPassTheBufferInOrder) {
    MemoryWriter w;
    std::string big(200000, 'b');
    w.Write("a", 1);
    w.Write(big.data(), big.size());
    w.Write("c", 1);
    EXPECT_EQ(w.Bytes(), "a" + big + "c");
}

TEST(BinaryStream, ReadingPastTheEndFailsForGood) {
    const std::string bytes("\x01\x00\x00\x00\x02\x00", 6);
    MemoryReader r(bytes);
    std::uint32_t v = 0;
    ASSERT_TRUE(r.ReadU32(v));
    EXPECT_FALSE(r.ReadU32(v));  // only two bytes left
    EXPECT_TRUE(r.fail());
    EXPECT_EQ(r.error(), win32::ERROR_HANDLE_EOF);
    // A failed stream stays failed even for reads that would fit.
    char c;
    EXPECT_FALSE(r.Read(&c, 1));
    EXPECT_FALSE(r.Seek(0));
}

TEST(BinaryStream, SeekAndSkipStayWithinTheStream) {
    std::string bytes(10000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7);
    MemoryReader r(bytes);
    char c = 0;
    ASSERT_TRUE(r.Seek(9000) && r.Read(&c, 1));
    EXPECT_EQ(c, char(9000 * 7));
    ASSERT_TRUE(r.Seek(3) && r.Read(&c, 1));
    EXPECT_EQ(c, char(21));
    ASSERT_TRUE(r.Skip(100) && r.Read(&c, 1));
    EXPECT_EQ(c, char(104 * 7));
    EXPECT_TRUE(r.Seek(bytes.size()));  // the end itself is a position
    EXPECT_FALSE(r.Skip(1));
    EXPECT_TRUE(r.fail());
}

TEST(BinaryStream, FirstFailureCodeIsKept) {
    MemoryWriter w;
    w.SetFail(112);
    w.SetFail(5);
    EXPECT_FALSE(w.Write("a", 1));
    EXPECT_EQ(w.error(), 112u);
}

}  // namespace
