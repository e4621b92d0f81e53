// The engine's adaptors: each profile's database reads its own preferences, at every
// call, and the index travels as a CProxy.
#include "app/core_adaptors.h"

#include <gtest/gtest.h>

#include "app/preferences.h"
#include "engine/sync_database.h"
#include "platform/core/file_system.h"
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
