// Random trees of database, left and right stamps and crawl marks, decided by a scan's
// passes without user edits, must keep the rules that protect data.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/decision/best_choice.h"
#include "engine/decision/decision.h"
#include "engine/decision/set_action_code.h"
#include "engine/filters/protection_filters.h"
#include "engine/tree/sync_record.h"
#include "tests/engine/support/decision_table.h"

namespace {

using namespace kit;

struct Generated {
    DecisionTable tree;
    std::vector<ProtectionRule> rules;
    bool firstScan = false;
    std::size_t size = 0;
    std::string rulesText;
};

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    void Fill(Generated& g) {
        g.firstScan = Chance(30);
        Children(g, "", true, true, !g.firstScan, 0);
        std::vector<std::string> paths;
        for (FSTreeNode* n : FSTree::Subtree(&g.tree.Root())) paths.push_back(FSTree::GetNodePath(n).ToUtf8());
        const int ruleCount = int(Pick(3));
        for (int i = 0; i < ruleCount && !paths.empty(); ++i) {
            std::uint32_t flags = Chance(80) ? std::uint32_t(ProtectionRule::ACTIVE) : 0u;
            if (Chance(35)) flags |= ProtectionRule::EXCLUSION;
            const std::string pattern = Chance(15) ? std::string("*") : paths[Pick(paths.size())];
            g.rules.emplace_back(CString::FromUtf8(pattern), flags);
            g.rulesText += "  rule " + CString(g.rules.back().Format()).ToUtf8() + "\n";
        }
    }

private:
    bool Chance(int percent) { return int(random_() % 100) < percent; }
    std::size_t Pick(std::size_t n) { return random_() % n; }

    FileStamp RandomStamp(bool directory) {
        static const FileTime times[] = {kT0, kT0 + kSecond, kT0 + kHour, kT0 - kHour, kT0 + 3 * kSecond};
        static const std::uint64_t sizes[] = {0, 10, 20};
        static const std::uint32_t attributes[] = {0x20, 0x21, 0x00};
        if (directory) return Dir(times[Pick(5)], 0x10 | (Chance(20) ? 0x01 : 0));
        return File(times[Pick(5)], sizes[Pick(3)], attributes[Pick(3)]);
    }

    // A current stamp: often the database's own, so that sides look unchanged.
    Side Current(bool allowed, const Db& db, bool left) {
        if (!allowed || Chance(25)) return kAbsent;
        if (db && Chance(60)) return left ? db->left : db->right;
        return RandomStamp(Chance(40));
    }

    void Children(Generated& g, const std::string& parent, bool leftDir, bool rightDir, bool dbDir, int depth) {
        const int count = depth == 0 ? 1 + int(Pick(4)) : int(Pick(depth < 3 ? 4 : 1));
        for (int i = 0; i < count; ++i) {
            const std::string path = (parent.empty() ? "" : parent + "\\") + char('A' + i);
            Db db;
            if (dbDir && Chance(60)) {
                const bool directory = Chance(40);
                db = InDb(RandomStamp(directory), Chance(80) ? RandomStamp(directory) : RandomStamp(!directory));
                if (Chance(50)) db->right = db->left;
            }
            Side left = Current(leftDir, db, true);
            Side right = Current(rightDir, db, false);
            if (!left && !right && !db) left = RandomStamp(Chance(40));
            if (left && !leftDir) left.reset();
            if (!left && !right && !db) continue;
            FSTreeNode& node = g.tree.Add(path, left, right, db);
            ++g.size;
            CSyncRecord& r = node.record;
            if (r.left && r.right && !r.left->IsDirectory() && !r.right->IsDirectory() && Chance(20))
                r.SetContentState(1 + int(Pick(2)));
            bool childLeft = r.left && r.left->IsDirectory();
            bool childRight = r.right && r.right->IsDirectory();
            if (childLeft && Chance(10)) {
                r.FG |= FG_LEFT_INACCESSIBLE;  // its left contents were not listed
                childLeft = false;
            }
            if (childRight && Chance(10)) {
                r.FG |= FG_RIGHT_INACCESSIBLE;
                childRight = false;
            }
            if ((r.left || r.right) && Chance(6)) r.FG |= FG_NOT_SYNCHRONISABLE;
            const bool childDb = r.db && r.db->left.IsDirectory() && r.db->right.IsDirectory();
            if (childLeft || childRight || childDb) Children(g, path, childLeft, childRight, childDb, depth + 1);
        }
    }

    std::mt19937 random_;
};

// The oracles, written from the rules, not from the code under test.
bool Unseen(const FSTreeNode& n) {
    if (n.record.FG & FG_NOT_SYNCHRONISABLE) return true;
    for (const FSTreeNode* p = n.parent; p && !p->IsRoot(); p = p->parent)
        if (p->record.FG & (FG_LEFT_INACCESSIBLE | FG_RIGHT_INACCESSIBLE | FG_NOT_SYNCHRONISABLE)) return true;
    return false;
}

