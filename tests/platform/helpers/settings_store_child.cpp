// A second program for the settings store's tests: it works on the same file as the test
// at the same time, so that what two programs do to one store can be checked.
//
//   settings_store_child write <db> <prefix> <count> <go>   sets <count> values, one commit each
//   settings_store_child create <db> <path> <go>            creates the key, prints "created" or "opened"
//   settings_store_child hang <db> <ready>                  writes inside a transaction, then waits to be killed
//   settings_store_child lock <db> <ready>                  holds the file locked until killed
//
// <go>: the program waits until this file exists, so that several start at once.
// <ready>: made once the program is where the test wants it.
// Exit code 0 on success; 1 with the failure on standard error.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/settings_store.h"
#include "platform/core/win_error.h"

namespace {

void WaitFor(const std::string& file) {
    for (int i = 0; i < 6000 && ::access(file.c_str(), F_OK) != 0; ++i) ::usleep(5000);
}

void Touch(const std::string& file) {
    if (FILE* f = std::fopen(file.c_str(), "w")) std::fclose(f);
}

int Failed(const char* what) {
    std::fprintf(stderr, "%s failed: %u\n", what, GetLastError());
    return 1;
}

std::unique_ptr<plat::SettingsStore> OpenStore(const char* path) {
    plat::SettingsOpenStatus status;
    plat::SettingsOpenOptions options;
    options.busyTimeoutMs = 30000;
    auto store = plat::SettingsStore::Open(CString::FromUtf8(path), status, options);
    if (!status.IsKept()) {
        std::fprintf(stderr, "open: status %d error %u\n", static_cast<int>(status.kind), status.error);
        return nullptr;
    }
    return store;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "write" && argc == 6) {
        auto store = OpenStore(argv[2]);
        if (!store) return 1;
        WaitFor(argv[5]);
        plat::SettingsKey key;
        if (!store->CreateKey(store->Root(), u"Software\\Shared", key)) return Failed("CreateKey");
        const int count = std::atoi(argv[4]);
        for (int i = 0; i < count; ++i) {
            const CString name = CString::FromUtf8(argv[3]) + CString::Format(u"%i", i);
            if (!store->SetValue(key, name, plat::MakeDwordValue(static_cast<std::uint32_t>(i)))) {
                return Failed("SetValue");
            }
        }
        return 0;
    }
    if (mode == "create" && argc == 5) {
        auto store = OpenStore(argv[2]);
        if (!store) return 1;
        WaitFor(argv[4]);
        plat::SettingsKey key;
        bool created = false;
        if (!store->CreateKey(store->Root(), CString::FromUtf8(argv[3]), key, &created)) return Failed("CreateKey");
        std::printf("%s\n", created ? "created" : "opened");
        return 0;
    }
    if (mode == "hang" && argc == 4) {
        auto store = OpenStore(argv[2]);
        if (!store) return 1;
        plat::SettingsStore::Transaction transaction(*store);
        if (!transaction.IsActive()) return Failed("Transaction");
        plat::SettingsKey key;
        if (!store->CreateKey(store->Root(), u"Software\\Copy\\V8.00\\Settings", key)) return Failed("CreateKey");
        for (int i = 0; i < 100; ++i) {
            if (!store->SetValue(key, CString::Format(u"Value%i", i), plat::MakeStringValue(u"half-made"))) {
                return Failed("SetValue");
            }
        }
        Touch(argv[3]);
        for (;;) ::pause();
    }
    if (mode == "lock" && argc == 4) {
        sqlite3* db = nullptr;
        if (sqlite3_open(argv[2], &db) != SQLITE_OK ||
            sqlite3_exec(db, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; PRAGMA user_version;", nullptr, nullptr,
                         nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "lock: %s\n", sqlite3_errmsg(db));
            return 1;
        }
        Touch(argv[3]);
        for (;;) ::pause();
    }
    std::fprintf(stderr, "usage: settings_store_child write|create|hang|lock ...\n");
    return 1;
}
