#include "engine/format/fs_tree_streams.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/format/binary_stream.h"
#include "engine/tree/fs_tree.h"
#include "platform/core/cstring_stream.h"
#include "tests/engine/support/byte_builder.h"

namespace {

using kit::ByteBuilder;
using kit::StampFields;

FileStamp MakeStamp(std::u16string_view name, std::uint32_t attributes, FileTime write) {
    FileStamp s;
    s.attributes = attributes;
    s.creationTime = write - 10;
    s.lastAccessTime = write + 10;
    s.lastWriteTime = write;
    s.SetSize(write * 3);
    s.SetName(name);
    return s;
}

FSTreeNode* Add(FSTreeNode* parent, std::u16string_view name, bool inDatabase) {
    FSTreeNode* n = FSTree::FindOrInsertChild(parent, name);
    if (inDatabase) n->record.SetDatabaseStamps(MakeStamp(name, 0x20, 1000), MakeStamp(name, 0x21, 2000));
    return n;
}

// One line per node in walk order: path, depth and the database stamps' names and times.
std::string Describe(FSTreeNode* root) {
    std::string out;
    for (FSTreeNode* n : FSTree::Subtree(root)) {
        out += FSTree::GetNodePath(n).ToUtf8() + " d" + std::to_string(n->depth);
        if (const auto& db = n->record.db) {
            out += " L:" + CString(db->left.GetName()).ToUtf8() + "/" + std::to_string(db->left.lastWriteTime) +
                   " R:" + CString(db->right.GetName()).ToUtf8() + "/" + std::to_string(db->right.lastWriteTime);
        }
        out += "\n";
    }
    return out;
}

StampFields Fields(std::u16string name, std::uint32_t attributes, std::uint64_t write) {
    StampFields f;
    f.attributes = attributes;
    f.creation = write - 10;
    f.access = write + 10;
    f.write = write;
    f.sizeHigh = std::uint32_t((write * 3) >> 32);
    f.sizeLow = std::uint32_t(write * 3);
    f.name = std::move(name);
    return f;
}

// A node record of format 3 with the pair that Add stores (right first) under the file
// name stampName, or two empty stamps when stampName is empty.
void Node(ByteBuilder& b, std::u16string_view name, std::uint32_t depth, std::u16string_view stampName,
          std::uint32_t children) {
    b.Wide(name).U32(depth);
    if (!stampName.empty()) {
        b.Stamp(Fields(std::u16string(stampName), 0x21, 2000)).Stamp(Fields(std::u16string(stampName), 0x20, 1000));
    } else {
        b.Stamp({}).Stamp({});
    }
    b.U32(children);
}

TEST(TreeStreams, DatabaseOnlyWriteKeepsEntriesAndTheDirectoriesAboveThem) {
    FSTree tree;
    FSTreeNode* root = tree.GetRoot();
    FSTreeNode* a = Add(root, u"a", true);
    Add(a, u"x", true);
    Add(a, u"scan-only", false);
    FSTreeNode* b = Add(root, u"B", false);
    Add(Add(b, u"c", false), u"y", false);
    FSTreeNode* c = Add(root, u"C", false);
    Add(Add(c, u"Deep", false), u"z", true);
    Add(root, u"D", false);

    MemoryWriter w;
    ASSERT_TRUE(WriteTreeNodes(w, *root, true));
    ByteBuilder expected;
    expected.U32(2);
    Node(expected, u"A", 0, u"a", 1);
    Node(expected, u"X", 1, u"x", 0);
    Node(expected, u"C", 0, u"", 1);
    Node(expected, u"DEEP", 1, u"", 1);
    Node(expected, u"Z", 2, u"z", 0);
    EXPECT_EQ(w.Bytes(), expected.str());
}

TEST(TreeStreams, FullWriteAndReadRoundTrip) {
    FSTree tree;
    FSTreeNode* root = tree.GetRoot();
    FSTreeNode* a = Add(root, u"Alpha", true);
    Add(a, u"one", true);
    Add(Add(a, u"two", false), u"three", true);
    Add(root, u"\u00e9t\u00e9", true);  // upper-cased to ÉTÉ
    Add(root, u"leer", false);

    MemoryWriter w;
    ASSERT_TRUE(tree.Write(w, 0));
    FSTree back;
    MemoryReader r(w.Bytes());
    ASSERT_TRUE(back.Read(r, 3));
    EXPECT_EQ(r.Remaining(), 0u);
    EXPECT_EQ(Describe(back.GetRoot()), Describe(root));
    EXPECT_EQ(Describe(back.GetRoot()),
              "ALPHA d0 L:Alpha/1000 R:Alpha/2000\n"
              "ALPHA\\ONE d1 L:one/1000 R:one/2000\n"
              "ALPHA\\TWO d1\n"
              "ALPHA\\TWO\\THREE d2 L:three/1000 R:three/2000\n"
              "LEER d0\n"
              "\u00c9T\u00c9 d0 L:\u00e9t\u00e9/1000 R:\u00e9t\u00e9/2000\n");
}

TEST(TreeStreams, ReadUpperCasesSortsAndMergesDuplicates) {
    // Written elsewhere: lower-case names out of order, depths wrong, "b" twice.
    ByteBuilder b;
    b.U32(3);
    Node(b, u"b", 7, u"b", 1);
    Node(b, u"first-child", 7, u"first-child", 0);
    Node(b, u"a", 7, u"", 0);
    b.Wide(u"B").U32(0).Stamp(Fields(u"B2", 0, 5)).Stamp(Fields(u"B2", 0, 6)).U32(2);
    Node(b, u"second-child", 1, u"second-child", 0);
    Node(b, u"FIRST-CHILD", 1, u"", 0);

    FSTree tree;
    std::vector<std::string> duplicates;
    MemoryReader r(b.str());
    ASSERT_TRUE(ReadTreeNodes(r, *tree.GetRoot(), 3, [&](const FSTreeNode& kept) {
        duplicates.push_back(FSTree::GetNodePath(&kept).ToUtf8());
    }));
    EXPECT_EQ(Describe(tree.GetRoot()),
              "A d0\n"
              "B d0 L:b/1000 R:b/2000\n"
              "B\\FIRST-CHILD d1 L:first-child/1000 R:first-child/2000\n"
              "B\\SECOND-CHILD d1 L:second-child/1000 R:second-child/2000\n");
    EXPECT_EQ(duplicates, (std::vector<std::string>{"B", "B\\FIRST-CHILD"}));
}

TEST(TreeStreams, OlderFormatsReadNarrowNamesAndOneStampInFormatOne) {
    ByteBuilder v1;
    v1.U32(1).Narrow("Caf\xe9").U32(0).Stamp(Fields(u"Caf\u00e9", 0x20, 77), false).U32(0);
    FSTree t1;
    MemoryReader r1(v1.str());
    ASSERT_TRUE(t1.Read(r1, 1));
    EXPECT_EQ(Describe(t1.GetRoot()), "CAF\u00c9 d0 L:Caf\u00e9/77 R:Caf\u00e9/77\n");

    ByteBuilder v2;
    v2.U32(1).Narrow("\x80uro").U32(0).Stamp(Fields(u"r", 0, 1), false).Stamp(Fields(u"l", 0, 2), false).U32(0);
    FSTree t2;
    MemoryReader r2(v2.str());
    ASSERT_TRUE(t2.Read(r2, 2));
    EXPECT_EQ(Describe(t2.GetRoot()), "\u20acURO d0 L:l/2 R:r/1\n");
}

TEST(TreeStreams, PairWithoutNamesIsNotADatabaseEntry) {
    ByteBuilder b;
    b.U32(1).Wide(u"X").U32(0).Stamp(Fields(u"", 0x10, 5)).Stamp(Fields(u"", 0x10, 5)).U32(0);
    FSTree tree;
    MemoryReader r(b.str());
    ASSERT_TRUE(tree.Read(r, 3));
    EXPECT_EQ(Describe(tree.GetRoot()), "X d0\n");
}

TEST(TreeStreams, DeepNestingReadsWithoutRecursion) {
    const std::uint32_t levels = kMaxTreeDepth;
    ByteBuilder b;
    b.U32(1);
    for (std::uint32_t i = 0; i < levels; ++i) Node(b, u"D", i, i + 1 == levels ? u"d" : u"", i + 1 == levels ? 0 : 1);
    FSTree tree;
    MemoryReader r(b.str());
    ASSERT_TRUE(tree.Read(r, 3));
    FSTreeNode* n = tree.GetRoot();
    std::uint32_t depth = 0;
    while (!n->children.empty()) {
        n = n->children.front();
        ++depth;
    }
    EXPECT_EQ(depth, levels);
    EXPECT_TRUE(n->record.IsInDatabase());
}

// No path in a file may be longer than a real path below a root can be: measured in
// bytes as the file system takes them, on the names as the tree holds them (upper-cased).
TEST(TreeStreams, NodesBeyondTheLongestRealPathFailTheStream) {
    const CString e(u"\u00e9");        // 2 bytes, and so is its upper case
    const CString escaped(u"\xdc80");  // a byte that is no UTF-8: 1 byte
    const CString turned(u"\u0250");   // 2 bytes, its upper case U+2C6F 3 bytes
    auto repeat = [](const CString& unit, std::size_t n) {
        CString out;
        for (std::size_t i = 0; i < n; ++i) out += unit;
        return out;
    };
    const struct {
        const char* what;
        std::vector<CString> names;  // one chain, each below the one before
        bool loads;
    } cases[] = {
        {"4094 bytes in two names", {CString(2046, u'A'), CString(2047, u'B')}, true},
        {"4095 bytes in two names", {CString(2046, u'A'), CString(2048, u'B')}, false},
        {"two-byte characters, 4094 bytes", {repeat(e, 2047)}, true},
        {"two-byte characters, 4095 bytes", {repeat(e, 2047) + u"X"}, false},
        {"escaped bytes count one each", {repeat(escaped, 4094)}, true},
        {"escaped bytes, one too many", {repeat(escaped, 4095)}, false},
        {"upper-cased to 4092 bytes", {repeat(turned, 1364)}, true},
        {"upper-cased to 4095 bytes", {repeat(turned, 1365)}, false},
        {"a name beyond below short ones", {u"A", u"B", CString(4091, u'C')}, false},
    };
    for (const auto& c : cases) {
        ByteBuilder b;
        b.U32(1);
        for (std::size_t i = 0; i < c.names.size(); ++i) {
            const bool last = i + 1 == c.names.size();
            Node(b, c.names[i].view(), std::uint32_t(i), last ? u"n" : u"", last ? 0 : 1);
        }
        FSTree tree;
        MemoryReader r(b.str());
        EXPECT_EQ(tree.Read(r, 3), c.loads) << c.what;
        EXPECT_EQ(r.fail(), !c.loads) << c.what;
    }
}

TEST(TreeStreams, DamagedInputFailsTheStream) {
    auto single = [](std::u16string_view name) {
        ByteBuilder b;
        b.U32(1);
        Node(b, name, 0, u"n", 0);
        return b.str();
    };
    ByteBuilder tooDeep;
    tooDeep.U32(1);
    for (std::uint32_t i = 0; i <= kMaxTreeDepth; ++i) Node(tooDeep, u"D", i, u"", 1);
    ByteBuilder hugeChildren;
    hugeChildren.U32(1);
    Node(hugeChildren, u"D", 0, u"", 0xFFFFFFFFu);
    ByteBuilder missingChild;
    missingChild.U32(1);
    Node(missingChild, u"D", 0, u"", 1);
    const std::string valid = single(u"OK");

    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"huge top count", ByteBuilder().U32(0x7FFFFFFF).str()},
        {"huge child count", hugeChildren.str()},
        {"child missing", missingChild.str()},
        {"nested too deep", tooDeep.str()},
        {"empty name", single(u"")},
        {"dot", single(u".")},
        {"dot dot", single(u"..")},
        {"backslash", single(u"A\\B")},
        {"slash", single(u"A/B")},
        {"cut in the stamps", valid.substr(0, valid.size() - 30)},
        {"cut in the child count", valid.substr(0, valid.size() - 2)},
    };
    for (const auto& c : cases) {
        FSTree tree;
        MemoryReader r(c.bytes);
        EXPECT_FALSE(tree.Read(r, 3)) << c.what;
        EXPECT_TRUE(r.fail()) << c.what;
    }
}

}  // namespace
