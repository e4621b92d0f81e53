#pragma once
// GridSizes: the heights of a grid's rows (or the widths of its columns) with their running
// sums, so that where an entry starts, which entry lies at a position and the total cost
// O(log n) however many entries there are and however many of them are hidden (size 0).
//
// Sizes are non-negative ints; sums are 64-bit, so a million rows of any height never
// overflow. Inserting or erasing an entry in the middle costs O(n) once: the sums are
// rebuilt on the next query, so a run of inserts or erases costs one rebuild. Not thread-safe
// (a grid and its sizes belong to the user-interface thread); queries are const but may
// rebuild the sums.
#include <cstdint>
#include <vector>

class GridSizes {
public:
    int GetCount() const { return static_cast<int>(sizes_.size()); }
    // The size of an entry; -1 for a bad index.
    int Get(int index) const;
    // False (nothing changed) for a bad index or a negative size.
    bool Set(int index, int size);
    // Keeps the first `count` entries and gives new ones `size`; a negative count or size
    // changes nothing (false).
    bool Resize(int count, int size);
    // Inserts an entry before `index` (0 <= index <= count); false otherwise.
    bool Insert(int index, int size);
    // False for a bad index.
    bool Erase(int index);
    void Clear();

    // Sum of the sizes before `index`, clamped into 0..count.
    std::int64_t Position(int index) const;
    // Sum of the sizes first..last (both included, clamped into the entries); 0 when empty.
    std::int64_t Sum(int first, int last) const;
    std::int64_t Total() const { return Position(GetCount()); }

    // The entry whose span Position(i) <= pos < Position(i + 1) holds the position (never an
    // entry of size 0); -1 for pos < 0 or pos >= Total().
    int IndexAt(std::int64_t pos) const;
    // The smallest i in 0..count with Position(i) >= pos; -1 when Total() < pos.
    int FirstAtOrAfter(std::int64_t pos) const;
    // The nearest entry after (before) `index` whose size is above 0; -1 when there is none.
    // `index` may be -1 (NextShown) or count (PreviousShown).
    int NextShown(int index) const;
    int PreviousShown(int index) const;
    // How many entries before `index` (clamped into 0..count) have a size above 0.
    int ShownBefore(int index) const;
    // The n-th entry (1-based) with a size above 0; -1 when there are fewer.
    int NthShown(int n) const;

private:
    void Build() const;
    // Largest k with (sum of the first k sizes) < limit, or <= limit when orEqual.
    int CountBelow(std::int64_t limit, bool orEqual) const;

    std::vector<int> sizes_;
    // Fenwick tree over sizes_ (1-based, tree_[0] unused); valid unless dirty_.
    mutable std::vector<std::int64_t> tree_{0};
    // The same over 1 for each entry of a size above 0.
    mutable std::vector<int> shown_{0};
    mutable bool dirty_ = false;
    mutable int topBit_ = 0;  // highest power of two <= count
};