bool ProtectedByRules(const FSTreeNode& n, const std::vector<ProtectionRule>& rules) {
    bool protection = false;
    for (const FSTreeNode* a = &n; a && !a->IsRoot() && !protection; a = a->parent)
        for (const ProtectionRule& rule : rules)
            if (rule.IsActive() && !rule.IsExclusion() && rule.Match(a->record.GetPath())) protection = true;
    if (!protection) return false;
    for (const FSTreeNode* d : FSTree::Subtree::Including(const_cast<FSTreeNode*>(&n)))
        for (const ProtectionRule& rule : rules)
            if (rule.IsActive() && rule.IsExclusion() && rule.Match(d->record.GetPath())) return false;
    return true;
}

bool IsDirectory(const std::unique_ptr<FileStamp>& s) { return s && s->IsDirectory(); }

// Empty when every rule holds, else what broke.
std::string Violations(Generated& g, const ComparerOptions& options) {
    std::string out;
    auto fail = [&](const FSTreeNode& n, const std::string& what) {
        out += "  " + FSTree::GetNodePath(&n).ToUtf8() + ": " + what + "\n";
    };
    for (FSTreeNode* n : FSTree::Subtree(&g.tree.Root())) {
        const CSyncRecord& r = n->record;
        const ActionCode ac = r.AC;
        if (ac == DEL_M && !(r.db && r.left && IsSameEntry(options, *r.left, r.db->left)))
            fail(*n, "DEL_M of a left side not in the database unchanged");
        if (ac == DEL_S && !(r.db && r.right && IsSameEntry(options, *r.right, r.db->right)))
            fail(*n, "DEL_S of a right side not in the database unchanged");
        const bool deletesDirectory = (ac == DEL_M && IsDirectory(r.left)) || (ac == DEL_S && IsDirectory(r.right));
        if (deletesDirectory) {
            for (FSTreeNode* d : FSTree::Subtree(n))
                if (d->record.AC == CP_M || d->record.AC == CP_S) fail(*n, "directory deleted while copying below it");
            // Removing a directory removes only an empty one: whatever lies below it on that
            // side must go too, or the removal fails on every run.
            for (FSTreeNode* d : FSTree::Subtree(n)) {
                const bool keeps =
                    ac == DEL_M ? d->record.left && d->record.AC != DEL_M : d->record.right && d->record.AC != DEL_S;
                if (keeps) fail(*n, "directory deleted while " + FSTree::GetNodePath(d).ToUtf8() + " stays below it");
            }
        }
        const FSTreeNode* p = n->parent;
        if (!p->IsRoot()) {
            if (ac == CP_M && !IsDirectory(p->record.right) && p->record.AC != CP_M)
                fail(*n, "copied to the right without its directory there");
            if (ac == CP_S && !IsDirectory(p->record.left) && p->record.AC != CP_S)
                fail(*n, "copied to the left without its directory there");
        }
        const bool changes = ac == CP_M || ac == CP_S || ac == DEL_M || ac == DEL_S || ac == UPDATE_D;
        if (Unseen(*n) && (changes || ac == DEL_D)) fail(*n, "unseen entry changed");
        if (ProtectedByRules(*n, g.rules) && ac != SKIP && ac != EQUAL && ac != DEL_D)
            fail(*n, "protected entry not skipped");
    }
    return out;
}

TEST(DecisionPropertyTest, ScanPassesKeepTheRulesThatProtectData) {
    std::string smallest;
    std::size_t smallestSize = SIZE_MAX;
    int failures = 0;
    for (unsigned seed = 1; seed <= 4000; ++seed) {
        Generated g;
        Generator(seed).Fill(g);
        // Exact comparison, or the tolerance and archive setting a profile may have.
        ComparerOptions options;
        if (seed % 3 == 0) {
            options.SetToleranceMs(2000);
            options.SetIgnoreArchive(true);
        }
        ProtectionFilters filters;
        for (const ProtectionRule& rule : g.rules) filters.AddRule(rule.GetPattern(), rule.GetFlags());

        DecideTree(g.tree.Root(), options);
        DeriveActionCodes(g.tree.Root(), nullptr);
        ComputeBestChoice(g.tree.Root(), options, nullptr);
        if (g.firstScan) ApplyFirstScanBestChoice(g.tree.Root(), nullptr);
        filters.Apply(g.tree.Root());
        SkipProtectedEntries(g.tree.Root());

        const std::string broken = Violations(g, options);
        filters.ClearMatches();
        if (broken.empty()) continue;
        ++failures;
        if (g.size < smallestSize) {
            smallestSize = g.size;
            smallest = "seed " + std::to_string(seed) + (g.firstScan ? " (first scan)" : "") + "\n" + g.rulesText +
                       g.tree.Dump() + broken;
        }
    }
    EXPECT_EQ(failures, 0) << "smallest failing tree:\n" << smallest;
}

}  // namespace
