// FindOrInsertChild into one directory: 10,000 and 100,000 names, in random and in
// ascending order. Prints the times and the ratio 100,000 / 10,000, which stays under 15
// for a near-linear insertion (a quadratic one gives about 100).
//   tree_insert_bench [repetitions]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/tree/fs_tree.h"
#include "platform/core/cstring.h"

namespace {

// The names are made in the order they are inserted, so that reading them is a walk over
// memory as reading a directory listing is, and the figures measure the tree alone.
std::vector<std::u16string> Names(std::size_t n, bool ascending) {
    std::vector<int> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = int(i);
    if (!ascending) std::shuffle(order.begin(), order.end(), std::mt19937(99));
    std::vector<std::u16string> names;
    names.reserve(n);
    for (int i : order) names.push_back(CString::Format(u"file_%07i.dat", i).str());
    return names;
}

// Best of the repetitions, in seconds.
double Time(const std::vector<std::u16string>& names, int repetitions) {
    double best = 1e30;
    for (int r = 0; r < repetitions; ++r) {
        FSTree tree;
        const auto start = std::chrono::steady_clock::now();
        for (const auto& n : names) FSTree::FindOrInsertChild(tree.GetRoot(), n);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::min(best, s);
        if (tree.GetRoot()->children.size() != names.size()) std::abort();
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 5;
    bool ok = true;
    for (bool ascending : {false, true}) {
        const double small = Time(Names(10000, ascending), repetitions);
        const double large = Time(Names(100000, ascending), repetitions);
        const double ratio = large / small;
        std::printf("%-9s 10,000: %8.3f ms  100,000: %8.3f ms  ratio %.2f (target < 15)\n",
                    ascending ? "ascending" : "random", small * 1e3, large * 1e3, ratio);
        ok = ok && ratio < 15.0;
    }
    return ok ? 0 : 1;
}
