#include "engine/tree/fs_tree.h"
#include "platform/core/text_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::u16string> ChildNames(const FSTreeNode* node) {
    std::vector<std::u16string> names;
    for (const FSTreeNode* child : node->children) names.emplace_back(child->GetName());
    return names;
}

// The walk as "NAME/depth" items.
std::vector<std::string> Walk(FSTree::Subtree subtree, const char* skipBelow = nullptr) {
    std::vector<std::string> seen;
    for (auto it = subtree.begin(); it != subtree.end();) {
        const std::string name = CString(it->GetName()).ToUtf8();
        seen.push_back(name + "/" + std::to_string(int(it->depth)));
        if (skipBelow && name == skipBelow) it.SkipChildren();
        else ++it;
    }
    return seen;
}

// LEFT: DOCS/{A.TXT, B/{C.TXT}}, EMPTY, Z.TXT
class SmallTree : public ::testing::Test {
protected:
    void SetUp() override {
        FSTreeNode* root = tree.GetRoot();
        docs = FSTree::FindOrInsertChild(root, u"docs");
        FSTree::FindOrInsertChild(root, u"z.txt");
        FSTree::FindOrInsertChild(root, u"Empty");
        FSTreeNode* b = FSTree::FindOrInsertChild(docs, u"b");
        FSTree::FindOrInsertChild(b, u"c.txt");
        FSTree::FindOrInsertChild(docs, u"a.txt");
    }
    FSTree tree;
    FSTreeNode* docs = nullptr;
};

TEST(FSTreeTest, RootAndDepths) {
    FSTree tree;
    FSTreeNode* root = tree.GetRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), u"<ROOT>");
    EXPECT_EQ(root->depth, 0xFFFFFFFFu);
    EXPECT_EQ(root->parent, nullptr);
    FSTreeNode* top = FSTree::FindOrInsertChild(root, u"top");
    FSTreeNode* below = FSTree::FindOrInsertChild(top, u"below");
    EXPECT_EQ(top->depth, 0u);
    EXPECT_EQ(below->depth, 1u);
    EXPECT_EQ(below->parent, top);
    EXPECT_EQ(below->record.left, nullptr);
    EXPECT_TRUE(below->children.empty());

    tree.Init();  // a new, empty root
    EXPECT_TRUE(tree.GetRoot()->children.empty());
    EXPECT_EQ(tree.GetRoot()->GetName(), u"<ROOT>");
}

TEST(FSTreeTest, NamesDifferingInCaseShareOneNode) {
    FSTree tree;
    FSTreeNode* fromLeft = FSTree::FindOrInsertChild(tree.GetRoot(), u"readme.TXT");
    FSTreeNode* fromRight = FSTree::FindOrInsertChild(tree.GetRoot(), u"README.txt");
    EXPECT_EQ(fromLeft, fromRight);
    EXPECT_EQ(fromLeft->GetName(), u"README.TXT");
    EXPECT_EQ(tree.GetRoot()->children.size(), 1u);
    // Upper-casing is not limited to ASCII.
    EXPECT_EQ(FSTree::FindOrInsertChild(tree.GetRoot(), u"stra\u00dfe\u00e4"),
              FSTree::FindOrInsertChild(tree.GetRoot(), u"STRA\u00dfE\u00c4"));
}

TEST(FSTreeTest, ChildrenSortByUpperCasedCodeUnits) {
    struct Case {
        std::vector<std::u16string> inserted;
        std::vector<std::u16string> order;
    } const cases[] = {
        {{u"A_B", u"AB"}, {u"AB", u"A_B"}},                  // '_' 0x5F after 'B' 0x42
        {{u"ab", u"a_b", u"AA"}, {u"AA", u"AB", u"A_B"}},
        {{u"b", u"A", u"C"}, {u"A", u"B", u"C"}},            // lower-case b sorts as B
        {{u"a.txt", u"a", u"a-b"}, {u"A", u"A-B", u"A.TXT"}},
        {{u"\u00e9", u"z", u"~"}, {u"Z", u"~", u"\u00c9"}},  // code units, not collation
        {{u"x", u"X", u"x"}, {u"X"}},
    };
    for (const Case& c : cases) {
        FSTree tree;
        for (const auto& n : c.inserted) FSTree::FindOrInsertChild(tree.GetRoot(), n);
        EXPECT_EQ(ChildNames(tree.GetRoot()), c.order);
    }
}

