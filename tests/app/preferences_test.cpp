// The preference key table, the three stores, their registry and blob forms, the
// clamp-and-mark rule, the accepted exit codes and the bounds at use.
#include "app/preferences.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/pre_post_command.h"
#include "app/preference_bounds.h"
#include "app/registry_profile.h"
#include "engine/format/blob_store.h"

namespace {

enum Store { APP, PROFILE, PROJECT };

// The key table as the stored settings and profile files know it, row by row.
struct Row {
    int id;
    const char* name;
    PreferenceType type;
    int def;
    unsigned max;
    int attr;
    Store store;
};
constexpr PreferenceType B = PREF_TYPE_BOOL, I = PREF_TYPE_INT, S = PREF_TYPE_STRING;
const Row kRows[] = {
    {11, "UserLevel", I, 0, 1, 2, APP},
    {15, "PrefTreeWidth", I, 200, 0, 2, APP},
    {6, "AutoSizeCacheThreshold", I, 500, 0, 2, APP},
    {1, "OpenProjectUserSelect", B, 1, 0, 1, APP},
    {2, "AmbiguousIsNotHarmless", B, 1, 0, 1, APP},
    {4, "ShowGMT", B, 0, 0, 1, APP},
    {0, "BatchErrorRepRate", I, 3, 20, 1, APP},
    {12, "Viewer", S, 0, 0, 0, APP},
    {13, "DiffViewer", S, 0, 0, 0, APP},
    {14, "DiffViewerParmTemplate", S, 0, 0, 0, APP},
    {16, "HelpFile", S, 0, 0, 0, APP},
    {17, "Language", S, 0, 0, 0, APP},
    {21, "BalloonTrayTipsTimeout", I, 5, 0, 0, APP},
    {22, "AutoSyncEnable", B, 1, 1, 1, APP},
    {23, "AutoSyncOnError", I, 0, 1, 1, APP},
    {24, "AutoSyncOnAmbiguous", I, 0, 2, 1, APP},
    {25, "AutoSyncOnProjectOpen", I, 0, 2, 1, APP},
    {26, "LogFileEnable", B, 0, 0, 1, APP},
    {27, "LogFileTruncate", B, 0, 0, 1, APP},
    {28, "LogFileAutoSync", B, 0, 0, 1, APP},
    {29, "LogFilePath", S, 0, 0, 1, APP},
    {30, "LogFileLimit", I, 100, 0, 1, APP},
    {31, "LogWindowLimit", I, 100, 0, 1, APP},
    {32, "LogShowUTC", B, 0, 0, 1, APP},
    {8, "AutoRetryDelayOnError", I, 50, 10000, 1, PROFILE},
    {7, "TestPatternCount", I, 0, 0, 2, PROFILE},
    {9, "CopyBufferSize", I, 262144, 0, 1, PROFILE},
    {10, "CopyTraditional", B, 0, 1, 1, PROFILE},
    {5, "IgnoreArchiveBit", B, 1, 0, 1, PROFILE},
    {3, "AutoDSTCompensation", B, 1, 0, 1, PROFILE},
    {18, "HideHarmlessAfterScan", B, 0, 0, 1, PROFILE},
    {19, "SyncIgnoreErrors", B, 0, 0, 1, PROFILE},
    {20, "IgnoreInaccessibleDirs", B, 1, 0, 1, PROFILE},
    {33, "PrecisionTimeStampComp", I, 2000, 3600000, 1, PROFILE},
    {34, "PrecisionEntryPairComp", I, 2000, 3600000, 1, PROFILE},
    {35, "PreProcEnable", B, 0, 0, 1, PROJECT},
    {36, "PreProcNoWait", B, 0, 0, 1, PROJECT},
    {37, "PreProcTitle", S, 0, 0, 1, PROJECT},
    {38, "PreProcCmd", S, 0, 0, 1, PROJECT},
    {39, "PreProcDir", S, 0, 0, 1, PROJECT},
    {40, "PreProcRcOk", S, 0, 0, 1, PROJECT},
    {41, "PostProcEnable", B, 0, 0, 1, PROJECT},
    {42, "PostProcNoWait", B, 0, 0, 1, PROJECT},
    {43, "PostProcTitle", S, 0, 0, 1, PROJECT},
    {44, "PostProcCmd", S, 0, 0, 1, PROJECT},
    {45, "PostProcDir", S, 0, 0, 1, PROJECT},
    {46, "PostProcRcOk", S, 0, 0, 1, PROJECT},
};

std::string U8(const CString& s) { return s.ToUtf8(); }

TEST(PreferenceKeyTable, EveryRowHasItsTypeDefaultMaximumAttributeNameAndOneStore) {
    ASSERT_EQ(std::size(kRows), kPreferenceCount);
    CAppPreferences app;
    CProfilePreferences profile;
    CProjectPreferences project;
    const CPreferences* stores[] = {&app, &profile, &project};
    for (std::size_t row = 0; row < kPreferenceCount; ++row) {
        const Row& r = kRows[row];
        SCOPED_TRACE(r.name);
        const PreferenceKey& key = PreferenceKeyTable[row];  // in table order
        EXPECT_EQ(key.id, r.id);
        EXPECT_EQ(&FindPreferenceKey(r.id), &key);
        EXPECT_EQ(U8(key.name), r.name);
        EXPECT_EQ(key.type, r.type);
        EXPECT_EQ(key.defaultNumber, r.def);
        EXPECT_EQ(key.maximum, r.max);
        EXPECT_EQ(key.attribute, r.attr);
        EXPECT_EQ(U8(key.defaultText), "");
        for (int s = 0; s < 3; ++s) {
            const PreferenceItem* item = stores[s]->Item(r.id);
            EXPECT_EQ(item != nullptr, s == r.store) << "store " << s;
            if (item) {
                EXPECT_EQ(&item->Key(), &key);
                EXPECT_EQ(item->Number(), r.def);
                EXPECT_FALSE(item->IsModified());
            }
        }
    }
    for (const int unknown : {47, -1, 100}) {
        const PreferenceKey& fallback = FindPreferenceKey(unknown);
        EXPECT_EQ(fallback.id, 47);
        EXPECT_EQ(fallback.type, PREF_TYPE_INT);
        EXPECT_EQ(fallback.defaultNumber, 0);
        EXPECT_EQ(fallback.maximum, 0u);
        EXPECT_EQ(U8(fallback.name), "");
        EXPECT_EQ(app.Item(unknown), nullptr);
    }
    CPreferences empty(nullptr, 5);
    for (std::size_t id = 0; id < kPreferenceCount; ++id) EXPECT_EQ(empty.Item(static_cast<int>(id)), nullptr);
}

TEST(PreferenceSetting, NumbersAboveTheMaximumBecomeTheDefaultAndOnlyChangesAreMarked) {
    struct Case {
        int id;
        int set;
        int expected;
        bool modified;
    };
    const Case cases[] = {
        {PREF_BATCH_ERROR_REP_RATE, 20, 20, true},  // at the maximum
        {PREF_BATCH_ERROR_REP_RATE, 21, 3, false},  // above: the default, which it already is
        {PREF_BATCH_ERROR_REP_RATE, -1, 3, false},  // negative is above as unsigned
        {PREF_LOG_FILE_LIMIT, -1, -1, true},        // no maximum
        {PREF_LOG_FILE_LIMIT, 100, 100, false},     // equal: no change
        {PREF_USER_LEVEL, 2, 0, false},
        {PREF_USER_LEVEL, 1, 1, true},
        {PREF_PRECISION_TIME_STAMP_COMP, 3600001, 2000, false},  // not a member of CAppPreferences
    };
    for (const Case& c : cases) {
        CAppPreferences prefs;
        prefs.SetNumber(c.id, c.set);
        const PreferenceItem* item = prefs.Item(c.id);
        if (!item) {
            EXPECT_FALSE(prefs.IsModified());
            EXPECT_EQ(prefs.GetNumber(c.id), c.expected);  // the row's default for an id not held
            continue;
        }
        EXPECT_EQ(item->Number(), c.expected) << c.id << " " << c.set;
        EXPECT_EQ(item->IsModified(), c.modified) << c.id << " " << c.set;
    }
    // Setting an equal value keeps a flag that is set.
    CAppPreferences prefs;
    prefs.SetText(PREF_VIEWER, u"view");
    prefs.SetText(PREF_VIEWER, u"view");
    EXPECT_TRUE(prefs.Item(PREF_VIEWER)->IsModified());
    prefs.ClearModified();
    prefs.SetText(PREF_VIEWER, u"view");
    EXPECT_FALSE(prefs.IsModified());
}

TEST(PreferenceDefaults, ResetMarksOnlyWhatChanges) {
    CProfilePreferences prefs;
    EXPECT_FALSE(prefs.IsModified());
    prefs.ResetToDefaults();
    EXPECT_FALSE(prefs.IsModified());  // nothing changed
    prefs.SetNumber(PREF_COPY_BUFFER_SIZE, 4096);
    prefs.ClearModified();
    prefs.ResetToDefaults();
    EXPECT_EQ(prefs.GetNumber(PREF_COPY_BUFFER_SIZE), 262144);
    EXPECT_TRUE(prefs.Item(PREF_COPY_BUFFER_SIZE)->IsModified());
    EXPECT_FALSE(prefs.Item(PREF_TEST_PATTERN_COUNT)->IsModified());
}

TEST(PreferenceCopy, CopiesValuesWithoutMarkingThem) {
    CProfilePreferences defaults;
    defaults.SetNumber(PREF_AUTO_RETRY_DELAY_ON_ERROR, 700);
    defaults.SetBool(PREF_IGNORE_ARCHIVE_BIT, false);
    CProfilePreferences prefs;
    prefs.SetNumber(PREF_TEST_PATTERN_COUNT, 9);
    prefs.CopyFrom(defaults);
    EXPECT_EQ(prefs.GetNumber(PREF_AUTO_RETRY_DELAY_ON_ERROR), 700);
    EXPECT_FALSE(prefs.GetBool(PREF_IGNORE_ARCHIVE_BIT));
    EXPECT_EQ(prefs.GetNumber(PREF_TEST_PATTERN_COUNT), 0);
    EXPECT_FALSE(prefs.IsModified());
    CAppPreferences app;  // holds none of the profile's keys: nothing changes
    prefs.SetNumber(PREF_COPY_BUFFER_SIZE, 1);
    prefs.CopyFrom(app);
    EXPECT_EQ(prefs.GetNumber(PREF_COPY_BUFFER_SIZE), 1);
}

TEST(PreferenceDump, ProjectDefaultsGiveTwelveLinesInIdOrder) {
    CProjectPreferences prefs;
    CString text;
    prefs.Dump(text);
    EXPECT_EQ(U8(text),
              "PreProcEnable:0\nPreProcNoWait:0\nPreProcTitle:\"\"\nPreProcCmd:\"\"\nPreProcDir:\"\"\n"
              "PreProcRcOk:\"\"\nPostProcEnable:0\nPostProcNoWait:0\nPostProcTitle:\"\"\nPostProcCmd:\"\"\n"
              "PostProcDir:\"\"\nPostProcRcOk:\"\"\n");
    CAppPreferences app;
    app.SetNumber(PREF_LOG_FILE_LIMIT, -1);
    text = u"before\n";
    app.Dump(text);
    EXPECT_EQ(U8(text).rfind("before\nBatchErrorRepRate:3\nOpenProjectUserSelect:1\n", 0), 0u);
    EXPECT_NE(U8(text).find("\nLogFileLimit:-1\n"), std::string::npos);
}

class PreferenceRegistryTest : public ::testing::Test {
protected:
    std::unique_ptr<plat::SettingsStore> store_ = plat::SettingsStore::OpenInMemory();
    RegistryProfile registry_{*store_};

