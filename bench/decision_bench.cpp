// The decision and filter passes over large trees, and the wildcard matcher on the
// patterns that are exponential for a recursive matcher.
//   decision_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/decision/best_choice.h"
#include "engine/decision/decision.h"
#include "engine/filters/protection_filters.h"
#include "engine/filters/wildcard.h"
#include "engine/tree/fs_tree.h"
#include "engine/tree/sync_record.h"

namespace {

// "*A*A*A*A*A*A*B" against n 'A's: no match, the worst case of the matcher.
void BM_WildcardManyStars(benchmark::State& state) {
    const std::u16string text(std::size_t(state.range(0)), u'A');
    for (auto _ : state) benchmark::DoNotOptimize(WildcardMatch(u"*A*A*A*A*A*A*B", text, true));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_WildcardManyStars)->RangeMultiplier(4)->Range(64, 16384)->Complexity();

// A tree of `fanout` entries per directory, `depth` levels, every entry on both sides and
// in the database, the left side newer for every fifth file.
std::unique_ptr<FSTree> MakeTree(int fanout, int depth) {
    auto tree = std::make_unique<FSTree>();
    plat::FindData dir;
    dir.attributes = 0x10;
    dir.creationTime = 133000000000000000ULL;
    plat::FindData file;
    file.attributes = 0x20;
    file.lastWriteTime = 133000000000000000ULL;
    file.SetSize(1000);
    int count = 0;
    auto fill = [&](auto& self, FSTreeNode* parent, int level) -> void {
        for (int i = 0; i < fanout; ++i) {
            const bool isDir = level + 1 < depth && i < fanout / 4;
            FSTreeNode* n = FSTree::FindOrInsertChild(parent, CString::Format(u"entry_%04i", i).view());
            plat::FindData& d = isDir ? dir : file;
            d.name = CString::Format(u"entry_%04i", i);
            n->record.SetRightStamp(d);
            n->record.SetDatabaseStamps(FileStamp(d), FileStamp(d));
            plat::FindData left = d;
            if (!isDir && ++count % 5 == 0) left.lastWriteTime += 10000000;
            n->record.SetLeftStamp(left);
            n->record.SetPath(FSTree::GetNodePath(n).view());
            if (isDir) self(self, n, level + 1);
        }
    };
    fill(fill, tree->GetRoot(), 0);
    return tree;
}

void BM_DecisionPasses(benchmark::State& state) {
    auto tree = MakeTree(20, 5);
    std::size_t nodes = 0;
    for (FSTreeNode* n : FSTree::Subtree(tree->GetRoot())) nodes += n != nullptr;
    const ComparerOptions options;
    for (auto _ : state) {
        DecideTree(*tree->GetRoot(), options);
        DeriveActionCodes(*tree->GetRoot(), nullptr);
        ComputeBestChoice(*tree->GetRoot(), options, nullptr);
    }
    state.counters["entries"] = double(nodes);
    state.counters["entries/s"] = benchmark::Counter(double(nodes), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DecisionPasses)->Unit(benchmark::kMillisecond);

// "*" matches every entry and every ancestor of it: each node must get the rule once.
void BM_ApplyStarRule(benchmark::State& state) {
    auto tree = MakeTree(20, 5);
    DecideTree(*tree->GetRoot(), ComparerOptions());
    std::size_t nodes = 0;
    for (FSTreeNode* n : FSTree::Subtree(tree->GetRoot())) nodes += n != nullptr;
    ProtectionFilters filters;
    filters.AddRule(u"*", ProtectionRule::ACTIVE);
    filters.AddRule(u"*0003*", ProtectionRule::ACTIVE | ProtectionRule::EXCLUSION);
    for (auto _ : state) filters.Apply(*tree->GetRoot());
    if (filters.Entries().front()->nodes.size() != nodes) state.SkipWithError("a node got the rule twice");
    filters.ClearMatches();
    state.counters["entries"] = double(nodes);
}
BENCHMARK(BM_ApplyStarRule)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
