// Resident memory of a large record tree: 1,000,000 entries (names of 8 to 24
// characters, 20 entries per directory, 5 levels) that all have both current stamps, a
// database pair and their path set. Prints the increase of resident memory divided by
// the entries; the target is under 600 bytes per entry.
//   tree_memory_bench [entries]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/tree/fs_tree.h"

namespace {

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

std::u16string RandomName(std::mt19937& random) {
    static const char16_t kChars[] = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-";
    std::uniform_int_distribution<int> length(8, 24);
    std::uniform_int_distribution<int> pick(0, 63);
    std::u16string name(std::size_t(length(random)), u'a');
    for (char16_t& c : name) c = kChars[pick(random)];
    return name;
}

plat::FindData Listing(const std::u16string& name, bool directory, FileTime t) {
    plat::FindData d;
    d.attributes = directory ? 0x10 : 0x20;
    d.creationTime = t;
    d.lastAccessTime = t + 1;
    d.lastWriteTime = t + 2;
    d.SetSize(directory ? 0 : t % 100000);
    d.name = CString(name);
    return d;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t entries = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    constexpr int kPerDirectory = 20;
    constexpr int kLevels = 5;
    std::mt19937 random(12345);

    const long before = ResidentKiB();
    FSTree tree;
    std::vector<FSTreeNode*> level{tree.GetRoot()};
    std::size_t made = 0;
    FileTime t = 133549796967891234ULL;
    for (int depth = 0; depth < kLevels && made < entries; ++depth) {
        std::vector<FSTreeNode*> next;
        const bool directories = depth + 1 < kLevels;
        for (FSTreeNode* parent : level) {
            for (int i = 0; i < kPerDirectory && made < entries; ++i) {
                const std::u16string name = RandomName(random);
                FSTreeNode* node = FSTree::FindOrInsertChild(parent, name);
                if (node->record.left) continue;  // a random name met twice
                const plat::FindData data = Listing(name, directories, t += 977);
                // As a loaded profile gives them (two separate stamps), then the scan.
                node->record.SetDatabaseStamps(FileStamp(data), FileStamp(data));
                node->record.SetLeftStamp(data);
                node->record.SetRightStamp(data);
                node->record.SetPath(FSTree::GetNodePath(node));
                ++made;
                if (directories) next.push_back(node);
            }
        }
        level.swap(next);
    }
    level.clear();
    level.shrink_to_fit();
    const long after = ResidentKiB();

    const double perEntry = double(after - before) * 1024.0 / double(made);
    std::printf("entries: %zu\n", made);
    std::printf("sizeof FSTreeNode %zu, CSyncRecord %zu, FileStamp %zu, FileStampPair %zu\n", sizeof(FSTreeNode),
                sizeof(CSyncRecord), sizeof(FileStamp), sizeof(FileStampPair));
    std::printf("resident before %ld KiB, after %ld KiB\n", before, after);
    std::printf("resident bytes per entry: %.1f (target < 600)\n", perEntry);
    return perEntry < 600.0 ? 0 : 1;
}
