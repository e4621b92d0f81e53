// The application's section/value settings below the program's key, and what opening
// the per-user store tells the log and the user.
#include "app/registry_profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "engine/log/logger.h"
#include "platform/core/win_error.h"
#include "resources/string_ids.h"
#include "tests/engine/support/kit.h"
#include "tests/support/env_var.h"
#include "tests/support/temp_dir.h"

namespace {

class RegistryProfileTest : public ::testing::Test {
protected:
    std::unique_ptr<plat::SettingsStore> store_ = plat::SettingsStore::OpenInMemory();
    RegistryProfile profile_{*store_};
};

TEST_F(RegistryProfileTest, ValuesComeBackAsWrittenAndOtherwiseTheDefault) {
    ASSERT_TRUE(profile_.WriteProfileInt(u"Settings", u"UserLevel", -7));
    ASSERT_TRUE(profile_.WriteProfileString(u"Appearance\\MainWnd", u"WindowPos", u"0,1,-1,-1"));
    const std::uint8_t bytes[] = {0, 1, 2, 0xFF};
    ASSERT_TRUE(profile_.WriteProfileBinary(u"Settings", u"Blob", bytes, sizeof bytes));
    ASSERT_TRUE(profile_.WriteProfileString(u"Settings", u"Empty", u""));

    EXPECT_EQ(profile_.GetProfileInt(u"Settings", u"UserLevel", 3), -7);
    EXPECT_EQ(profile_.GetProfileInt(u"SETTINGS", u"userlevel", 3), -7);  // names without ASCII case
    EXPECT_EQ(profile_.GetProfileString(u"appearance\\mainwnd", u"WindowPos").ToUtf8(), "0,1,-1,-1");
    EXPECT_EQ(profile_.GetProfileString(u"Settings", u"Empty", u"def").ToUtf8(), "");
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(profile_.GetProfileBinary(u"Settings", u"Blob", data));
    EXPECT_EQ(data, std::vector<std::uint8_t>(bytes, bytes + 4));

    struct Case {
        const char* what;
        const char16_t* section;
        const char16_t* entry;
    };
    const Case missing[] = {
        {"missing entry", u"Settings", u"None"},
        {"missing section", u"Nowhere", u"UserLevel"},
        {"a string read as a number", u"Appearance\\MainWnd", u"WindowPos"},
        {"bytes read as a number", u"Settings", u"Blob"},
    };
    for (const Case& c : missing) {
        EXPECT_EQ(profile_.GetProfileInt(c.section, c.entry, 42), 42) << c.what;
    }
    EXPECT_EQ(profile_.GetProfileString(u"Settings", u"UserLevel", u"def").ToUtf8(), "def");  // a number
    EXPECT_EQ(profile_.GetProfileString(u"Settings", u"None", u"def").ToUtf8(), "def");
    EXPECT_FALSE(profile_.GetProfileBinary(u"Settings", u"UserLevel", data));
    EXPECT_TRUE(data.empty());
    EXPECT_FALSE(profile_.GetProfileBinary(u"Nowhere", u"Blob", data));
}

TEST_F(RegistryProfileTest, ValuesLieBelowTheProgramsKeyWithTheStoresTypes) {
    ASSERT_TRUE(profile_.WriteProfileInt(u"Settings", u"N", 0x01020304));
    ASSERT_TRUE(profile_.WriteProfileString(u"Settings", u"S", u"ab"));
    plat::SettingsKey key;
    ASSERT_TRUE(store_->OpenKey(store_->Root(), u"Software\\Quillon\\Wendelkast\\V8.00\\Settings", key));
    plat::SettingsValue value;
    ASSERT_TRUE(store_->QueryValue(key, u"N", value));
    EXPECT_EQ(value.type, plat::kSettingsDword);
    EXPECT_EQ(value.data, (std::vector<std::uint8_t>{4, 3, 2, 1}));
    ASSERT_TRUE(store_->QueryValue(key, u"S", value));
    EXPECT_EQ(value.type, plat::kSettingsString);
    EXPECT_EQ(value.data, (std::vector<std::uint8_t>{'a', 0, 'b', 0, 0, 0}));
}

TEST_F(RegistryProfileTest, AWriteTheStoreRefusesReportsFalse) {
    EXPECT_FALSE(profile_.WriteProfileString(u"Settings", CString(16384, u'x'), u"v"));
    EXPECT_EQ(GetLastError(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(profile_.WriteProfileInt(u"Bad\\\\Section", u"v", 1));
    EXPECT_EQ(GetLastError(), win32::ERROR_INVALID_PARAMETER);
}

TEST(ApplicationSettings, OpeningLogsAndTellsOnlyWhatTheUserMustKnow) {
    TempDir dir;
    ScopedEnvVar own("WENDELKAST_REGISTRY", dir.Path("registry.db").string());
    CLogger logger;
    kit::LogCollector sink;
    logger.AddView(&sink);
    plat::SettingsOpenStatus status;

    // Made, then opened: nothing to tell.
    for (auto kind : {plat::SettingsOpenStatus::Created, plat::SettingsOpenStatus::Opened}) {
        auto store = OpenApplicationSettings(&logger, status);
        EXPECT_EQ(status.kind, kind);
        EXPECT_TRUE(SettingsStatusText(status).IsEmpty());
    }
    EXPECT_TRUE(sink.entries.empty());

    // A damaged file: the warning and the message name where it was put.
    dir.WriteFile("registry.db", std::string(4096, 'z'));
    auto store = OpenApplicationSettings(&logger, status);
    ASSERT_EQ(status.kind, plat::SettingsOpenStatus::Damaged);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].code, IDS_SETTINGS_DAMAGED);
    EXPECT_EQ(sink.entries[0].extra, static_cast<std::uint32_t>(LOG_KIND_WARNING));
    EXPECT_EQ(CString(sink.entries[0].GetText()).ToUtf8(), status.movedTo.ToUtf8());
    const std::string text = SettingsStatusText(status).ToUtf8();
    EXPECT_NE(text.find("put aside"), std::string::npos) << text;
    EXPECT_NE(text.find(status.movedTo.ToUtf8()), std::string::npos) << text;
    logger.RemoveView(&sink);
}

}  // namespace
