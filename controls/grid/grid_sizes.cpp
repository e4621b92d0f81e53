#include "controls/grid/grid_sizes.h"

#include <algorithm>

// A Fenwick tree keeps each prefix sum in O(log n): tree_[i] holds the sum of the
// (i & -i) sizes ending at entry i (1-based). A size change walks up the tree; an insert or
// erase shifts every later entry, so it only marks the tree stale and the next query rebuilds
// it in O(n), which keeps a batch of row inserts at one rebuild.

int GridSizes::Get(int index) const {
    if (index < 0 || index >= GetCount()) return -1;
    return sizes_[static_cast<std::size_t>(index)];
}

bool GridSizes::Set(int index, int size) {
    if (index < 0 || index >= GetCount() || size < 0) return false;
    const std::int64_t delta = std::int64_t{size} - sizes_[static_cast<std::size_t>(index)];
    sizes_[static_cast<std::size_t>(index)] = size;
    if (!dirty_ && delta != 0) {
        const std::size_t n = sizes_.size();
        const int shownDelta = (size > 0 ? 1 : 0) - (size - delta > 0 ? 1 : 0);
        for (std::size_t i = static_cast<std::size_t>(index) + 1; i <= n; i += i & (~i + 1)) {
            tree_[i] += delta;
            shown_[i] += shownDelta;
        }
    }
    return true;
}

bool GridSizes::Resize(int count, int size) {
    if (count < 0 || size < 0) return false;
    if (count == GetCount()) return true;
    sizes_.resize(static_cast<std::size_t>(count), size);
    dirty_ = true;
    return true;
}

bool GridSizes::Insert(int index, int size) {
    if (index < 0 || index > GetCount() || size < 0) return false;
    sizes_.insert(sizes_.begin() + index, size);
    dirty_ = true;
    return true;
}

bool GridSizes::Erase(int index) {
    if (index < 0 || index >= GetCount()) return false;
    sizes_.erase(sizes_.begin() + index);
    dirty_ = true;
    return true;
}

void GridSizes::Clear() {
    sizes_.clear();
    dirty_ = true;
}

void GridSizes::Build() const {
    const std::size_t n = sizes_.size();
    tree_.assign(n + 1, 0);
    shown_.assign(n + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) {
        tree_[i] += sizes_[i - 1];
        shown_[i] += sizes_[i - 1] > 0 ? 1 : 0;
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= n) {
            tree_[parent] += tree_[i];
            shown_[parent] += shown_[i];
        }
    }
    topBit_ = 0;
    for (std::size_t bit = 1; bit <= n; bit <<= 1) topBit_ = static_cast<int>(bit);
    dirty_ = false;
}

std::int64_t GridSizes::Position(int index) const {
    if (dirty_) Build();
    std::size_t i = static_cast<std::size_t>(std::clamp(index, 0, GetCount()));
    std::int64_t sum = 0;
    for (; i > 0; i &= i - 1) sum += tree_[i];
    return sum;
}

std::int64_t GridSizes::Sum(int first, int last) const {
    first = std::max(first, 0);
    last = std::min(last, GetCount() - 1);
    if (first > last) return 0;
    return Position(last + 1) - Position(first);
}

int GridSizes::CountBelow(std::int64_t limit, bool orEqual) const {
    if (dirty_) Build();
    const std::size_t n = sizes_.size();
    std::size_t pos = 0;
    std::int64_t rest = limit;
    for (std::size_t step = static_cast<std::size_t>(topBit_); step > 0; step >>= 1) {
        const std::size_t next = pos + step;
        if (next <= n && (orEqual ? tree_[next] <= rest : tree_[next] < rest)) {
            pos = next;
            rest -= tree_[next];
        }
    }
    return static_cast<int>(pos);
}

int GridSizes::IndexAt(std::int64_t pos) const {
    if (pos < 0) return -1;
    // The entries whose sums stay <= pos lie wholly before it (zero sizes after them too);
    // the entry after them is the one that holds pos.
    const int k = CountBelow(pos, true);
    return k < GetCount() ? k : -1;
}

int GridSizes::FirstAtOrAfter(std::int64_t pos) const {
    if (pos <= 0) return 0;
    const int k = CountBelow(pos, false);  // Position(k) < pos <= Position(k + 1)
    return k < GetCount() ? k + 1 : -1;
}

int GridSizes::NextShown(int index) const {
    if (index < -1 || index >= GetCount()) return -1;
    return IndexAt(Position(index + 1));
}

int GridSizes::PreviousShown(int index) const {
    if (index < 0 || index > GetCount()) return -1;
    const std::int64_t start = Position(index);
    return start > 0 ? IndexAt(start - 1) : -1;
}

int GridSizes::ShownBefore(int index) const {
    if (dirty_) Build();
    std::size_t i = static_cast<std::size_t>(std::clamp(index, 0, GetCount()));
    int count = 0;
    for (; i > 0; i &= i - 1) count += shown_[i];
    return count;
}

int GridSizes::NthShown(int n) const {
    if (dirty_) Build();
    if (n < 1) return -1;
    const std::size_t size = sizes_.size();
    std::size_t pos = 0;
    int rest = n;
    // The largest prefix with fewer than n shown entries; the entry after it is the n-th.
    for (std::size_t step = static_cast<std::size_t>(topBit_); step > 0; step >>= 1) {
        const std::size_t next = pos + step;
        if (next <= size && shown_[next] < rest) {
            pos = next;
            rest -= shown_[next];
        }
    }
    return pos < size ? static_cast<int>(pos) : -1;
}
