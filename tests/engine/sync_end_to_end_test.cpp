// Scan, execute, scan again: two trees changed on both sides since a synchronised state
// end up equal, except the one conflict, which is left as it is.
#include <gtest/gtest.h>

#include <string>

#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "platform/core/testing/memory_file_system.h"
#include "tests/engine/support/kit.h"
#include "tests/engine/support/scripted_watcher.h"

namespace {

using kit::kSecond;
using kit::kT0;
using kit::PlanText;

void Replace(plat::MemoryFileSystem& mem, const CString& path, std::string_view bytes, FileTime when) {
    mem.DeleteFile(path);
    ASSERT_TRUE(mem.AddFile(path, bytes, 0644, when));
}

TEST(EndToEndTest, ChangesOnBothSidesMeetAndOnlyTheConflictStays) {
    plat::MemoryFileSystem mem;
    mem.SetTime(kT0);
    for (const char16_t* side : {u"/L", u"/R"}) {
        const CString s(side);
        mem.AddFile(s + u"/a.txt", "alpha", 0644, kT0);
        mem.AddFile(s + u"/both.txt", "base", 0644, kT0);
        mem.AddFile(s + u"/gone-right.txt", "g", 0644, kT0);
        mem.AddFile(s + u"/gone-left/x.txt", "x", 0644, kT0);
        mem.AddFile(s + u"/sub/changed.txt", "c0", 0644, kT0);
        mem.AddFile(s + u"/keep/k.txt", "k", 0644, kT0);
    }
    CLogger logger;
    CSyncDataBase db(&logger);
    db.SetFileSystem(&mem);
    ErrorInfo error;
    ASSERT_EQ(db.Create(u"/L", u"/R", error), 0);
    Proxy proxy;
    ScriptedWatcher script;
    ASSERT_EQ(db.Scan(&proxy, &script.watcher, false), 0u);
    ASSERT_EQ(db.Execute(proxy, script.watcher), RUN_FINISHED);

    // Since the synchronisation: new, changed and deleted files and directories on each
    // side, and one file changed on both.
    mem.SetTime(kT0 + 100 * kSecond);
    mem.AddFile(u"/L/new-left.txt", "nl", 0644, kT0 + 10 * kSecond);
    mem.AddFile(u"/L/new-dir/n.txt", "n", 0644, kT0 + 10 * kSecond);
    Replace(mem, u"/L/sub/changed.txt", "changed on the left", kT0 + 10 * kSecond);
    mem.DeleteFile(u"/L/gone-left/x.txt");
    mem.RemoveDirectory(u"/L/gone-left");
    mem.AddFile(u"/R/new-right.txt", "nr", 0644, kT0 + 10 * kSecond);
    mem.AddFile(u"/R/right-dir/r.txt", "r", 0644, kT0 + 10 * kSecond);
    mem.DeleteFile(u"/R/gone-right.txt");
    Replace(mem, u"/R/a.txt", "changed on the right", kT0 + 10 * kSecond);
    Replace(mem, u"/L/both.txt", "left version", kT0 + 20 * kSecond);
    Replace(mem, u"/R/both.txt", "right version", kT0 + 30 * kSecond);

    ASSERT_EQ(db.Scan(&proxy, &script.watcher, false), 0u);
    EXPECT_EQ(PlanText(proxy),
              "A.TXT=CP_S BOTH.TXT=AMBIGUOUS GONE-LEFT=DEL_S GONE-LEFT\\X.TXT=DEL_S GONE-RIGHT.TXT=DEL_M "
              "KEEP=EQUAL KEEP\\K.TXT=EQUAL NEW-DIR=CP_M NEW-DIR\\N.TXT=CP_M NEW-LEFT.TXT=CP_M NEW-RIGHT.TXT=CP_S "
              "RIGHT-DIR=CP_S RIGHT-DIR\\R.TXT=CP_S SUB=EQUAL SUB\\CHANGED.TXT=CP_M");
    ASSERT_EQ(db.Execute(proxy, script.watcher), RUN_FINISHED);

    ASSERT_EQ(db.Scan(&proxy, &script.watcher, false), 0u);
    EXPECT_EQ(PlanText(proxy),
              "A.TXT=EQUAL BOTH.TXT=AMBIGUOUS KEEP=EQUAL KEEP\\K.TXT=EQUAL NEW-DIR=EQUAL NEW-DIR\\N.TXT=EQUAL "
              "NEW-LEFT.TXT=EQUAL NEW-RIGHT.TXT=EQUAL RIGHT-DIR=EQUAL RIGHT-DIR\\R.TXT=EQUAL SUB=EQUAL "
              "SUB\\CHANGED.TXT=EQUAL");
    for (const char16_t* side : {u"/L", u"/R"}) {
        const CString s(side);
        SCOPED_TRACE(s.ToUtf8());
        EXPECT_EQ(mem.ReadAll(s + u"/a.txt"), "changed on the right");
        EXPECT_EQ(mem.ReadAll(s + u"/sub/changed.txt"), "changed on the left");
        EXPECT_EQ(mem.ReadAll(s + u"/new-left.txt"), "nl");
        EXPECT_EQ(mem.ReadAll(s + u"/new-dir/n.txt"), "n");
        EXPECT_EQ(mem.ReadAll(s + u"/new-right.txt"), "nr");
        EXPECT_EQ(mem.ReadAll(s + u"/right-dir/r.txt"), "r");
        EXPECT_EQ(mem.ReadAll(s + u"/keep/k.txt"), "k");
        EXPECT_FALSE(mem.Exists(s + u"/gone-left"));
        EXPECT_FALSE(mem.Exists(s + u"/gone-right.txt"));
    }
    EXPECT_EQ(mem.ReadAll(u"/L/both.txt"), "left version");
    EXPECT_EQ(mem.ReadAll(u"/R/both.txt"), "right version");
}

}  // namespace
