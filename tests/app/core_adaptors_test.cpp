// The engine's adaptors: each profile's database reads its own preferences, at every
// call, and the index travels as a CProxy.
#include "app/core_adaptors.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <map>
#include <vector>

#include "app/preferences.h"
#include "engine/log/logger.h"
#include "engine/sync_database.h"
#include "engine/watcher.h"
#include "platform/core/file_system.h"
#include "resources/string_ids.h"
#include "tests/engine/support/kit.h"
#include "tests/support/temp_dir.h"

namespace {

// Two roots with one file whose sides differ only in time, by 1.5 s.
class AdaptorTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.WriteFile("left/a.txt", "same");
        dir_.WriteFile("right/a.txt", "same");
        const FileTime t = GetSystemTimeAsFileTime() - 100 * kFileTimeUnitsPerSecond;
        const FileTime later = t + 15 * kFileTimeUnitsPerSecond / 10;
        ASSERT_TRUE(plat::PosixFs().SetFileTimes(dir_.CPath("left/a.txt"), nullptr, nullptr, &t));
        ASSERT_TRUE(plat::PosixFs().SetFileTimes(dir_.CPath("right/a.txt"), nullptr, nullptr, &later));
    }
    // The plan's code for a.txt after a scan of a fresh database with these preferences.
    ActionCode ScanCode(CSyncDataBase& db, CProxy& proxy) {
        EXPECT_EQ(db.Scan(&proxy, nullptr, false), 0u);
        for (const ProxyEntry& e : proxy.Entries()) {
            if (e.node->GetName() == u"A.TXT") return e.node->record.AC;
        }
        ADD_FAILURE() << "a.txt not in the plan";
        return INVALID;
    }
    void Create(CSyncDataBase& db) {
        ErrorInfo error;
        ASSERT_EQ(db.Create(dir_.CPath("left"), dir_.CPath("right"), error), 0);
    }

    TempDir dir_;
    CAppPreferences app_;
};

TEST_F(AdaptorTest, EachDatabaseReadsItsOwnProfilesValues) {
    CProfilePreferences tolerant, exact;
    exact.SetNumber(PREF_PRECISION_ENTRY_PAIR_COMP, 0);
    exact.SetNumber(PREF_PRECISION_TIME_STAMP_COMP, 0);
    CCorePreferences tolerantCore(&app_, &tolerant), exactCore(&app_, &exact);
    CSyncDataBase first(nullptr), second(nullptr);
    Create(first);
    Create(second);
    first.SetPreferences(&tolerantCore);
    second.SetPreferences(&exactCore);
    CProxy p1, p2;
    EXPECT_EQ(ScanCode(first, p1), UPDATE_D);  // equal within 2 s: only the database to update
    EXPECT_EQ(ScanCode(second, p2), CP_S);     // the newer right side is copied
}

TEST_F(AdaptorTest, AChangedValueCountsAtTheNextEngineCall) {
    CProfilePreferences prefs;
    CCorePreferences core(&app_, &prefs);
    CSyncDataBase db(nullptr);
    Create(db);
    db.SetPreferences(&core);
    CProxy proxy;
    EXPECT_EQ(ScanCode(db, proxy), UPDATE_D);
    prefs.SetNumber(PREF_PRECISION_ENTRY_PAIR_COMP, 0);  // as a preference page does
    prefs.SetNumber(PREF_PRECISION_TIME_STAMP_COMP, 0);
    EXPECT_EQ(ScanCode(db, proxy), CP_S);
}

// Every file and directory below dir with its contents, for "nothing was touched".
std::map<std::string, std::string> Snapshot(const TempDir& dir) {
    std::map<std::string, std::string> all;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.Path())) {
        const std::string rel = std::filesystem::relative(e.path(), dir.Path()).string();
        all[rel] = e.is_directory() ? "<dir>" : dir.ReadFile(rel);
    }
    return all;
}

TEST(TestPatternPlans, AreNeverCarriedOutOnTheRoots) {
    TempDir dir;
    dir.WriteFile("left/keep.txt", "mine");
    dir.MakeDirectory("right");
    CAppPreferences app;
    CProfilePreferences prefs;
    prefs.SetNumber(PREF_TEST_PATTERN_COUNT, 41);  // odd: the two sides' generated trees differ
    CCorePreferences core(&app, &prefs);
    CLogger logger;
    kit::LogCollector sink;
    logger.AddView(&sink);
    CSyncDataBase db(&logger);
    ErrorInfo error;
    ASSERT_EQ(db.Create(dir.CPath("left"), dir.CPath("right"), error), 0);
    db.SetPreferences(&core);
    CProxy proxy;
    ASSERT_EQ(db.Scan(&proxy, nullptr, false), 0u);
    ASSERT_TRUE(db.IsTestPatternPlan());
    int copies = 0;
    for (const ProxyEntry& e : proxy.Entries()) copies += e.node->record.AC == CP_M || e.node->record.AC == CP_S;
    ASSERT_GT(copies, 0);  // a plan that would write to the roots

    const auto before = Snapshot(dir);
    Watcher watcher;
    sink.Clear();
    EXPECT_EQ(db.Execute(proxy, watcher), RUN_FINISHED_WITH_ERRORS);
    EXPECT_EQ(Snapshot(dir), before);
    EXPECT_EQ(sink.Codes(), std::vector<std::uint32_t>{IDS_ERR_TEST_PATTERN_PLAN});
    for (const ProxyEntry& e : proxy.Entries()) EXPECT_FALSE(e.node->record.IsInDatabase());

    // The next scan of the real roots gives a plan that is carried out.
    prefs.SetNumber(PREF_TEST_PATTERN_COUNT, 0);
    ASSERT_EQ(db.Scan(&proxy, nullptr, false), 0u);
    EXPECT_FALSE(db.IsTestPatternPlan());
    EXPECT_EQ(db.Execute(proxy, watcher), RUN_FINISHED);
    EXPECT_EQ(dir.ReadFile("right/keep.txt"), "mine");
    logger.RemoveView(&sink);
}