// Name families that exercise the lookup: plain numbers, long shared prefixes with the
// differences far behind, names that are prefixes of each other, and non-ASCII units.
std::vector<std::u16string> Family(int family) {
    std::vector<std::u16string> names;
    for (int i = 0; i < 3000; ++i) {
        const int v = (i * 7919) % 2500;  // repeats included
        const std::u16string num = CString::Format(u"%05i", v).str();
        switch (family) {
        case 0: names.push_back(u"n" + num); break;
        case 1: names.push_back(u"IMG_2024_holiday_" + num + u".jpg"); break;
        case 2: names.push_back(std::u16string(std::size_t(v % 40 + 1), u'a') + (v % 3 ? u"" : u"b")); break;
        case 3: names.push_back(std::u16string(1, char16_t(0xE000 + v % 700)) + num.substr(3)); break;
        case 4: {  // two letters, many lengths: neighbours share prefixes of every length
            std::u16string n;
            for (unsigned x = unsigned(v) * 2654435761u, len = 1 + unsigned(v) % 14; len > 0; --len, x >>= 2)
                n += (x & 1) ? u'a' : u'B';
            names.push_back(n);
            break;
        }
        }
    }
    if (family == 1) {  // outliers widen the list's range, so the block fences share nothing
        names.push_back(u"a");
        names.push_back(u"zzzz");
    }
    return names;
}

TEST(FSTreeTest, ManyInsertionsStaySortedUniqueAndFindable) {
    for (int family = 0; family < 5; ++family) {
        const std::vector<std::u16string> names = Family(family);
        std::vector<std::vector<std::u16string>> orders = {names, names, names};
        std::sort(orders[1].begin(), orders[1].end());
        std::sort(orders[2].rbegin(), orders[2].rend());
        for (const auto& order : orders) {
            FSTree tree;
            std::set<std::u16string> expected;
            std::vector<FSTreeNode*> nodes;
            for (const auto& n : order) {
                nodes.push_back(FSTree::FindOrInsertChild(tree.GetRoot(), n));
                expected.insert(UpperCase(n));
            }
            const std::vector<std::u16string> got = ChildNames(tree.GetRoot());
            ASSERT_EQ(got, std::vector<std::u16string>(expected.begin(), expected.end())) << family;
            for (std::size_t i = 0; i < order.size(); ++i) {
                ASSERT_EQ(FSTree::FindOrInsertChild(tree.GetRoot(), order[i]), nodes[i]) << family;
                ASSERT_EQ(FSTree::FindChild(tree.GetRoot(), UpperCase(order[i])), nodes[i]) << family;
            }
            EXPECT_EQ(tree.GetRoot()->children.size(), expected.size());
            for (const char16_t* missing : {u"", u"N99999", u"0", u"\uFFFF", u"IMG_2024_HOLIDAY_", u"AAAAC"})
                EXPECT_EQ(FSTree::FindChild(tree.GetRoot(), missing), nullptr) << family;
        }
    }
}

