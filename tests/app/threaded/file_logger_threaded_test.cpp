#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "app/file_logger.h"
#include "tests/support/temp_dir.h"

namespace {

struct Checked {
    std::size_t lines = 0;
    bool ordered = true;
    std::string bad;   // the first line that is not whole
};

// Parses "  dddd-dd-dd dd:dd:dd.ddd [00,00000,-5]: T<thread> <n>." into thread and n.
bool ParseLine(const std::string& line, int& thread, long& n) {
    const std::string shape = "  dddd-dd-dd dd:dd:dd.ddd [00,00000,-5]: T";
    if (line.size() < shape.size() + 4) return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = line[i] >= '0' && line[i] <= '9';
        if (shape[i] == 'd' ? !digit : line[i] != shape[i]) return false;
    }
    std::size_t i = shape.size();
    if (line[i] != '0' && line[i] != '1') return false;
    thread = line[i] - '0';
    if (line[++i] != ' ') return false;
    const std::size_t first = ++i;
    n = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') n = n * 10 + (line[i++] - '0');
    return i > first && i + 1 == line.size() && line[i] == '.';
}

// Every line of text must be a whole entry "T<thread> <n>." whose numbers rise per thread.
Checked CheckLines(const std::string& text) {
    Checked r;
    long last[2] = {-1, -1};
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) nl = text.size();
        const std::string one = text.substr(pos, nl - pos);
        pos = nl + 1;
        int t = 0;
        long n = 0;
        if (!ParseLine(one, t, n)) {
            if (r.bad.empty()) r.bad = one;
            continue;
        }
        if (n <= last[t]) r.ordered = false;
        last[t] = n;
        ++r.lines;
    }
    return r;
}

TEST(FileLoggerThreaded, TwoThreadsWriteWholeLinesInOrder) {
    constexpr int kLines = 10000;
    for (std::uint32_t limit : {0u, 150000u}) {
        TempDir dir;
        CFileLogger logger;
        ASSERT_TRUE(logger.Open(dir.CPath("app.log"), true, limit, false));
        const std::string bytes0 = dir.ReadFile("app.log");
        const std::size_t preamble = bytes0.size() - 35;   // title and time-zone lines
        auto run = [&](int t) {
            for (int i = 0; i < kLines; ++i) logger.LogText(CString::Format(u"T%i %i", t, i));
        };
        std::thread a(run, 0), b(run, 1);
        a.join();
        b.join();
        logger.Close();

        const std::string bytes = dir.ReadFile("app.log");
        const std::uint64_t end = std::stoull(bytes.substr(14, 20));
        ASSERT_LE(end, bytes.size());
        if (limit == 0) {
            ASSERT_EQ(end, bytes.size());
            const Checked c = CheckLines(bytes.substr(35 + preamble));
            EXPECT_EQ(c.lines, 2u * kLines);
            EXPECT_TRUE(c.ordered);
            EXPECT_EQ(c.bad, "");
        } else {
            EXPECT_LE(bytes.size(), limit);
            // The newest pass starts with a whole line; the older pass behind it may
            // begin in the middle of one.
            const Checked newest = CheckLines(bytes.substr(35, end - 35));
            EXPECT_GT(newest.lines, 0u);
            EXPECT_TRUE(newest.ordered);
            EXPECT_EQ(newest.bad, "");
            std::string older = bytes.substr(end);
            older = older.substr(std::min(older.size(), older.find('\n') + 1));
            const Checked previous = CheckLines(older);
            EXPECT_TRUE(previous.ordered);
            EXPECT_EQ(previous.bad, "");
        }
    }
}

}  // namespace