    std::size_t ValuesIn(std::u16string_view section) {
        plat::SettingsKey key;
        if (!store_->OpenKey(store_->Root(), CString(kApplicationKey) + u"\\" + section, key)) return 0;
        CString name;
        std::size_t n = 0;
        while (store_->EnumValue(key, static_cast<std::uint32_t>(n), name)) ++n;
        return n;
    }
};

TEST_F(PreferenceRegistryTest, LoadTakesStoredValuesWithTheMaximumRule) {
    registry_.WriteProfileInt(u"Settings", u"BatchErrorRepRate", -1);  // 4294967295, above 20
    registry_.WriteProfileInt(u"Settings", u"LogFileLimit", -1);       // no maximum
    registry_.WriteProfileInt(u"Settings", u"UserLevel", 1);
    registry_.WriteProfileString(u"Settings", u"ShowGMT", u"1");  // another type: the default
    registry_.WriteProfileString(u"Settings", u"Viewer", u"less");
    registry_.WriteProfileInt(u"Settings", u"Language", 5);  // another type: the default text
    CAppPreferences prefs;
    prefs.SetNumber(PREF_AUTO_SYNC_ON_ERROR, 1);  // loaded over, flag cleared
    prefs.LoadFromRegistry(registry_, u"Settings");
    EXPECT_EQ(prefs.GetNumber(PREF_BATCH_ERROR_REP_RATE), 3);
    EXPECT_EQ(prefs.GetNumber(PREF_LOG_FILE_LIMIT), -1);
    EXPECT_EQ(prefs.GetNumber(PREF_USER_LEVEL), 1);
    EXPECT_EQ(prefs.GetNumber(PREF_SHOW_GMT), 0);
    EXPECT_EQ(U8(prefs.GetText(PREF_VIEWER)), "less");
    EXPECT_EQ(U8(prefs.GetText(PREF_LANGUAGE)), "");
    EXPECT_EQ(prefs.GetNumber(PREF_AUTO_SYNC_ON_ERROR), 0);
    EXPECT_FALSE(prefs.IsModified());

    // Right after a load a save writes nothing.
    CAppPreferences fresh;
    fresh.LoadFromRegistry(registry_, u"Other");
    EXPECT_TRUE(fresh.SaveToRegistry(registry_, u"Other"));
    EXPECT_EQ(ValuesIn(u"Other"), 0u);
}

TEST_F(PreferenceRegistryTest, SaveWritesChangedValuesAndAFailedWriteKeepsItsFlag) {
    CAppPreferences prefs;
    prefs.SetNumber(PREF_LOG_FILE_LIMIT, 250);
    prefs.SetText(PREF_DIFF_VIEWER, u"meld");
    prefs.SetText(PREF_VIEWER, CString(600000, u'v'));  // 1.2 MB: more than the store takes
    EXPECT_FALSE(prefs.SaveToRegistry(registry_, u"Settings"));
    EXPECT_FALSE(prefs.Item(PREF_LOG_FILE_LIMIT)->IsModified());
    EXPECT_FALSE(prefs.Item(PREF_DIFF_VIEWER)->IsModified());
    EXPECT_TRUE(prefs.Item(PREF_VIEWER)->IsModified());  // tried again by the next save
    EXPECT_EQ(ValuesIn(u"Settings"), 2u);
    EXPECT_EQ(registry_.GetProfileInt(u"Settings", u"LogFileLimit", 0), 250);
    EXPECT_EQ(U8(registry_.GetProfileString(u"Settings", u"DiffViewer")), "meld");

    prefs.SetText(PREF_VIEWER, u"less");
    EXPECT_TRUE(prefs.SaveToRegistry(registry_, u"Settings"));
    EXPECT_FALSE(prefs.IsModified());
    CAppPreferences again;
    again.LoadFromRegistry(registry_, u"Settings");
    EXPECT_EQ(U8(again.GetText(PREF_VIEWER)), "less");
}

// Each part followed by one NUL.
std::u16string Nul(std::initializer_list<std::u16string_view> parts) {
    std::u16string out;
    for (const auto part : parts) {
        out += part;
        out += u'\0';
    }
    return out;
}

// The UTF-16LE bytes of text.
std::vector<std::uint8_t> Le(std::u16string_view text) {
    std::vector<std::uint8_t> out;
    for (const char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

TEST(PreferenceBlob, SaveWritesNamesAndValuesWithTheirNulsAndAFinalOne) {
    CProjectPreferences prefs;
    PrePostCommand pre;
    pre.enable = true;
    pre.title = u"T\u00E9";
    pre.acceptedExitCode = u"-1";
    prefs.SetPreProcessing(pre);
    BlobStore blobs;
    ASSERT_TRUE(prefs.SaveToBlob(blobs, 3));
    EXPECT_FALSE(prefs.IsModified());
    // The empty last value gives two NULs in a row, then comes the final NUL.
    const std::u16string expected = Nul({u"PreProcEnable",
                                         u"1",
                                         u"PreProcNoWait",
                                         u"0",
                                         u"PreProcTitle",
                                         u"T\u00E9",
                                         u"PreProcCmd",
                                         u"",
                                         u"PreProcDir",
                                         u"",
                                         u"PreProcRcOk",
                                         u"-1",
                                         u"PostProcEnable",
                                         u"0",
                                         u"PostProcNoWait",
                                         u"0",
                                         u"PostProcTitle",
                                         u"",
                                         u"PostProcCmd",
                                         u"",
                                         u"PostProcDir",
                                         u"",
                                         u"PostProcRcOk",
                                         u"",
                                         u""});
    ASSERT_EQ(expected.substr(expected.size() - 15), std::u16string(u"PostProcRcOk\0\0\0", 15));
    ASSERT_EQ(blobs.Find(3)->data, Le(expected));
    EXPECT_EQ(blobs.Find(3)->size, expected.size() * 2);

    CProjectPreferences loaded;
    loaded.LoadFromBlob(blobs, 3);
    PrePostCommand back;
    loaded.GetPreProcessing(back);
    EXPECT_TRUE(back.enable);
    EXPECT_FALSE(back.noWait);
    EXPECT_EQ(U8(back.title), U8(u"T\u00E9"));
    EXPECT_EQ(U8(back.acceptedExitCode), "-1");
    EXPECT_FALSE(loaded.IsModified());
}

TEST(PreferenceBlob, BadBlobsLoadWhatTheyHoldAndDefaultsForTheRest) {
    const std::u16string good = Nul({u"CopyBufferSize", u"4096", u"TestPatternCount", u"7", u""});
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        int copyBuffer;
        int testPattern;
        int retryDelay;
        int precision;
    };
    auto le = [](std::u16string_view t) { return Le(t); };
    auto plus = [](std::vector<std::uint8_t> v, std::uint8_t b) {
        v.push_back(b);
        return v;
    };
    const Case cases[] = {
        {"well formed", le(good), 4096, 7, 50, 2000},
        {"an odd last byte", plus(le(good), 0x41), 4096, 7, 50, 2000},
        {"a final name without a value", le(Nul({u"TestPatternCount", u"7"}) + u"CopyBufferSize"), 262144, 7, 50, 2000},
        {"no final NUL", le(Nul({u"TestPatternCount", u"7", u"CopyBufferSize"}) + u"4096"), 4096, 7, 50, 2000},
        {"a name given twice", le(Nul({u"TestPatternCount", u"1", u"TestPatternCount", u"2", u""})), 262144, 2, 50,
         2000},
        {"numbers beyond int",
         le(Nul({u"CopyBufferSize", u"99999999999", u"AutoRetryDelayOnError", u"99999999999", u"TestPatternCount",
                 u"-99999999999", u""})),
         INT_MAX, INT_MIN, 50, 2000},
        {"negative above a maximum", le(Nul({u"AutoRetryDelayOnError", u"-5", u""})), 262144, 0, 50, 2000},
        {"values as wcstol reads them",
         le(Nul({u"AutoRetryDelayOnError", u" +77ms", u"PrecisionTimeStampComp", u"x12", u""})), 262144, 0, 77, 0},
        {"names are case-sensitive, unknown names ignored", le(Nul({u"copybuffersize", u"1", u"Unknown", u"5", u""})),
         262144, 0, 50, 2000},
        {"no NUL at all", le(u"CopyBufferSize4096"), 262144, 0, 50, 2000},
        {"an empty record", {}, 262144, 0, 50, 2000},
        {"one byte", {0x43}, 262144, 0, 50, 2000},
    };
    for (const Case& c : cases) {
        BlobStore blobs;
        blobs.Set(3, c.bytes.data(), c.bytes.size());
        CProfilePreferences prefs;
        prefs.SetNumber(PREF_PRECISION_ENTRY_PAIR_COMP, 5);  // loaded over: the blob lacks it
        prefs.LoadFromBlob(blobs, 3);
        EXPECT_EQ(prefs.GetNumber(PREF_COPY_BUFFER_SIZE), c.copyBuffer) << c.what;
        EXPECT_EQ(prefs.GetNumber(PREF_TEST_PATTERN_COUNT), c.testPattern) << c.what;
        EXPECT_EQ(prefs.GetNumber(PREF_AUTO_RETRY_DELAY_ON_ERROR), c.retryDelay) << c.what;
        EXPECT_EQ(prefs.GetNumber(PREF_PRECISION_TIME_STAMP_COMP), c.precision) << c.what;
        EXPECT_EQ(prefs.GetNumber(PREF_PRECISION_ENTRY_PAIR_COMP), 2000) << c.what;
        EXPECT_FALSE(prefs.IsModified()) << c.what;
    }
}

TEST(PreferenceBlob, AMissingRecordChangesNothing) {
    BlobStore blobs;
    const std::vector<std::uint8_t> other = Le(Nul({u"CopyBufferSize", u"1", u""}));
    blobs.Set(4, other.data(), other.size());
    CProfilePreferences prefs;
    prefs.SetNumber(PREF_COPY_BUFFER_SIZE, 4096);
    prefs.LoadFromBlob(blobs, 3);
    prefs.LoadFromAnsiBlob(blobs, 3);
    EXPECT_EQ(prefs.GetNumber(PREF_COPY_BUFFER_SIZE), 4096);
    EXPECT_TRUE(prefs.IsModified());
}

TEST(PreferenceBlob, OldFilesHoldWindows1252) {
    const std::string bytes(
        "PreProcTitle\0caf\xE9 \x80\0PreProcEnable\0"
        "1\0PostProcRcOk",
        43);
    BlobStore blobs;
    blobs.Set(7, bytes.data(), bytes.size());
    CProjectPreferences prefs;
    prefs.LoadFromAnsiBlob(blobs, 7);
    EXPECT_EQ(U8(prefs.GetText(PREF_PRE_PROC_TITLE)), "caf\u00E9 \u20AC");
    EXPECT_TRUE(prefs.GetBool(PREF_PRE_PROC_ENABLE));
    EXPECT_EQ(U8(prefs.GetText(PREF_POST_PROC_RC_OK)), "");
}

TEST(PrePostCommands, AcceptedExitCodesFollowWcstolAndCompareAs32Bits) {
    struct Case {
        const char16_t* accepted;
        bool noWait;
        std::int32_t parsed;
        std::uint32_t exitCode;
        bool bad;
    };
    const Case cases[] = {
        {u" -12abc", false, -12, static_cast<std::uint32_t>(-12), false},
        {u" -12abc", false, -12, 12, true},
        {u"99999999999", false, INT_MAX, 0x7FFFFFFF, false},
        {u"-99999999999", false, INT_MIN, 0x80000000u, false},
        {u"", false, 0, 1, false},  // no code given: every exit code is accepted
        {u"-1", false, -1, 4294967295u, false},
        {u"0", false, 0, 0, false},
        {u"0", false, 0, 1, true},
        {u"0", true, 0, 1, false},  // not waited for: never judged
        {u"\t\n+7", false, 7, 7, false},
        {u"abc", false, 0, 0, false},  // no digits: 0
        {u"- 5", false, 0, 5, true},
    };
    for (const Case& c : cases) {
        PrePostCommand command;
        command.acceptedExitCode = c.accepted;
        command.noWait = c.noWait;
        const std::string what = U8(c.accepted) + " / " + std::to_string(c.exitCode);
        EXPECT_EQ(GetAcceptedExitCode(command), c.parsed) << what;
        EXPECT_EQ(IsBadExitCode(command, c.exitCode), c.bad) << what;
    }
    PrePostCommand command;
    command.enable = true;
    command.title = u"x";
    InitPrePostCommand(command);
    EXPECT_FALSE(command.enable);
    EXPECT_TRUE(command.title.IsEmpty());
}

TEST(PrePostCommands, ProjectPreferencesKeepBothCommandsApart) {
    CProjectPreferences prefs;
    PrePostCommand pre{true, true, u"Before", u"backup --all", u"/srv", u"0"};
    PrePostCommand post{false, true, u"After", u"notify", u"", u""};
    prefs.SetPreProcessing(pre);
    prefs.SetPostProcessing(post);
    EXPECT_TRUE(prefs.IsModified());
    PrePostCommand a, b;
    prefs.GetPreProcessing(a);
    prefs.GetPostProcessing(b);
    EXPECT_TRUE(a.enable && a.noWait);
    EXPECT_EQ(U8(a.command), "backup --all");
    EXPECT_EQ(U8(a.directory), "/srv");
    EXPECT_EQ(U8(a.acceptedExitCode), "0");
    EXPECT_FALSE(b.enable);
    EXPECT_TRUE(b.noWait);
    EXPECT_EQ(U8(b.title), "After");
    EXPECT_EQ(U8(b.command), "notify");
}

TEST(PreferenceBounds, ValuesWithoutAMaximumAreBoundedWhereTheyAreUsed) {
    struct Case {
        std::int32_t value;
        std::uint32_t fileBytes;
        std::size_t windowLines;
        std::uint32_t balloonSeconds;
    };
    const Case cases[] = {
        {100, 102400, 100, 100},
        {0, 0, 0, 0},
        {-1, 0, 0, 0},
        {INT_MIN, 0, 0, 0},
        {4194303, 4294966272u, 4194303, 600},  // the largest whole kilobytes below 4 GiB
        {4194304, 4294967295u, 4194304, 600},  // 4 GiB: capped, not wrapped to 0
        {INT_MAX, 4294967295u, static_cast<std::size_t>(INT_MAX), 600},
        {600, 614400, 600, 600},
        {601, 615424, 601, 600},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LogFileLimitBytes(c.value), c.fileBytes) << c.value;
        EXPECT_EQ(LogWindowLineLimit(c.value), c.windowLines) << c.value;
        EXPECT_EQ(BalloonTipSeconds(c.value), c.balloonSeconds) << c.value;
    }
}

}  // namespace