TEST(FSTreeTest, RandomInsertionsAndDeletionsMatchASortedSet) {
    for (int family = 0; family < 5; ++family) {
        const std::vector<std::u16string> names = Family(family);
        std::mt19937 random(family + 1);
        FSTree tree;
        FSTreeNode* root = tree.GetRoot();
        std::set<std::u16string> expected;
        for (int step = 0; step < 12000; ++step) {
            const std::u16string& name = names[random() % names.size()];
            const std::u16string upper = UpperCase(name);
            if (random() % 3 == 0) {
                FSTreeNode* node = FSTree::FindChild(root, upper);
                ASSERT_EQ(node != nullptr, expected.count(upper) == 1) << family << " " << step;
                if (node) FSTree::DeleteChild(root, node);
                expected.erase(upper);
            } else {
                FSTreeNode* node = FSTree::FindOrInsertChild(root, name);
                ASSERT_EQ(node->GetName(), upper);
                expected.insert(upper);
            }
        }
        EXPECT_EQ(ChildNames(root), std::vector<std::u16string>(expected.begin(), expected.end())) << family;
        // Then a run of children longer than a storage block goes at once, and every name
        // is looked up and inserted again.
        auto it = root->children.begin();
        for (int i = 0; i < 200 && it != root->children.end(); ++i) ++it;
        for (int i = 0; i < 600 && it != root->children.end(); ++i) {
            expected.erase(std::u16string((*it)->GetName()));
            it = FSTree::DeleteChild(root, it);
        }
        for (const std::u16string& name : names)
            ASSERT_EQ(FSTree::FindChild(root, UpperCase(name)) != nullptr, expected.count(UpperCase(name)) == 1);
        for (const std::u16string& name : names) {
            FSTree::FindOrInsertChild(root, name);
            expected.insert(UpperCase(name));
        }
        EXPECT_EQ(ChildNames(root), std::vector<std::u16string>(expected.begin(), expected.end())) << family;
    }
}

TEST(FSTreeTest, DeletingRunsOfChildrenKeepsLookupsRight) {
    // "A", BA000..BA499, BB000..BB499: deleting a run that empties whole storage blocks
    // leaves the names after the gap with neighbours that share less of their names.
    auto name = [](int i) { return CString::Format(i < 500 ? u"BA%03i" : u"BB%03i", i % 500); };
    for (int first : {1, 100, 300, 450}) {
        FSTree tree;
        FSTreeNode* root = tree.GetRoot();
        FSTree::FindOrInsertChild(root, u"A");
        for (int i = 0; i < 1000; ++i) FSTree::FindOrInsertChild(root, name(i));
        auto it = root->children.begin();
        for (int i = 0; i < first; ++i) ++it;
        for (int i = 0; i < 500; ++i) it = FSTree::DeleteChild(root, it);
        for (int i = 999; i >= 0; --i) {
            const bool kept = i < first - 1 || i >= first - 1 + 500;
            ASSERT_EQ(FSTree::FindChild(root, name(i)) != nullptr, kept) << first << " " << i;
            FSTree::FindOrInsertChild(root, name(i));
        }
        std::vector<std::u16string> expected{u"A"};
        for (int i = 0; i < 1000; ++i) expected.push_back(name(i).str());
        EXPECT_EQ(ChildNames(root), expected) << first;
    }
}

TEST(FSTreeTest, DeleteChildrenWhileWalkingOneList) {
    // Deleting every other child across block boundaries keeps the rest in order.
    FSTree tree;
    std::mt19937 random(7);
    std::vector<int> ids(2000);
    for (int i = 0; i < 2000; ++i) ids[i] = i;
    std::shuffle(ids.begin(), ids.end(), random);
    for (int i : ids) FSTree::FindOrInsertChild(FSTree::FindOrInsertChild(tree.GetRoot(), CString::Format(u"%04i", i)), u"sub");
    FSTreeNode* root = tree.GetRoot();
    int index = 0;
    for (auto it = root->children.begin(); it != root->children.end();) {
        if (index++ % 2 == 0) it = FSTree::DeleteChild(root, it);
        else ++it;
    }
    std::vector<std::u16string> expected;
    for (int i = 1; i < 2000; i += 2) expected.push_back(CString::Format(u"%04i", i).str());
    EXPECT_EQ(ChildNames(root), expected);
    // The lookup still finds exactly the remaining names, and the deleted ones go back
    // to their places.
    for (int i = 0; i < 2000; ++i) {
        const CString name = CString::Format(u"%04i", i);
        EXPECT_EQ(FSTree::FindChild(root, name) != nullptr, i % 2 == 1) << i;
    }
    for (int i : ids) FSTree::FindOrInsertChild(root, CString::Format(u"%04i", i));
    ASSERT_EQ(root->children.size(), 2000u);
    index = 0;
    for (auto it = root->children.begin(); it != root->children.end(); ++it)
        EXPECT_EQ((*it)->GetName(), CString::Format(u"%04i", index++).view());
    for (auto it = root->children.begin(); it != root->children.end();) {
        if (index-- % 2 == 0) it = FSTree::DeleteChild(root, it);
        else ++it;
    }
    EXPECT_EQ(ChildNames(root), expected);

    FSTree::DeleteChild(root, FSTree::FindChild(root, u"0001"));
    EXPECT_EQ(root->children.size(), 999u);
    EXPECT_EQ(root->children.front()->GetName(), u"0003");
    for (auto it = root->children.begin(); it != root->children.end();) it = FSTree::DeleteChild(root, it);
    EXPECT_TRUE(root->children.empty());
    EXPECT_NE(FSTree::FindOrInsertChild(root, u"again"), nullptr);
}

