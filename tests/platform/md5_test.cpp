#include "platform/core/md5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Hex(const plat::Md5Digest& d) {
    std::string s;
    char buf[3];
    for (auto b : d) {
        std::snprintf(buf, sizeof buf, "%02x", b);
        s += buf;
    }
    return s;
}

// The test suite of RFC 1321, appendix A.5.
struct Vector {
    const char* input;
    const char* digest;
};
const Vector kRfc1321[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, OneShotMatchesRfc1321Vectors) {
    for (const auto& v : kRfc1321) {
        plat::Md5Digest d{};
        ASSERT_TRUE(plat::Md5::Of(v.input, std::char_traits<char>::length(v.input), d)) << v.input;
        EXPECT_EQ(Hex(d), v.digest) << '"' << v.input << '"';
    }
}

TEST(Md5, IncrementalInAnySplitEqualsOneShot) {
    for (const auto& v : kRfc1321) {
        const std::string in = v.input;
        for (std::size_t chunk : {std::size_t(1), std::size_t(3), std::size_t(64)}) {
            plat::Md5 md5;
            for (std::size_t i = 0; i < in.size(); i += chunk) md5.Update(in.data() + i, std::min(chunk, in.size() - i));
            plat::Md5Digest d{};
            ASSERT_TRUE(md5.Final(d));
            EXPECT_EQ(Hex(d), v.digest) << '"' << in << "\" in chunks of " << chunk;
        }
    }
}

TEST(Md5, ResetStartsOverAndFinalNeedsReset) {
    plat::Md5 md5;
    md5.Update("garbage", 7);
    md5.Reset();
    md5.Update("abc", 3);
    plat::Md5Digest d{};
    ASSERT_TRUE(md5.Final(d));
    EXPECT_EQ(Hex(d), "900150983cd24fb0d6963f7d28e17f72");
    // A finished digest takes nothing more until it is reset.
    EXPECT_FALSE(md5.Final(d));
    md5.Reset();
    ASSERT_TRUE(md5.Final(d));
    EXPECT_EQ(Hex(d), "d41d8cd98f00b204e9800998ecf8427e");
}

}  // namespace
