// The settings store used by several threads: one store shared, and two stores on one
// file (the way two programs share it).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include "platform/core/settings_store.h"
#include "platform/core/win_error.h"
#include "tests/support/temp_dir.h"

namespace {

using plat::SettingsKey;
using plat::SettingsOpenStatus;
using plat::SettingsStore;

std::unique_ptr<SettingsStore> OpenIn(const TempDir& dir) {
    SettingsOpenStatus status;
    auto store = SettingsStore::Open(dir.CPath("registry.db"), status);
    EXPECT_TRUE(status.IsKept());
    return store;
}

std::size_t CountValues(SettingsStore& store, std::u16string_view path) {
    SettingsKey key;
    if (!store.OpenKey(store.Root(), path, key)) return 0;
    CString name;
    std::size_t n = 0;
    while (store.EnumValue(key, static_cast<std::uint32_t>(n), name)) ++n;
    return n;
}

TEST(SettingsStoreThreads, ThreadsRacingToCreateAKeyAreToldCreatedOnce) {
    TempDir dir;
    auto store = OpenIn(dir);
    for (int round = 0; round < 5; ++round) {
        const CString path = CString::Format(u"Race\\Key%i", round);
        std::atomic<int> created{0};
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        for (int t = 0; t < 6; ++t) {
            threads.emplace_back([&] {
                while (!go) std::this_thread::yield();
                SettingsKey key;
                bool made = false;
                EXPECT_TRUE(store->CreateKey(store->Root(), path, key, &made));
                if (made) ++created;
            });
        }
        go = true;
        for (auto& t : threads) t.join();
        EXPECT_EQ(created, 1) << path.ToUtf8();
    }
}

TEST(SettingsStoreThreads, WritesFromManyThreadsAndTwoStoresOnOneFileAllLand) {
    TempDir dir;
    auto first = OpenIn(dir);
    auto second = OpenIn(dir);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        SettingsStore& store = t % 2 ? *second : *first;
        threads.emplace_back([&store, t] {
            SettingsKey key;
            ASSERT_TRUE(store.CreateKey(store.Root(), u"Shared", key));
            for (int i = 0; i < 150; ++i) {
                EXPECT_TRUE(store.SetValue(key, CString::Format(u"t%i-%i", t, i), plat::MakeDwordValue(i)))
                    << GetLastError();
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(CountValues(*first, u"Shared"), 600u);
    EXPECT_EQ(CountValues(*second, u"Shared"), 600u);
}

TEST(SettingsStoreThreads, AnotherThreadsWriteWaitsForATransactionAndIsNotUndoneWithIt) {
    TempDir dir;
    auto store = OpenIn(dir);
    SettingsKey key;
    ASSERT_TRUE(store->CreateKey(store->Root(), u"K", key));
    std::atomic<bool> begun{false};
    std::thread other;
    {
        SettingsStore::Transaction t(*store);
        ASSERT_TRUE(t.IsActive());
        ASSERT_TRUE(store->SetValue(key, u"undone", plat::MakeDwordValue(1)));
        other = std::thread([&] {
            begun = true;
            EXPECT_TRUE(store->SetValue(key, u"kept", plat::MakeDwordValue(2)));
        });
        while (!begun) std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }  // undone
    other.join();
    plat::SettingsValue value;
    EXPECT_FALSE(store->QueryValue(key, u"undone", value));
    EXPECT_TRUE(store->QueryValue(key, u"kept", value));
}

}  // namespace