TEST_F(SmallTree, NodePaths) {
    FSTreeNode* b = FSTree::FindChild(docs, u"B");
    struct Case {
        const FSTreeNode* node;
        std::u16string path;
    } const cases[] = {
        {nullptr, u""},
        {tree.GetRoot(), u""},
        {docs, u"DOCS"},
        {b, u"DOCS\\B"},
        {FSTree::FindChild(b, u"C.TXT"), u"DOCS\\B\\C.TXT"},
    };
    for (const Case& c : cases) EXPECT_EQ(FSTree::GetNodePath(c.node).str(), c.path);
}

TEST_F(SmallTree, SubtreeWalksDepthFirstDirectoryBeforeContents) {
    const std::vector<std::string> all = {"DOCS/0", "A.TXT/1", "B/1", "C.TXT/2", "EMPTY/0", "Z.TXT/0"};
    EXPECT_EQ(Walk(FSTree::Subtree(tree.GetRoot())), all);
    EXPECT_EQ(Walk(FSTree::Subtree(tree.GetRoot()), "DOCS"),
              (std::vector<std::string>{"DOCS/0", "EMPTY/0", "Z.TXT/0"}));
    EXPECT_EQ(Walk(FSTree::Subtree(tree.GetRoot()), "B"),
              (std::vector<std::string>{"DOCS/0", "A.TXT/1", "B/1", "EMPTY/0", "Z.TXT/0"}));
    EXPECT_EQ(Walk(FSTree::Subtree(tree.GetRoot()), "C.TXT"), all);  // skipping a leaf is a plain step
    // Below one node, and the node with everything below it.
    EXPECT_EQ(Walk(FSTree::Subtree(docs)), (std::vector<std::string>{"A.TXT/1", "B/1", "C.TXT/2"}));
    EXPECT_EQ(Walk(FSTree::Subtree::Including(docs)),
              (std::vector<std::string>{"DOCS/0", "A.TXT/1", "B/1", "C.TXT/2"}));
    EXPECT_EQ(Walk(FSTree::Subtree::Including(docs), "DOCS"), (std::vector<std::string>{"DOCS/0"}));
    FSTreeNode* empty = FSTree::FindChild(tree.GetRoot(), u"EMPTY");
    EXPECT_EQ(Walk(FSTree::Subtree(empty)), std::vector<std::string>{});
    EXPECT_EQ(Walk(FSTree::Subtree::Including(empty)), std::vector<std::string>{"EMPTY/0"});
    // Range form.
    int count = 0;
    for (FSTreeNode* node : FSTree::Subtree(tree.GetRoot())) count += node != nullptr;
    EXPECT_EQ(count, 6);
}

TEST_F(SmallTree, DeleteAllNodesKeepsTheRoot) {
    FSTreeNode* root = tree.GetRoot();
    tree.DeleteAllNodes();
    EXPECT_EQ(tree.GetRoot(), root);
    EXPECT_TRUE(root->children.empty());
    EXPECT_EQ(Walk(FSTree::Subtree(root)), std::vector<std::string>{});
}

TEST(FSTreeTest, DeepTreeIsDeletedWithoutRecursion) {
    auto tree = std::make_unique<FSTree>();
    FSTreeNode* node = tree->GetRoot();
    for (int i = 0; i < 200000; ++i) node = FSTree::FindOrInsertChild(node, u"d");
    EXPECT_EQ(node->depth, 199999u);
    tree.reset();  // would overflow the stack if each node deleted its children recursively
}

}  // namespace
