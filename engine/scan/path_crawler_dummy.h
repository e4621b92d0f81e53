#pragma once
// PathCrawlerDummy: hands out a generated pseudo-random tree of a given number of
// entries instead of walking a file system (the profile's test pattern count). It
// touches no file system.
//
// The tree comes from TestPatternRandom, a linear congruential generator of our own, so
// it is the same on every platform and with every C library: with an even count the
// tree is always the same, with an odd count it depends on the root path.
//
// Entry names are "Dir_%03i ex%stra long" or "File_%03i ex%stra long": the entry's number
// among its siblings (from 1) and a run of 0 to 9 'x'. An entry is a directory exactly
// when the entry after it is deeper. Depths stay below the maximum depth (10).
#include <cstdint>
#include <vector>

#include "engine/scan/path_crawler_base.h"

// The generator: state' = state * 214013 + 2531011 (mod 2^32); each draw returns bits
// 16 to 30 of the new state, a value from 0 to 32767. Seed(s) sets the state to s.
class TestPatternRandom {
public:
    static constexpr int kMax = 32767;
    void Seed(std::uint32_t seed) { state_ = seed; }
    int Draw() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t state_ = 1;
};

class PathCrawlerDummy : public PathCrawlerBase {
public:
    static constexpr int kDefaultMaxDepth = 10;
    // The most entries a generated tree has: the count comes from a profile file or a
    // preference page, and a tree of billions would exhaust the memory.
    static constexpr std::uint32_t kMaxCount = 1000000;
    // count is bounded to kMaxCount.
    explicit PathCrawlerDummy(std::uint32_t count, int maxDepth = kDefaultMaxDepth);

    bool IsValid() const override { return index_ < count_; }
    bool IsComplete() const override { return !IsValid(); }
    bool Start(const CString& root, ErrorInfo* error) override;
    bool Next(bool* skipped, ErrorInfo* error) override;
    void SkipChildren() override { skipChildren_ = true; }
    int Depth() const override { return IsValid() ? depths_[index_] : 0; }
    const CString& Name() const override { return data_.name; }
    const plat::FindData& FindData() const override { return data_; }
    void FullPath(CString& out) const override;
    void SetIgnoreAccessDenied(bool) override {}
    bool GetIgnoreAccessDenied() const override { return false; }

private:
    bool Advance();
    void Generate();

    std::uint32_t count_;
    int maxDepth_;
    std::uint32_t index_;
    CString root_;
    std::vector<std::uint8_t> depths_;   // one per entry
    std::vector<int> counters_;          // per depth: number of the current entry among its siblings
    plat::FindData data_;
    TestPatternRandom random_;
    bool skipChildren_ = false;
};
