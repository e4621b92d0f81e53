#include "engine/scan/path_crawler_dummy.h"

#include <algorithm>

namespace {

// A new depth is drawn with this percentage of the draws staying at the same level.
constexpr int kSameLevelPercent = 30;

}  // namespace

PathCrawlerDummy::PathCrawlerDummy(std::uint32_t count, int maxDepth)
    : count_(std::min(count, kMaxCount)), maxDepth_(std::clamp(maxDepth, 1, 255)), index_(count_) {}

bool PathCrawlerDummy::Start(const CString& root, ErrorInfo* /*error*/) {
    root_ = root;
    if (!root_.EndsWith(u'/')) root_ += u'/';
    data_ = plat::FindData();
    skipChildren_ = false;
    std::uint32_t seed = 1;
    if (count_ % 2 == 1) {
        seed = 0;
        for (char16_t c : root.view()) seed ^= c;
    }
    random_.Seed(seed);

    depths_.assign(count_, 0);
    const int threshold = 10 * kSameLevelPercent / 100;
    for (std::uint32_t i = 1; i < count_; ++i) {
        const int previous = depths_[i - 1];
        const int r = random_.Draw() % 10;
        int depth = previous;
        if (r > threshold) depth = std::min({r, previous + 1, maxDepth_ - 1});
        depths_[i] = static_cast<std::uint8_t>(depth);
    }
    counters_.assign(static_cast<std::size_t>(maxDepth_), 0);
    index_ = 0;
    if (count_ == 0) return false;
    counters_[depths_[0]] += 1;
    Generate();
    return true;
}

bool PathCrawlerDummy::Advance() {
    const int previous = depths_[index_];
    if (++index_ >= count_) return false;
    const int depth = depths_[index_];
    counters_[depth] += 1;
    for (int level = depth + 1; level <= previous; ++level) counters_[level] = 0;
    return true;
}

bool PathCrawlerDummy::Next(bool* skipped, ErrorInfo* /*error*/) {
    if (skipped) *skipped = false;
    if (!IsValid()) return false;
    const int depth = depths_[index_];
    const bool skip = skipChildren_;
    skipChildren_ = false;
    if (!Advance()) return false;
    while (skip && depths_[index_] > depth) {
        if (!Advance()) return false;
    }
    Generate();
    return true;
}

void PathCrawlerDummy::Generate() {
    const bool directory = index_ + 1 < count_ && depths_[index_ + 1] > depths_[index_];
    std::uint32_t attributes = static_cast<std::uint32_t>(random_.Draw());
    attributes = directory ? (attributes | plat::FILE_ATTRIBUTE_DIRECTORY) : (attributes & ~plat::FILE_ATTRIBUTE_DIRECTORY);
    data_.attributes = attributes;
    data_.kind = directory ? plat::EntryKind::Directory : plat::EntryKind::File;
    data_.mode = directory ? 0755 : 0644;
    data_.creationTime = static_cast<FileTime>(random_.Draw());
    data_.lastAccessTime = static_cast<FileTime>(random_.Draw());
    data_.lastWriteTime = static_cast<FileTime>(random_.Draw());
    if (directory) {
        data_.sizeHigh = 0;
        data_.sizeLow = 0;
    } else {
        data_.sizeHigh = static_cast<std::uint32_t>(random_.Draw() % 15);
        data_.sizeLow = static_cast<std::uint32_t>(random_.Draw());
    }
    const CString xs(static_cast<CString::size_type>(random_.Draw() % 10), u'x');
    data_.name = CString::Format(u"%s_%03i ex%stra long", directory ? u"Dir" : u"File", counters_[depths_[index_]], xs);
}

void PathCrawlerDummy::FullPath(CString& out) const {
    out = root_;
    if (!IsValid()) return;
    const int depth = depths_[index_];
    for (int level = 0; level <= depth; ++level) {
        const bool dir = level < depth || data_.IsDirectory();
        out.AppendFormat(u"%s_%03i", dir ? u"Dir" : u"File", counters_[level]);
        if (level < depth) out += u'/';
    }
}
