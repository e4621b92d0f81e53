#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/filters/protection_filters.h"
#include "engine/format/blob_store.h"
#include "engine/proxy.h"
#include "engine/tree/fs_tree.h"

namespace {

// A plan over a small tree, in tree order:
//   0 A        DEL_M   (a directory to delete on the left ...)
//   1 A\X      DEL_M   (... with a file in it)
//   2 A\Y      DEL_D   (gone on both sides: dropped from the database)
//   3 B        CP_M    (a directory to copy ...)
//   4 B\Z      CP_M    (... with a file copied into it)
//   5 C        EQUAL
class ProxyFixture : public testing::Test {
protected:
    void SetUp() override {
        Add(u"a", DEL_M);
        Add(u"a\\x", DEL_M);
        Add(u"a\\y", DEL_D);
        Add(u"b", CP_M);
        Add(u"b\\z", CP_M);
        Add(u"c", EQUAL);
    }
    FSTreeNode* Add(std::u16string path, ActionCode code) {
        FSTreeNode* node = tree.GetRoot();
        std::size_t start = 0;
        for (;;) {
            const std::size_t sep = path.find(u'\\', start);
            node = FSTree::FindOrInsertChild(node, std::u16string_view(path).substr(start, sep - start));
            if (sep == std::u16string::npos) break;
            start = sep + 1;
        }
        node->record.PA = code;
        node->record.AC = code;
        return node;
    }
    std::vector<std::u16string> Paths(const Proxy& proxy, const std::vector<std::uint32_t>& indices) const {
        std::vector<std::u16string> paths;
        for (std::uint32_t i : indices) paths.push_back(FSTree::GetNodePath(proxy[i].node).str());
        return paths;
    }

    FSTree tree;
    CString left = u"/l/";
    CString right = u"/r/";
    BlobStore blobs;
};

TEST_F(ProxyFixture, BuildIndexesTheTreeInOrder) {
    Proxy proxy;
    proxy.Build(tree, &left, &right, &blobs);
    ASSERT_EQ(6u, proxy.GetCount());
    EXPECT_EQ(6u, Proxy::CountNodes(tree));
    EXPECT_EQ(5u, proxy.GetActiveCount()) << "DEL_D counts in count, not in active count";
    EXPECT_EQ(1u, proxy.GetDeepest());
    std::vector<std::uint32_t> all = {0, 1, 2, 3, 4, 5};
    EXPECT_EQ((std::vector<std::u16string>{u"A", u"A\\X", u"A\\Y", u"B", u"B\\Z", u"C"}), Paths(proxy, all));
    for (const auto& entry : proxy.Entries()) {
        EXPECT_EQ(0, entry.marked);
        EXPECT_EQ(-1, entry.gridRow);
    }
    EXPECT_EQ(&left, proxy.GetLeftRoot());
    EXPECT_EQ(&right, proxy.GetRightRoot());
    EXPECT_EQ(&blobs, proxy.GetBlobStore());

    // A rebuild starts afresh.
    proxy.MarkAll(true);
    Add(u"c\\w", CP_S);
    proxy.Build(tree, &left, &right, &blobs);
    EXPECT_EQ(7u, proxy.GetCount());
    EXPECT_EQ(0, proxy[0].marked);
}

TEST_F(ProxyFixture, ExecutionOrderDeletesLastToFirstThenTheRestFirstToLast) {
    Proxy proxy;
    proxy.Build(tree, &left, &right, &blobs);
    std::vector<std::uint32_t> order = {99};
    proxy.ExecutionOrder(order);
    EXPECT_EQ((std::vector<std::uint32_t>{2, 1, 0, 3, 4, 5}), order);
    // A file to delete comes before its directory; a directory to copy before its file.
    EXPECT_EQ((std::vector<std::u16string>{u"A\\Y", u"A\\X", u"A", u"B", u"B\\Z", u"C"}), Paths(proxy, order));
    // The order follows AC, not PA.
    proxy[3].node->record.AC = DEL_S;
    proxy.ExecutionOrder(order);
    EXPECT_EQ((std::vector<std::uint32_t>{3, 2, 1, 0, 4, 5}), order);
}

TEST_F(ProxyFixture, EmptyTreeAndResetStillCarryTheRoots) {
    FSTree empty;
    Proxy proxy;
    proxy.Build(tree, &left, &right, &blobs);
    proxy.Build(empty, &left, &right, &blobs);
    EXPECT_EQ(0u, proxy.GetCount());
    EXPECT_EQ(0u, proxy.GetActiveCount());
    EXPECT_TRUE(proxy.IsEmpty());
    EXPECT_EQ(&left, proxy.GetLeftRoot());
    EXPECT_EQ(&right, proxy.GetRightRoot());
    EXPECT_EQ(&blobs, proxy.GetBlobStore());
    std::vector<std::uint32_t> order = {1};
    proxy.ExecutionOrder(order);
    EXPECT_TRUE(order.empty());

    proxy.Build(tree, &left, &right, &blobs);
    proxy.Reset(&right, &left, nullptr);
    EXPECT_EQ(0u, proxy.GetCount());
    EXPECT_EQ(0u, proxy.GetDeepest());
    EXPECT_EQ(&right, proxy.GetLeftRoot());
    EXPECT_EQ(nullptr, proxy.GetBlobStore());

    proxy.Clear();
    EXPECT_EQ(nullptr, proxy.GetLeftRoot());
    EXPECT_EQ(nullptr, proxy.GetRightRoot());
}

TEST_F(ProxyFixture, MarksOfEntriesAndRecords) {
    Proxy proxy;
    proxy.Build(tree, &left, &right, &blobs);
    RecordFilterState state;
    proxy[1].node->record.filterState = &state;
    proxy[2].node->record.FG = FG_DECIDED;

    proxy.SetSelectionMark(true);
    for (const auto& entry : proxy.Entries()) EXPECT_TRUE(entry.node->record.FG & FG_MARKED);
    EXPECT_EQ(1, state.marked);
    EXPECT_EQ(FG_DECIDED | FG_MARKED, proxy[2].node->record.FG) << "other bits are kept";
    proxy.SetSelectionMark(false);
    for (const auto& entry : proxy.Entries()) EXPECT_FALSE(entry.node->record.FG & FG_MARKED);
    EXPECT_EQ(0, state.marked);
    EXPECT_EQ(FG_DECIDED, proxy[2].node->record.FG);
    proxy[1].node->record.filterState = nullptr;

    proxy.MarkAll(true);
    for (const auto& entry : proxy.Entries()) EXPECT_EQ(1, entry.marked);
    proxy.MarkAll(false);
    for (const auto& entry : proxy.Entries()) EXPECT_EQ(0, entry.marked);
}

}  // namespace