TEST(CopyBufferSizes, ZeroAndMinusOneStillCopyAndCompare) {
    for (const int size : {0, -1, 1, INT_MAX}) {
        SCOPED_TRACE(size);
        TempDir dir;
        dir.WriteFile("left/new.txt", std::string(300000, 'n'));  // more than one default buffer
        dir.WriteFile("left/cmp.txt", "aaaa");
        dir.WriteFile("right/cmp.txt", "bbbb");
        const FileTime t = GetSystemTimeAsFileTime() - 100 * kFileTimeUnitsPerSecond;
        for (const char* side : {"left/cmp.txt", "right/cmp.txt"}) {
            ASSERT_TRUE(plat::PosixFs().SetFileTimes(dir.CPath(side), nullptr, nullptr, &t));
        }
        CAppPreferences app;
        CProfilePreferences prefs;
        prefs.SetNumber(PREF_COPY_BUFFER_SIZE, size);
        prefs.SetBool(PREF_COPY_TRADITIONAL, true);  // the own copy, which uses the buffer
        CCorePreferences core(&app, &prefs);
        CSyncDataBase db(nullptr);
        ErrorInfo error;
        ASSERT_EQ(db.Create(dir.CPath("left"), dir.CPath("right"), error), 0);
        db.SetPreferences(&core);
        CProxy proxy;
        ASSERT_EQ(db.Scan(&proxy, nullptr, true), 0u);
        for (const ProxyEntry& e : proxy.Entries()) {
            if (e.node->GetName() == u"CMP.TXT") {
                EXPECT_EQ(e.node->record.GetContentState(), CONTENT_DIFFERENT);
            }
        }
        Watcher watcher;
        EXPECT_EQ(db.Execute(proxy, watcher), RUN_FINISHED);
        EXPECT_EQ(dir.ReadFile("right/new.txt"), std::string(300000, 'n'));
    }
}

TEST(CorePreferences, EveryAnswerComesFromTheProfileStore) {
    CAppPreferences app;
    CProfilePreferences prefs;
    CCorePreferences core(&app, &prefs);
    EXPECT_EQ(core.GetAppPreferences(), &app);
    // The defaults of the key table, not the engine's built-in zeros.
    EXPECT_EQ(core.GetTestPatternCount(), 0);
    EXPECT_EQ(core.GetAutoRetryDelayOnError(), 50);
    EXPECT_TRUE(core.GetIgnoreArchiveBit());
    EXPECT_TRUE(core.GetIgnoreInaccessibleDirs());
    EXPECT_EQ(core.GetCopyBufferSize(), 262144);
    EXPECT_FALSE(core.GetCopyTraditional());
    EXPECT_EQ(core.GetPrecisionTimeStampComp(), 2000);
    EXPECT_EQ(core.GetPrecisionEntryPairComp(), 2000);
    // Numbers unchanged, flags true for any non-zero value.
    prefs.SetNumber(PREF_TEST_PATTERN_COUNT, -5);
    prefs.SetNumber(PREF_COPY_BUFFER_SIZE, -1);
    prefs.SetNumber(PREF_IGNORE_ARCHIVE_BIT, 7);
    prefs.SetNumber(PREF_IGNORE_INACCESSIBLE_DIRS, 0);
    EXPECT_EQ(core.GetTestPatternCount(), -5);
    EXPECT_EQ(core.GetCopyBufferSize(), -1);
    EXPECT_TRUE(core.GetIgnoreArchiveBit());
    EXPECT_FALSE(core.GetIgnoreInaccessibleDirs());
}

TEST(CProxyHint, AnIndexNeverFilledIsEmptyAndGoesCleanly) {
    auto proxy = std::make_unique<CProxy>();
    Proxy* base = proxy.get();
    EXPECT_TRUE(base->IsEmpty());
    EXPECT_EQ(base->GetCount(), 0u);
    proxy.reset();  // destroyed without ever being filled
}

}  // namespace
