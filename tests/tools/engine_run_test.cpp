// engine-run as its callers use it: the escaped plan lines, the exit codes, and a create,
// sync and rescan over real directories, run in process through engine_run::Run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tools/engine-run/engine_run.h"
#include "tools/engine-run/output_text.h"

namespace fs = std::filesystem;

namespace {

TEST(EngineRunOutput, EscapesWhatWouldBreakALine) {
    struct Case {
        std::u16string text;
        std::string expected;
    } cases[] = {
        {u"DOCS\\NOTES.TXT", "DOCS\\NOTES.TXT"},
        {u"A\nB\tC", "A%0AB%09C"},
        {u"100%", "100%25"},
        {u"\x7f", "%7F"},
        {u"\u00c4RGER", "\xc3\x84RGER"},
        {std::u16string{u'X', char16_t(0xDCFF), u'Y'}, "X%FFY"},   // a byte that was not UTF-8
        {std::u16string{char16_t(0xD83D), char16_t(0xDE00)}, "\xf0\x9f\x98\x80"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, EscapeForOutput(c.text));
}

class EngineRunTool : public testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("wk-engine-run-" + std::to_string(rd()));
        fs::create_directories(dir_ / "left" / "docs");
        fs::create_directories(dir_ / "right");
        std::ofstream(dir_ / "left" / "docs" / "notes.txt") << "first draft";
        profile_ = (dir_ / "p.kem").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    int Run(std::vector<std::string> args) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const int rc = engine_run::Run(args, out, err);
        out_ = ReadAll(out);
        err_ = ReadAll(err);
        return rc;
    }
    static std::string ReadAll(std::FILE* f) {
        std::string s;
        std::rewind(f);
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
        std::fclose(f);
        return s;
    }

    fs::path dir_;
    std::string profile_;
    std::string out_, err_;
};

TEST_F(EngineRunTool, BadUsageAndMissingProfiles) {
    EXPECT_EQ(engine_run::kExitUsage, Run({}));
    EXPECT_EQ(engine_run::kExitUsage, Run({"frobnicate", profile_}));
    EXPECT_EQ(engine_run::kExitUsage, Run({"scan", profile_, "--set", "NoSuchSetting=1"}));
    EXPECT_EQ(engine_run::kExitUsage, Run({"scan", profile_, "--set", "CopyTraditional=2"}));
    EXPECT_EQ(engine_run::kExitUsage, Run({"create", profile_}));
    EXPECT_EQ(engine_run::kExitProfile, Run({"scan", profile_}));
    EXPECT_EQ(engine_run::kExitProfile, Run({"create", profile_, (dir_ / "nowhere").string(), (dir_ / "right").string()}));
}

TEST_F(EngineRunTool, CreateSyncAndRescan) {
    const std::string left = (dir_ / "left").string(), right = (dir_ / "right").string();
    ASSERT_EQ(engine_run::kExitFinished, Run({"create", profile_, left, right})) << err_;
    EXPECT_EQ(engine_run::kExitProfile, Run({"create", profile_, left, right})) << "an existing profile is refused";

    ASSERT_EQ(engine_run::kExitFinished, Run({"scan", profile_})) << err_;
    EXPECT_EQ("CP_M\tCREATED\tDOCS\nCP_M\tCREATED\tDOCS\\NOTES.TXT\n", out_);
    EXPECT_FALSE(fs::exists(dir_ / "right" / "docs")) << "scan writes nothing";

    ASSERT_EQ(engine_run::kExitFinished, Run({"sync", profile_, "--ambiguous=best"})) << err_;
    EXPECT_EQ("CP_M\tDONE\tDOCS\nCP_M\tDONE\tDOCS\\NOTES.TXT\n", out_);
    std::ifstream copy(dir_ / "right" / "docs" / "notes.txt");
    std::string text((std::istreambuf_iterator<char>(copy)), std::istreambuf_iterator<char>());
    EXPECT_EQ("first draft", text);

    ASSERT_EQ(engine_run::kExitFinished, Run({"scan", profile_, "--stats"})) << err_;
    EXPECT_EQ("EQUAL\tCREATED\tDOCS\nEQUAL\tCREATED\tDOCS\\NOTES.TXT\n", out_);
    EXPECT_NE(std::string::npos, err_.find("peak resident"));

    ASSERT_EQ(engine_run::kExitFinished, Run({"dump", profile_}));
    EXPECT_NE(std::string::npos, out_.find("\"DOCS\\NOTES.TXT\""));
}

TEST_F(EngineRunTool, LinksAreSkippedAndAVanishedRootCancels) {
    const std::string left = (dir_ / "left").string(), right = (dir_ / "right").string();
    ASSERT_EQ(engine_run::kExitFinished, Run({"create", profile_, left, right}));
    // A symbolic link cannot be synchronised: it is reported as a warning, not an error.
    fs::create_symlink(dir_ / "left" / "docs", dir_ / "left" / "link");
    EXPECT_EQ(engine_run::kExitFinished, Run({"scan", profile_}));
    EXPECT_NE(std::string::npos, out_.find("SKIP\tCREATED\tLINK"));
    // A root that vanished is an error and the scan ends as cancelled.
    ASSERT_EQ(engine_run::kExitFinished, Run({"sync", profile_, "--ambiguous=best"}));
    fs::remove_all(dir_ / "right");
    EXPECT_EQ(engine_run::kExitCancelled, Run({"sync", profile_}));
    EXPECT_TRUE(fs::exists(dir_ / "left" / "docs" / "notes.txt")) << "nothing deleted on the left";
}

// Temporary files that killed saves of this profile left beside it go with the next load
// (a scan saves nothing) and the next save; another profile's and a user's file stay.
TEST_F(EngineRunTool, LeftoversOfKilledSavesGoWithTheNextLoadAndSave) {
    const std::string left = (dir_ / "left").string(), right = (dir_ / "right").string();
    ASSERT_EQ(engine_run::kExitFinished, Run({"create", profile_, left, right})) << err_;
    auto leave = [&](const char* name) { std::ofstream(dir_ / name) << "part of a profile"; };
    for (const char* name : {".p.kem.wk~0000abcd", ".p.kem.wk~1111efgh", ".q.kem.wk~0000abcd", "p.kem.old"})
        leave(name);
    ASSERT_EQ(engine_run::kExitFinished, Run({"scan", profile_})) << err_;
    EXPECT_FALSE(fs::exists(dir_ / ".p.kem.wk~0000abcd"));
    EXPECT_FALSE(fs::exists(dir_ / ".p.kem.wk~1111efgh"));
    leave(".p.kem.wk~2222ijkl");
    ASSERT_EQ(engine_run::kExitFinished, Run({"sync", profile_, "--ambiguous=best"})) << err_;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".q.kem.wk~0000abcd", "left", "p.kem", "p.kem.old", "right"}));
}

}  // namespace
