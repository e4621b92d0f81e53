// Opening the settings store: where the file is, the modes it is made with, and what
// happens to a damaged, newer, locked or unreachable file. Also what two programs do to
// one file at the same time (settings_store_child is the second program).
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/child_process.h"
#include "platform/core/settings_store.h"
#include "platform/core/win_error.h"
#include "tests/support/env_var.h"
#include "tests/support/temp_dir.h"

namespace {

using plat::SettingsKey;
using plat::SettingsOpenStatus;
using plat::SettingsStore;

unsigned Mode(const std::filesystem::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

// Runs sql on the file with SQLite itself, to stage a file the store did not write.
void Sql(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// A store in dir with one value, closed again.
void MakeStoreWithValue(const CString& path, std::u16string_view text) {
    SettingsOpenStatus status;
    auto store = SettingsStore::Open(path, status);
    SettingsKey key;
    ASSERT_TRUE(store->CreateKey(store->Root(), u"Software\\Quillon", key));
    ASSERT_TRUE(store->SetValue(key, u"Kept", plat::MakeStringValue(text)));
}

CString ReadKept(SettingsStore& store) {
    SettingsKey key;
    plat::SettingsValue value;
    CString text;
    if (!store.OpenKey(store.Root(), u"Software\\Quillon", key) || !store.QueryValue(key, u"Kept", value) ||
        !plat::ReadStringValue(value, text)) {
        return u"<none>";
    }
    return text;
}

bool WaitForFile(const std::filesystem::path& p) {
    for (int i = 0; i < 3000; ++i) {
        if (std::filesystem::exists(p)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::unique_ptr<plat::ChildProcess> StartChild(const std::vector<std::string>& args, const std::string& out = {}) {
#ifdef WK_SETTINGS_CHILD
    return plat::ChildProcess::Start(WK_SETTINGS_CHILD, args, out);
#else
    (void)args;
    (void)out;
    return nullptr;
#endif
}

#ifndef WK_SETTINGS_CHILD
#define SKIP_WITHOUT_CHILD() GTEST_SKIP() << "settings_store_child was not built"
#else
#define SKIP_WITHOUT_CHILD() (void)0
#endif

TEST(SettingsStorePath, FollowsTheEnvironment) {
    struct Case {
        const char* own;
        const char* xdg;
        const char* home;
        std::string expected;
    };
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    const Case cases[] = {
        {"/tmp/own.db", "/x", "/h", "/tmp/own.db"},
        {"rel/own.db", "/x", "/h", std::string(cwd) + "/rel/own.db"},  // made absolute
        {"", "/x", "/h", "/x/Quillon/registry.db"},                    // empty counts as unset
        {nullptr, "/x", "/h", "/x/Quillon/registry.db"},
        {nullptr, "", "/h", "/h/.config/Quillon/registry.db"},
        {nullptr, "relative", "/h", "/h/.config/Quillon/registry.db"},  // a relative XDG value is ignored
        {nullptr, nullptr, "/h", "/h/.config/Quillon/registry.db"},
    };
    for (const Case& c : cases) {
        ScopedEnvVar own("WENDELKAST_REGISTRY", c.own);
        ScopedEnvVar xdg("XDG_CONFIG_HOME", c.xdg);
        ScopedEnvVar home("HOME", c.home);
        EXPECT_EQ(SettingsStore::DefaultPath().ToUtf8(), c.expected)
            << (c.own ? c.own : "-") << " " << (c.xdg ? c.xdg : "-");
    }
}

TEST(SettingsStoreOpen, ANewFileIsPrivateToItsOwner) {
    TempDir dir;
    const auto file = dir.Path("a/b/registry.db");
    SettingsOpenStatus status;
    {
        auto store = SettingsStore::Open(CString::FromUtf8(file.string()), status);
        EXPECT_EQ(status.kind, SettingsOpenStatus::Created);
        EXPECT_EQ(status.path, CString::FromUtf8(file.string()));
        SettingsKey key;
        ASSERT_TRUE(store->CreateKey(store->Root(), u"K", key));
        EXPECT_EQ(Mode(dir.Path("a")), 0700u);
        EXPECT_EQ(Mode(dir.Path("a/b")), 0700u);
        EXPECT_EQ(Mode(file), 0600u);
        EXPECT_EQ(Mode(file.string() + "-wal"), 0600u);  // the journal takes the file's mode
    }
    auto again = SettingsStore::Open(CString::FromUtf8(file.string()), status);
    EXPECT_EQ(status.kind, SettingsOpenStatus::Opened);
    EXPECT_TRUE(status.IsKept());
    SettingsKey key;
    EXPECT_TRUE(again->OpenKey(again->Root(), u"k", key));
}

TEST(SettingsStoreOpen, ADamagedFileIsMovedAsideUntouchedAndAFreshStoreMade) {
    // Builds the damaged file in dir; returns its bytes.
    struct Case {
        const char* what;
        std::function<void(const TempDir&, const CString&)> damage;
        const char16_t* reason;
    };
    const Case cases[] = {
        {"garbage",
         [](const TempDir& d, const CString&) { d.WriteFile("registry.db", std::string(5000, 'x') + "garbage"); },
         u"not a database"},
        {"truncated",
         [](const TempDir& d, const CString& path) {
             {
                 SettingsOpenStatus status;
                 auto store = SettingsStore::Open(path, status);
                 SettingsKey key;
                 store->CreateKey(store->Root(), u"Big", key);
                 for (int i = 0; i < 300; ++i) {
                     store->SetValue(key, CString::Format(u"v%i", i), plat::MakeStringValue(CString(500, u'x')));
                 }
             }
             const std::string bytes = d.ReadFile("registry.db");
             d.WriteFile("registry.db", bytes.substr(0, bytes.size() / 2));
         },
         nullptr},
        {"another program's database",
         [](const TempDir& d, const CString&) {
             Sql(d.Path("registry.db"), "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');");
         },
         u"unknown schema"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const CString path = dir.CPath("registry.db");
        c.damage(dir, path);
        const std::string before = dir.ReadFile("registry.db");
        SettingsOpenStatus status;
        auto store = SettingsStore::Open(path, status);
        EXPECT_EQ(status.kind, SettingsOpenStatus::Damaged);
        EXPECT_TRUE(status.IsKept());
        if (c.reason) {
            EXPECT_EQ(status.reason.ToUtf8(), CString(c.reason).ToUtf8());
        } else {
            EXPECT_FALSE(status.reason.IsEmpty());
        }
        const std::string moved = status.movedTo.ToUtf8();
        EXPECT_EQ(moved.rfind(dir.Path("registry.db.damaged-").string(), 0), 0u) << moved;
        EXPECT_EQ(moved.size(), dir.Path("registry.db.damaged-").string().size() + 16) << moved;  // 20250101T120000Z
        std::ifstream in(moved, std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == before);  // the user's bytes kept
        // The fresh store works and is the file now.
        SettingsKey key;
        EXPECT_TRUE(store->CreateKey(store->Root(), u"New", key));
        store.reset();
        auto again = SettingsStore::Open(path, status);
        EXPECT_EQ(status.kind, SettingsOpenStatus::Opened);
        EXPECT_TRUE(again->OpenKey(again->Root(), u"New", key));
    }
}

TEST(SettingsStoreOpen, ANewerSchemaIsReadButNeverWritten) {
    TempDir dir;
    const CString path = dir.CPath("registry.db");
    MakeStoreWithValue(path, u"old");
    Sql(dir.Path("registry.db"), "PRAGMA user_version = 7;");
    SettingsOpenStatus status;
    auto store = SettingsStore::Open(path, status);
    EXPECT_EQ(status.kind, SettingsOpenStatus::NewerSchema);
    EXPECT_FALSE(status.IsKept());
    EXPECT_TRUE(store->IsReadOnly());
    EXPECT_EQ(ReadKept(*store), CString(u"old"));
    SettingsKey key;
    ASSERT_TRUE(store->OpenKey(store->Root(), u"Software\\Quillon", key));
    EXPECT_FALSE(store->SetValue(key, u"Kept", plat::MakeStringValue(u"new")));
    EXPECT_EQ(GetLastError(), win32::ERROR_ACCESS_DENIED);
    EXPECT_FALSE(store->CreateKey(store->Root(), u"Software\\Other", key));
    EXPECT_EQ(GetLastError(), win32::ERROR_ACCESS_DENIED);
    EXPECT_TRUE(store->CreateKey(store->Root(), u"Software\\Quillon", key));  // an existing key opens
    {
        SettingsStore::Transaction t(*store);
        EXPECT_FALSE(t.IsActive());
    }
    store.reset();
    // Still the newer file, unchanged.
    auto again = SettingsStore::Open(path, status);
    EXPECT_EQ(status.kind, SettingsOpenStatus::NewerSchema);
    EXPECT_EQ(ReadKept(*again), CString(u"old"));
}

TEST(SettingsStoreOpen, NoFileThatCanBeMadeGivesAStoreInMemory) {
    TempDir dir;
    dir.WriteFile("plain-file", "x");
    struct Case {
        CString path;
        std::uint32_t error;
    };
    const Case cases[] = {
        {dir.CPath("plain-file/registry.db"), win32::ERROR_PATH_NOT_FOUND},  // a file where a folder must be
        {u"relative/registry.db", win32::ERROR_PATH_NOT_FOUND},
        {u"", win32::ERROR_PATH_NOT_FOUND},
        {dir.CPath(""), win32::ERROR_ACCESS_DENIED},  // a folder, not a file
    };
    for (const Case& c : cases) {
        SettingsOpenStatus status;
        auto store = SettingsStore::Open(c.path, status);
        EXPECT_EQ(status.kind, SettingsOpenStatus::NotKept) << c.path.ToUtf8();
        EXPECT_EQ(status.error, c.error) << c.path.ToUtf8();
        EXPECT_FALSE(status.IsKept());
        SettingsKey key;
        EXPECT_TRUE(store->CreateKey(store->Root(), u"Works", key));
    }
}

TEST(SettingsStoreProcesses, AFileLockedByAnotherProgramIsLeftAlone) {
    SKIP_WITHOUT_CHILD();
    TempDir dir;
    const CString path = dir.CPath("registry.db");
    MakeStoreWithValue(path, u"theirs");
    auto holder = StartChild({"lock", path.ToUtf8(), dir.Path("ready").string()});
    ASSERT_TRUE(holder);
    ASSERT_TRUE(WaitForFile(dir.Path("ready")));

    SettingsOpenStatus status;
    plat::SettingsOpenOptions options;
    options.busyTimeoutMs = 200;
    auto store = SettingsStore::Open(path, status, options);
    EXPECT_EQ(status.kind, SettingsOpenStatus::Busy);
    EXPECT_EQ(status.error, win32::ERROR_BUSY);
    EXPECT_EQ(status.path, path);
    EXPECT_FALSE(status.IsKept());
    EXPECT_EQ(ReadKept(*store), CString(u"<none>"));  // a store in memory
    SettingsKey key;
    EXPECT_TRUE(store->CreateKey(store->Root(), u"Session", key));
    store.reset();

    holder.reset();  // killed: the lock goes with it
    auto again = SettingsStore::Open(path, status);
    EXPECT_EQ(status.kind, SettingsOpenStatus::Opened);
    EXPECT_EQ(ReadKept(*again), CString(u"theirs"));
    EXPECT_FALSE(again->OpenKey(again->Root(), u"Session", key));
}

TEST(SettingsStoreProcesses, TwoProgramsWritingAtOnceLoseNothing) {
    SKIP_WITHOUT_CHILD();
    TempDir dir;
    const CString path = dir.CPath("registry.db");
    const std::string go = dir.Path("go").string();
    auto a = StartChild({"write", path.ToUtf8(), "a", "1000", go}, dir.Path("a.out").string());
    auto b = StartChild({"write", path.ToUtf8(), "b", "1000", go}, dir.Path("b.out").string());
    ASSERT_TRUE(a && b);
    dir.WriteFile("go", "");
    plat::ChildExit ea, eb;
    ASSERT_TRUE(a->Wait(ea));
    ASSERT_TRUE(b->Wait(eb));
    EXPECT_TRUE(ea.exited && ea.code == 0);
    EXPECT_TRUE(eb.exited && eb.code == 0);

    SettingsOpenStatus status;
    auto store = SettingsStore::Open(path, status);
    SettingsKey key;
    ASSERT_TRUE(store->OpenKey(store->Root(), u"Software\\Shared", key));
    std::set<std::string> names;
    CString name;
    plat::SettingsValue value;
    for (std::uint32_t i = 0; store->EnumValue(key, i, name, &value); ++i) {
        std::uint32_t n = 0;
        ASSERT_TRUE(plat::ReadDwordValue(value, n));
        EXPECT_EQ(name.Mid(1), CString::Format(u"%u", n));
        names.insert(name.ToUtf8());
    }
    EXPECT_EQ(names.size(), 2000u);
}

TEST(SettingsStoreProcesses, ProgramsFindingOneDamagedFileMoveItAsideOnceAndShareTheFreshStore) {
    SKIP_WITHOUT_CHILD();
    TempDir dir;
    const CString path = dir.CPath("registry.db");
    dir.WriteFile("registry.db", std::string(5000, 'x'));
    const std::string go = dir.Path("go").string();
    std::vector<std::unique_ptr<plat::ChildProcess>> children;
    for (int i = 0; i < 4; ++i) {
        const std::string prefix(1, static_cast<char>('a' + i));
        children.push_back(StartChild({"write", path.ToUtf8(), prefix, "100", go}, dir.Path(prefix + ".out").string()));
        ASSERT_TRUE(children.back());
    }
    dir.WriteFile("go", "");
    for (auto& child : children) {
        plat::ChildExit e;
        ASSERT_TRUE(child->Wait(e));
        EXPECT_TRUE(e.exited && e.code == 0);
    }
    int moved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        if (name.find(".damaged-") != std::string::npos) {
            ++moved;
            EXPECT_EQ(dir.ReadFile(name), std::string(5000, 'x')) << name;
        }
    }
    EXPECT_EQ(moved, 1);
    SettingsOpenStatus status;
    auto store = SettingsStore::Open(path, status);
    EXPECT_EQ(status.kind, SettingsOpenStatus::Opened);
    SettingsKey key;
    ASSERT_TRUE(store->OpenKey(store->Root(), u"Software\\Shared", key));
    CString name;
    std::uint32_t count = 0;
    while (store->EnumValue(key, count, name)) ++count;
    EXPECT_EQ(count, 400u);
}

TEST(SettingsStoreProcesses, ProgramsRacingToCreateAKeyAreToldCreatedOnce) {
    SKIP_WITHOUT_CHILD();
    TempDir dir;
    const CString path = dir.CPath("registry.db");
    MakeStoreWithValue(path, u"x");  // the schema exists: only the key is raced for
    const std::string go = dir.Path("go").string();
    std::vector<std::unique_ptr<plat::ChildProcess>> children;
    for (int i = 0; i < 4; ++i) {
        children.push_back(StartChild({"create", path.ToUtf8(), "Software\\Quillon\\Wendelkast\\V9.00", go},
                                      dir.Path("out" + std::to_string(i)).string()));
        ASSERT_TRUE(children.back());
    }
    dir.WriteFile("go", "");
    int created = 0;
    for (int i = 0; i < 4; ++i) {
        plat::ChildExit e;
        ASSERT_TRUE(children[i]->Wait(e));
        EXPECT_TRUE(e.exited && e.code == 0);
        const std::string out = dir.ReadFile("out" + std::to_string(i));
        EXPECT_TRUE(out == "created\n" || out == "opened\n") << out;
        if (out == "created\n") ++created;
    }
    EXPECT_EQ(created, 1);
}

TEST(SettingsStoreProcesses, AProgramKilledInsideATransactionLeavesNothing) {
    SKIP_WITHOUT_CHILD();
    TempDir dir;
    const CString path = dir.CPath("registry.db");
    MakeStoreWithValue(path, u"before");
    auto child = StartChild({"hang", path.ToUtf8(), dir.Path("ready").string()});
    ASSERT_TRUE(child);
    ASSERT_TRUE(WaitForFile(dir.Path("ready")));
    ASSERT_TRUE(child->Signal(plat::ChildProcess::kKill));
    plat::ChildExit e;
    ASSERT_TRUE(child->Wait(e));
    EXPECT_EQ(e.signal, plat::ChildProcess::kKill);

    SettingsOpenStatus status;
    auto store = SettingsStore::Open(path, status);
    EXPECT_EQ(status.kind, SettingsOpenStatus::Opened);
    SettingsKey key;
    EXPECT_FALSE(store->OpenKey(store->Root(), u"Software\\Copy", key));
    EXPECT_EQ(ReadKept(*store), CString(u"before"));
}

}  // namespace
