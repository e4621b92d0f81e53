#include <gtest/gtest.h>

#include <string>

#include "engine/error_info.h"
#include "engine/format/binary_stream.h"
#include "engine/format/signed_stream.h"
#include "platform/core/md5.h"

namespace {

std::string Signed(const std::string& body) {
    plat::Md5Digest d{};
    EXPECT_TRUE(plat::Md5::Of(body.data(), body.size(), d));
    return body + std::string(reinterpret_cast<const char*>(d.data()), d.size());
}

TEST(CheckSignature, AcceptsSignedInputAndRewinds) {
    for (const std::string& body : {std::string(), std::string("x"), std::string(20000, 'q')}) {
        const std::string file = Signed(body);
        MemoryReader r(file);
        ASSERT_TRUE(r.Seek(file.size() / 2));
        ErrorInfo err;
        EXPECT_TRUE(CheckSignature(r, &err)) << body.size();
        EXPECT_FALSE(err.IsSet());
        EXPECT_EQ(r.Tell(), 0u);
    }
}

TEST(CheckSignature, AnyFlippedByteOrCutGivesCorrupted) {
    const std::string file = Signed("obn database and some more bytes");
    auto check = [](const std::string& bytes, const std::string& what) {
        MemoryReader r(bytes);
        ErrorInfo err;
        EXPECT_FALSE(CheckSignature(r, &err)) << what;
        EXPECT_EQ(err.category, ERROR_CATEGORY_PROGRAM) << what;
        EXPECT_EQ(err.code, ERRCODE_BAD_SIGNATURE) << what;
    };
    for (std::size_t i = 0; i < file.size(); ++i) {
        std::string bad = file;
        bad[i] = char(bad[i] ^ 0x01);
        check(bad, "flip at " + std::to_string(i));
    }
    for (std::size_t n = 0; n < file.size(); ++n) check(file.substr(0, n), "cut to " + std::to_string(n));
}

TEST(CheckSignature, FailedStreamGivesSystemError) {
    const std::string file = Signed("abc");
    MemoryReader r(file);
    r.SetFail(5);
    ErrorInfo err;
    EXPECT_FALSE(CheckSignature(r, &err));
    EXPECT_EQ(err.category, ERROR_CATEGORY_SYSTEM);
    EXPECT_EQ(err.code, 5u);
    EXPECT_FALSE(err.HasText());
    MemoryReader again(file);
    again.SetFail(5);
    EXPECT_FALSE(CheckSignature(again, nullptr));  // no record wanted
}

}  // namespace
