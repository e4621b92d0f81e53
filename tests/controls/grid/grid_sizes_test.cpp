#include "controls/grid/grid_sizes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

// The answers of a plain vector, summed entry by entry.
struct PlainSizes {
    std::vector<int> v;
    std::int64_t Position(int i) const {
        std::int64_t s = 0;
        for (int k = 0; k < i && k < static_cast<int>(v.size()); ++k) s += v[static_cast<std::size_t>(k)];
        return s;
    }
    int IndexAt(std::int64_t pos) const {
        std::int64_t s = 0;
        for (std::size_t k = 0; k < v.size(); ++k) {
            if (pos >= s && pos < s + v[k]) return static_cast<int>(k);
            s += v[k];
        }
        return -1;
    }
    int FirstAtOrAfter(std::int64_t pos) const {
        for (int k = 0; k <= static_cast<int>(v.size()); ++k)
            if (Position(k) >= pos) return k;
        return -1;
    }
    int NextShown(int i) const {
        if (i < -1) return -1;
        for (int k = i + 1; k < static_cast<int>(v.size()); ++k)
            if (v[static_cast<std::size_t>(k)] > 0) return k;
        return -1;
    }
    int PreviousShown(int i) const {
        if (i > static_cast<int>(v.size())) return -1;
        for (int k = i - 1; k >= 0; --k)
            if (v[static_cast<std::size_t>(k)] > 0) return k;
        return -1;
    }
    int ShownBefore(int i) const {
        int n = 0;
        for (int k = 0; k < i && k < static_cast<int>(v.size()); ++k) n += v[static_cast<std::size_t>(k)] > 0 ? 1 : 0;
        return n;
    }
    int NthShown(int n) const {
        for (std::size_t k = 0; k < v.size(); ++k)
            if (v[k] > 0 && --n == 0) return static_cast<int>(k);
        return -1;
    }
};

TEST(GridSizesTest, AgreesWithPlainSumsThroughRandomEdits) {
    std::mt19937 rng(19);
    GridSizes sizes;
    PlainSizes plain;
    auto size = [&] { return rng() % 3 == 0 ? 0 : static_cast<int>(rng() % 40); };
    for (int step = 0; step < 3000; ++step) {
        const int n = sizes.GetCount();
        switch (rng() % 5) {
            case 0: {
                const int i = n ? static_cast<int>(rng() % n) : 0;
                const int s = size();
                ASSERT_EQ(sizes.Set(i, s), n > 0);
                if (n) plain.v[static_cast<std::size_t>(i)] = s;
                break;
            }
            case 1: {
                const int i = static_cast<int>(rng() % (n + 1)), s = size();
                ASSERT_TRUE(sizes.Insert(i, s));
                plain.v.insert(plain.v.begin() + i, s);
                break;
            }
            case 2:
                if (n) {
                    const int i = static_cast<int>(rng() % n);
                    ASSERT_TRUE(sizes.Erase(i));
                    plain.v.erase(plain.v.begin() + i);
                }
                break;
            case 3: {
                const int c = static_cast<int>(rng() % 60), s = size();
                ASSERT_TRUE(sizes.Resize(c, s));
                plain.v.resize(static_cast<std::size_t>(c), s);
                break;
            }
            default:
                break;
        }
        ASSERT_EQ(sizes.GetCount(), static_cast<int>(plain.v.size()));
        const std::int64_t total = plain.Position(sizes.GetCount());
        ASSERT_EQ(sizes.Total(), total);
        for (int probe = 0; probe < 4; ++probe) {
            const int i = static_cast<int>(rng() % (sizes.GetCount() + 2)) - 1;
            const std::int64_t pos = static_cast<std::int64_t>(rng() % (total + 3)) - 1;
            ASSERT_EQ(sizes.Get(i), i >= 0 && i < sizes.GetCount() ? plain.v[static_cast<std::size_t>(i)] : -1);
            ASSERT_EQ(sizes.Position(i), plain.Position(std::max(i, 0)));
            ASSERT_EQ(sizes.IndexAt(pos), plain.IndexAt(pos)) << "pos " << pos;
            ASSERT_EQ(sizes.FirstAtOrAfter(pos), plain.FirstAtOrAfter(pos)) << "pos " << pos;
            ASSERT_EQ(sizes.NextShown(i), plain.NextShown(i)) << "index " << i;
            ASSERT_EQ(sizes.PreviousShown(i + 1), plain.PreviousShown(i + 1)) << "index " << i + 1;
            ASSERT_EQ(sizes.ShownBefore(i + 1), plain.ShownBefore(std::max(i + 1, 0))) << "index " << i + 1;
            const int nth = static_cast<int>(rng() % (sizes.GetCount() + 2));
            ASSERT_EQ(sizes.NthShown(nth), nth < 1 ? -1 : plain.NthShown(nth)) << "n " << nth;
        }
    }
}

TEST(GridSizesTest, RefusesBadIndexesAndNegativeSizes) {
    GridSizes sizes;
    sizes.Resize(3, 10);
    EXPECT_FALSE(sizes.Set(3, 1));
    EXPECT_FALSE(sizes.Set(-1, 1));
    EXPECT_FALSE(sizes.Set(0, -1));
    EXPECT_FALSE(sizes.Insert(4, 1));
    EXPECT_FALSE(sizes.Insert(0, -5));
    EXPECT_FALSE(sizes.Erase(3));
    EXPECT_FALSE(sizes.Resize(-1, 0));
    EXPECT_EQ(sizes.Total(), 30);
    EXPECT_EQ(sizes.Sum(2, 1), 0);
    EXPECT_EQ(sizes.Sum(-5, 99), 30);
}

TEST(GridSizesTest, MillionRowsOfHugeHeightsSumPastTheIntRange) {
    GridSizes sizes;
    sizes.Resize(1000000, 1 << 30);
    for (int i = 0; i < 1000000; i += 2) sizes.Set(i, 0);
    EXPECT_EQ(sizes.Total(), std::int64_t{500000} << 30);
    EXPECT_EQ(sizes.IndexAt((std::int64_t{250000} << 30) + 5), 500001);
    EXPECT_EQ(sizes.NextShown(500001), 500003);
    EXPECT_EQ(sizes.PreviousShown(500001), 499999);
    EXPECT_EQ(sizes.FirstAtOrAfter(sizes.Total()), 1000000);
    EXPECT_EQ(sizes.FirstAtOrAfter(sizes.Total() + 1), -1);
}

}  // namespace
