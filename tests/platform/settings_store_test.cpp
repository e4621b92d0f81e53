// The settings store's keys and values: created or opened, names without ASCII case,
// enumeration orders, deleting trees, the bytes of each type, limits and failure codes,
// and Transaction scopes.
#include "platform/core/settings_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/core/win_error.h"
#include "tests/support/temp_dir.h"

namespace {

using plat::SettingsKey;
using plat::SettingsStore;
using plat::SettingsValue;

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { Reopen(); }
    void Reopen() {
        store_.reset();
        plat::SettingsOpenStatus status;
        store_ = SettingsStore::Open(dir_.CPath("registry.db"), status);
        ASSERT_TRUE(status.IsKept());
    }
    SettingsStore& S() { return *store_; }
    SettingsKey Create(std::u16string_view path, bool* created = nullptr) {
        SettingsKey key;
        EXPECT_TRUE(S().CreateKey(S().Root(), path, key, created)) << GetLastError();
        return key;
    }
    std::vector<CString> Subkeys(const SettingsKey& key) {
        std::vector<CString> names;
        CString name;
        for (std::uint32_t i = 0; S().EnumKey(key, i, name); ++i) names.push_back(name);
        EXPECT_EQ(GetLastError(), win32::ERROR_NO_MORE_ITEMS);
        return names;
    }
    std::vector<CString> Values(const SettingsKey& key) {
        std::vector<CString> names;
        CString name;
        for (std::uint32_t i = 0; S().EnumValue(key, i, name); ++i) names.push_back(name);
        EXPECT_EQ(GetLastError(), win32::ERROR_NO_MORE_ITEMS);
        return names;
    }
    void SetString(const SettingsKey& key, std::u16string_view name, std::u16string_view text) {
        ASSERT_TRUE(S().SetValue(key, name, plat::MakeStringValue(text))) << GetLastError();
    }
    CString GetString(const SettingsKey& key, std::u16string_view name) {
        SettingsValue value;
        CString text;
        if (!S().QueryValue(key, name, value) || !plat::ReadStringValue(value, text)) return u"<none>";
        return text;
    }
    bool HasKey(std::u16string_view path) {
        SettingsKey key;
        return S().OpenKey(S().Root(), path, key);
    }

    TempDir dir_;
    std::unique_ptr<SettingsStore> store_;
};

TEST_F(SettingsStoreTest, CreateKeyTellsCreatedOnlyForTheCallThatMadeTheKey) {
    struct Case {
        const char16_t* path;
        bool created;
    };
    const Case cases[] = {
        {u"Software\\Quillon", true},
        {u"Software\\Quillon", false},                    // opened existing
        {u"SOFTWARE\\quillon", false},                    // the same key in other ASCII case
        {u"Software\\Quillon\\Wendelkast\\V8.00", true},  // every missing key on the way
        {u"Software", false},
        {u"Software\\\u00C4rger", true},
        {u"Software\\\u00E4rger", true},  // non-ASCII letters differ by case
        {u"", false},                     // the parent itself
    };
    for (const Case& c : cases) {
        bool created = !c.created;
        Create(c.path, &created);
        EXPECT_EQ(created, c.created) << CString(c.path).ToUtf8();
    }
    // Names keep the spelling they were created with.
    EXPECT_EQ(Subkeys(Create(u"software")), (std::vector<CString>{u"Quillon", u"\u00C4rger", u"\u00E4rger"}));
}

