#include <gtest/gtest.h>

#include "platform/core/file_system.h"

namespace {

using namespace plat;

TEST(FileSystemPaths, ParentAndLastComponent) {
    struct Case {
        const char16_t* path;
        const char16_t* parent;
        const char16_t* last;
    };
    const Case cases[] = {
        {u"/a/b/c", u"/a/b", u"c"}, {u"/a", u"/", u"a"},     {u"/", u"/", u""},
        {u"/a/b/", u"/a", u"b"},    {u"/a//b", u"/a", u"b"}, {u"name", u"", u"name"},
        {u"", u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CString(c.parent).ToUtf8(), ParentPath(c.path).ToUtf8()) << CString(c.path).ToUtf8();
        EXPECT_EQ(CString(c.last).ToUtf8(), LastComponent(c.path).ToUtf8()) << CString(c.path).ToUtf8();
    }
}

TEST(FileSystemPaths, TemporaryNamesAndAttributes) {
    EXPECT_TRUE(IsTemporaryName(u".wk~a1b2c3d4"));
    // A user's own file with the prefix is an ordinary entry, never a leftover.
    EXPECT_FALSE(IsTemporaryName(u".wk~a1b2c3"));
    EXPECT_FALSE(IsTemporaryName(u".wk~notes.txt"));
    EXPECT_FALSE(IsTemporaryName(u".wk~A1B2C3D4"));
    EXPECT_FALSE(IsTemporaryName(u".wk"));
    EXPECT_FALSE(IsTemporaryName(u"x.wk~"));

    struct Case {
        EntryKind kind;
        std::uint32_t mode;
        const char16_t* name;
        std::uint32_t attributes;
    };
    const Case cases[] = {
        {EntryKind::File, 0644, u"f", FILE_ATTRIBUTE_NORMAL},
        {EntryKind::File, 0444, u".f", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN},
        {EntryKind::File, 0044, u"f", FILE_ATTRIBUTE_READONLY},  // only the owner's bit counts
        {EntryKind::Directory, 0555, u"d", FILE_ATTRIBUTE_DIRECTORY},
        {EntryKind::Directory, 0755, u".d", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN},
        {EntryKind::Symlink, 0777, u"l", FILE_ATTRIBUTE_NORMAL},
    };
    for (const auto& c : cases) EXPECT_EQ(c.attributes, StampAttributes(c.kind, c.mode, c.name)) << CString(c.name).ToUtf8();
}

}  // namespace