TEST_F(SettingsStoreTest, OpenKeyFindsOnlyExistingKeysInAnyAsciiCase) {
    const SettingsKey made = Create(u"Software\\Quillon\\Wendelkast");
    SettingsKey opened;
    ASSERT_TRUE(S().OpenKey(S().Root(), u"SOFTWARE\\QUILLON\\wendelkast", opened));
    EXPECT_EQ(opened, made);
    SettingsKey parent;
    ASSERT_TRUE(S().OpenKey(S().Root(), u"Software", parent));
    ASSERT_TRUE(S().OpenKey(parent, u"quillon\\Wendelkast", opened));
    EXPECT_EQ(opened, made);
    EXPECT_FALSE(S().OpenKey(S().Root(), u"Software\\Quillon\\Other", opened));
    EXPECT_EQ(GetLastError(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(HasKey(u"Software\\Other\\Wendelkast"));
    EXPECT_EQ(GetLastError(), win32::ERROR_FILE_NOT_FOUND);
}

TEST_F(SettingsStoreTest, SubkeysComeInFoldedNameOrderAndValuesInCreationOrder) {
    const SettingsKey key = Create(u"Order");
    // Letters fold to upper case, so '_' (after 'Z') sorts after every letter.
    for (const char16_t* name : {u"b", u"_x", u"C", u"a1", u"A", u"B2"}) Create(CString(u"Order\\") + name);
    EXPECT_EQ(Subkeys(key), (std::vector<CString>{u"A", u"a1", u"b", u"B2", u"C", u"_x"}));

    for (const char16_t* name : {u"zeta", u"Alpha", u"", u"mid"}) SetString(key, name, u"1");
    SetString(key, u"ALPHA", u"2");  // set again: keeps its place and its spelling
    EXPECT_EQ(Values(key), (std::vector<CString>{u"zeta", u"Alpha", u"", u"mid"}));
    EXPECT_EQ(GetString(key, u"alpha"), CString(u"2"));
    ASSERT_TRUE(S().DeleteValue(key, u"ZETA"));
    SetString(key, u"zeta", u"3");  // made again: now the newest
    EXPECT_EQ(Values(key), (std::vector<CString>{u"Alpha", u"", u"mid", u"zeta"}));
}

TEST_F(SettingsStoreTest, ValuesKeepTheirTypeAndBytes) {
    const SettingsKey key = Create(u"Bytes");
    struct Case {
        const char* name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    const Case cases[] = {
        {"string", 1, plat::MakeStringValue(u"A\u00E9\xDC80").data},
        {"binary with NULs", 3, {0, 1, 0, 0xFF, 0}},
        {"dword", 4, {0x78, 0x56, 0x34, 0x12}},
        {"empty binary", 3, {}},
        {"multi-string type", 7, {'a', 0, 0, 0, 0, 0}},
        {"unknown type", 0x12345, {9, 8, 7}},
        {"dword of a wrong size", 4, {1, 2}},
    };
    for (const Case& c : cases) {
        const CString name = CString::FromUtf8(c.name);
        ASSERT_TRUE(S().SetValue(key, name, c.type, c.data.data(), c.data.size())) << c.name;
    }
    Reopen();
    SettingsKey again;
    ASSERT_TRUE(S().OpenKey(S().Root(), u"Bytes", again));
    for (const Case& c : cases) {
        SettingsValue value;
        ASSERT_TRUE(S().QueryValue(again, CString::FromUtf8(c.name), value)) << c.name;
        EXPECT_EQ(value.type, c.type) << c.name;
        EXPECT_EQ(value.data, c.data) << c.name;
    }
    // The string's bytes: UTF-16LE, a lone surrogate kept, one NUL.
    EXPECT_EQ(plat::MakeStringValue(u"A\xDC80").data, (std::vector<std::uint8_t>{0x41, 0, 0x80, 0xDC, 0, 0}));
    std::uint32_t number = 0;
    EXPECT_TRUE(plat::ReadDwordValue(plat::MakeDwordValue(0x12345678), number));
    EXPECT_EQ(number, 0x12345678u);
    EXPECT_FALSE(plat::ReadDwordValue(SettingsValue{4, {1, 2}}, number));
    CString text;
    EXPECT_TRUE(plat::ReadStringValue(SettingsValue{1, {'a', 0, 'b', 0, 0, 0, 'c', 0}}, text));
    EXPECT_EQ(text, CString(u"ab"));  // up to the first NUL
    EXPECT_TRUE(plat::ReadStringValue(SettingsValue{1, {'a', 0, 'b'}}, text));
    EXPECT_EQ(text, CString(u"a"));  // an odd last byte ignored
    EXPECT_FALSE(plat::ReadStringValue(SettingsValue{3, {'a', 0}}, text));
}

TEST_F(SettingsStoreTest, DeleteKeyTreeRemovesTheKeyWithEverythingBelowAndNothingElse) {
    Create(u"A\\B\\C\\D");
    Create(u"A\\B2");
    Create(u"AB");
    SetString(Create(u"A\\B\\C"), u"v", u"x");
    ASSERT_TRUE(S().DeleteKeyTree(S().Root(), u"a\\b"));
    EXPECT_FALSE(HasKey(u"A\\B"));
    EXPECT_FALSE(HasKey(u"A\\B\\C\\D"));
    EXPECT_TRUE(HasKey(u"A\\B2"));
    EXPECT_TRUE(HasKey(u"AB"));
    // A key made again under the old name is new and empty.
    EXPECT_EQ(GetString(Create(u"A\\B\\C"), u"v"), CString(u"<none>"));

    // A very deep tree goes in one call.
    CString deep = u"Deep";
    for (int i = 0; i < 1500; ++i) deep += u"\\k";
    Create(deep);
    ASSERT_TRUE(S().DeleteKeyTree(S().Root(), u"Deep"));
    EXPECT_FALSE(HasKey(u"Deep"));
}

TEST_F(SettingsStoreTest, EachFailureHasItsCodeAndChangesNothing) {
    const SettingsKey key = Create(u"K");
    SetString(key, u"v", u"1");
    SettingsValue value;
    CString name;
    SettingsKey out;
    const std::vector<std::uint8_t> big(plat::kSettingsDataMax + 1);
    struct Case {
        const char* what;
        std::function<bool()> call;
        std::uint32_t code;
    };
    const Case cases[] = {
        {"missing key", [&] { return S().OpenKey(S().Root(), u"K\\none", out); }, win32::ERROR_FILE_NOT_FOUND},
        {"missing value", [&] { return S().QueryValue(key, u"none", value); }, win32::ERROR_FILE_NOT_FOUND},
        {"delete missing value", [&] { return S().DeleteValue(key, u"none"); }, win32::ERROR_FILE_NOT_FOUND},
        {"delete missing tree", [&] { return S().DeleteKeyTree(S().Root(), u"K\\none"); }, win32::ERROR_FILE_NOT_FOUND},
        {"subkey past the end", [&] { return S().EnumKey(key, 0, name); }, win32::ERROR_NO_MORE_ITEMS},
        {"value past the end", [&] { return S().EnumValue(key, 1, name); }, win32::ERROR_NO_MORE_ITEMS},
        {"key name of 256", [&] { return S().CreateKey(key, CString(256, u'k'), out); },
         win32::ERROR_INVALID_PARAMETER},
        {"value name of 16384", [&] { return S().SetValue(key, CString(16384, u'v'), plat::MakeDwordValue(1)); },
         win32::ERROR_INVALID_PARAMETER},
        {"data over 1 MiB", [&] { return S().SetValue(key, u"big", 3, big.data(), big.size()); },
         win32::ERROR_INVALID_PARAMETER},
        {"empty component", [&] { return S().CreateKey(S().Root(), u"K\\\\x", out); }, win32::ERROR_INVALID_PARAMETER},
        {"leading separator", [&] { return S().CreateKey(S().Root(), u"\\K\\x", out); },
         win32::ERROR_INVALID_PARAMETER},
        {"trailing separator", [&] { return S().CreateKey(S().Root(), u"K\\x\\", out); },
         win32::ERROR_INVALID_PARAMETER},
        {"the root", [&] { return S().DeleteKeyTree(S().Root(), u""); }, win32::ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(GetLastError(), c.code) << c.what;
    }
    EXPECT_EQ(Values(key), std::vector<CString>{u"v"});
    EXPECT_TRUE(Subkeys(key).empty());
    // At the limits themselves.
    EXPECT_TRUE(S().CreateKey(key, CString(255, u'k'), out));
    EXPECT_TRUE(S().SetValue(key, CString(16383, u'v'), 3, big.data(), plat::kSettingsDataMax));
}

TEST_F(SettingsStoreTest, HandlesOfADeletedKeyFailWithKeyDeleted) {
    const SettingsKey key = Create(u"Gone\\Below");
    const SettingsKey below = Create(u"Gone\\Below\\Deeper");
    ASSERT_TRUE(S().DeleteKeyTree(S().Root(), u"Gone"));
    SettingsValue value;
    CString name;
    SettingsKey out;
    struct Case {
        const char* what;
        std::function<bool()> call;
    };
    const Case cases[] = {
        {"set", [&] { return S().SetValue(key, u"v", plat::MakeDwordValue(1)); }},
        {"query", [&] { return S().QueryValue(key, u"v", value); }},
        {"delete value", [&] { return S().DeleteValue(key, u"v"); }},
        {"enumerate keys", [&] { return S().EnumKey(key, 0, name); }},
        {"enumerate values", [&] { return S().EnumValue(below, 0, name); }},
        {"create below", [&] { return S().CreateKey(key, u"New", out); }},
        {"open below", [&] { return S().OpenKey(below, u"", out); }},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(GetLastError(), win32::ERROR_KEY_DELETED) << c.what;
    }
    // A key made again under the same path is a new key; the old handle stays dead.
    EXPECT_NE(Create(u"Gone\\Below"), key);
    EXPECT_FALSE(S().QueryValue(key, u"v", value));
    EXPECT_EQ(GetLastError(), win32::ERROR_KEY_DELETED);
}

TEST_F(SettingsStoreTest, TransactionKeepsAllOrNothing) {
    {
        SettingsStore::Transaction t(S());
        ASSERT_TRUE(t.IsActive());
        SetString(Create(u"Copy\\A"), u"v", u"1");
        SetString(Create(u"Copy\\B"), u"v", u"2");
        // A call that fails inside the scope undoes only itself.
        EXPECT_FALSE(S().DeleteValue(Create(u"Copy\\A"), u"none"));
        EXPECT_TRUE(HasKey(u"Copy\\B"));  // the scope's own changes are visible to it
    }                                     // left without Commit
    EXPECT_FALSE(HasKey(u"Copy"));

    {
        SettingsStore::Transaction t(S());
        SetString(Create(u"Copy\\A"), u"v", u"1");
        {
            SettingsStore::Transaction inner(S());
            ASSERT_TRUE(inner.IsActive());
            Create(u"Copy\\Inner");
        }  // only the inner scope's change is undone
        {
            SettingsStore::Transaction inner(S());
            Create(u"Copy\\Kept");
            EXPECT_TRUE(inner.Commit());
        }
        EXPECT_TRUE(t.Commit());
        EXPECT_FALSE(t.Commit());  // once only
    }
    Reopen();
    EXPECT_EQ(GetString(Create(u"Copy\\A"), u"v"), CString(u"1"));
    EXPECT_FALSE(HasKey(u"Copy\\Inner"));
    EXPECT_TRUE(HasKey(u"Copy\\Kept"));
}

TEST(SettingsStoreMemory, AStoreInMemoryWorksLikeAFile) {
    auto store = SettingsStore::OpenInMemory();
    SettingsKey key;
    bool created = false;
    ASSERT_TRUE(store->CreateKey(store->Root(), u"Software\\Quillon", key, &created));
    EXPECT_TRUE(created);
    ASSERT_TRUE(store->SetValue(key, u"n", plat::MakeDwordValue(7)));
    SettingsValue value;
    std::uint32_t n = 0;
    ASSERT_TRUE(store->QueryValue(key, u"N", value));
    EXPECT_TRUE(plat::ReadDwordValue(value, n));
    EXPECT_EQ(n, 7u);
}

}  // namespace
