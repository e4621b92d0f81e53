#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "engine/error_info.h"
#include "engine/format/binary_stream.h"
#include "engine/format/signed_stream.h"
#include "engine/log/logger.h"
#include "engine/sync_database.h"
#include "platform/core/cstring_stream.h"
#include "platform/core/testing/fault_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "resources/string_ids.h"
#include "tests/engine/support/byte_builder.h"
#include "tests/engine/support/kit.h"
#include "tests/engine/support/profile_load_check.h"

namespace {

using kit::ByteBuilder;
using kit::StampFields;

StampFields Fields(std::u16string name, std::uint32_t attributes, std::uint64_t write) {
    StampFields f;
    f.attributes = attributes;
    f.creation = write + 1;
    f.access = write + 2;
    f.write = write;
    f.sizeHigh = 1;
    f.sizeLow = std::uint32_t(write * 7);
    f.name = std::move(name);
    return f;
}

FileStamp ToStamp(const StampFields& f) {
    FileStamp s;
    s.attributes = f.attributes;
    s.creationTime = f.creation;
    s.lastAccessTime = f.access;
    s.lastWriteTime = f.write;
    s.sizeHigh = f.sizeHigh;
    s.sizeLow = f.sizeLow;
    s.SetName(f.name);
    return s;
}

// A database entry: the left stamp written at t, the right one at t + 100.
FSTreeNode* Add(FSTreeNode* parent, const std::u16string& name, std::uint32_t attributes, std::uint64_t t) {
    FSTreeNode* n = FSTree::FindOrInsertChild(parent, name);
    if (t != 0) n->record.SetDatabaseStamps(ToStamp(Fields(name, attributes, t)), ToStamp(Fields(name, attributes, t + 100)));
    return n;
}

// The node record Add makes, as bytes (right stamp first).
void Node(ByteBuilder& b, std::u16string_view upper, const std::u16string& name, std::uint32_t depth,
          std::uint32_t attributes, std::uint64_t t, std::uint32_t children) {
    b.Wide(upper).U32(depth);
    if (t != 0) {
        b.Stamp(Fields(name, attributes, t + 100)).Stamp(Fields(name, attributes, t));
    } else {
        b.Stamp({}).Stamp({});
    }
    b.U32(children);
}

void FillSample(CSyncDataBase& db) {
    db.leftRoot = u"/home/user/left/";
    db.rightRoot = u"/srv/\u00e9t\u00e9/right/";
    FSTreeNode* root = db.GetRoot();
    FSTreeNode* docs = Add(root, u"Docs", 0x10, 1000);
    Add(docs, u"Readme.txt", 0x20, 2000);
    FSTreeNode* scanOnly = Add(root, u"scan-only", 0, 0);
    scanOnly->record.SetLeftStamp(ToStamp(Fields(u"scan-only", 0x20, 5)));
    FSTreeNode* tmp = Add(root, u"Tmp", 0x10, 0);
    Add(tmp, u"keep.txt", 0x20, 3000);
    db.protectionFilters.AddRule(u"*.TMP", ProtectionRule::ACTIVE);
    db.protectionFilters.AddRule(u"^DOCS\\\\X", ProtectionRule::MATCH_REGEX | ProtectionRule::EXCLUSION | ProtectionRule::ACTIVE);
    ProtectionRule sel(u"A*", ProtectionRule::ACTIVE);
    sel.SetFlagsRaw(sel.GetFlags() | ProtectionRule::MATCH_FILE);
    db.selectionFilters.push_back(sel);
    const std::uint8_t word[4] = {4, 3, 2, 1};
    db.blobStore.Set(7, "xyz", 3);
    db.blobStore.Set(1, word, 4);
}

// FillSample's profile, field by field from the layout tables.
ByteBuilder SampleBytes() {
    ByteBuilder b;
    b.Header("obn database", 3, 11, 22, 33);
    b.Wide(u"/home/user/left/").Wide(u"/srv/\u00e9t\u00e9/right/");
    b.U32(2);
    Node(b, u"DOCS", u"Docs", 0, 0x10, 1000, 1);
    Node(b, u"README.TXT", u"Readme.txt", 1, 0x20, 2000, 0);
    Node(b, u"TMP", u"", 0, 0, 0, 1);
    Node(b, u"KEEP.TXT", u"keep.txt", 1, 0x20, 3000, 0);
    b.U32(2).Wide(u"*.TMP").U32(0x0C).Wide(u"^DOCS\\\\X").U32(0x1D);
    b.U32(1).Wide(u"A*").U32(0x0E);
    b.U32(2).U32(1).U32(4).Raw("\x04\x03\x02\x01").U32(7).U32(3).Raw("xyz");
    return b;
}

// Everything a profile holds, one line per item, for comparisons.
std::string Describe(const CSyncDataBase& db) {
    std::string out = "L " + db.leftRoot.ToUtf8() + "\nR " + db.rightRoot.ToUtf8() + "\n";
    for (FSTreeNode* n : FSTree::Subtree(db.GetRoot())) {
        out += "N " + FSTree::GetNodePath(n).ToUtf8() + " d" + std::to_string(n->depth);
        if (const auto& p = n->record.db) {
            out += " L:" + p->left.DumpText().ToUtf8() + " " + CString(p->left.GetName()).ToUtf8();
            out += " R:" + p->right.DumpText().ToUtf8() + " " + CString(p->right.GetName()).ToUtf8();
        }
        out += "\n";
    }
    for (const auto& e : db.protectionFilters.Entries()) out += "P " + e->Format().ToUtf8() + "\n";
    for (const auto& r : db.selectionFilters) out += "S " + r.Format().ToUtf8() + "\n";
    for (const auto& [id, blob] : db.blobStore.Blobs())
        out += "B " + std::to_string(id) + " " + std::string(blob.data.begin(), blob.data.end()) + "\n";
    return out;
}

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        logger.AddView(&log);
        ASSERT_TRUE(fs.AddDirectory(u"/p"));
    }
    void TearDown() override { logger.RemoveView(&log); }

    std::string SaveToMemory(CSyncDataBase& db) {
        MemoryWriter w;
        ErrorInfo err;
        EXPECT_TRUE(db.Save(w, 3, 11, 22, 33, err));
        return w.Bytes();
    }
    // Loads bytes; the error code on failure, 0 on success.
    std::uint32_t Load(CSyncDataBase& db, const std::string& bytes, std::uint32_t* words = nullptr) {
        MemoryReader r(bytes);
        ErrorInfo err;
        std::uint32_t w[4] = {};
        const bool ok = db.Load(r, &w[0], &w[1], &w[2], &w[3], err);
        if (words) std::copy(w, w + 4, words);
        EXPECT_EQ(ok, !err.IsSet());
        if (ok) return 0;
        EXPECT_EQ(err.category, ERROR_CATEGORY_PROGRAM);
        return err.code;
    }

    CLogger logger;
    kit::LogCollector log;
    plat::MemoryFileSystem fs;
};

TEST_F(ProfileFileTest, SavedFileIsByteIdenticalToTheLayout) {
    CSyncDataBase db(&logger);
    db.SetFileSystem(&fs);
    FillSample(db);
    {
        SignedOFStream out(fs, u"/p/sample.kem");
        ErrorInfo err;
        ASSERT_TRUE(db.Save(out, 3, 11, 22, 33, err));
        ASSERT_TRUE(out.close());
    }
    const std::string expected = SampleBytes().Sign().str();
    const auto written = fs.ReadAll(u"/p/sample.kem");
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(*written, expected);
    // Word 1 is the format, whatever the caller passes.
    MemoryWriter w;
    ErrorInfo err;
    ASSERT_TRUE(db.Save(w, 9, 11, 22, 33, err));
    EXPECT_EQ(w.Bytes(), SampleBytes().str());
}

TEST_F(ProfileFileTest, SaveLoadSaveIsIdentical) {
    CSyncDataBase db(&logger);
    FillSample(db);
    const std::string first = SaveToMemory(db);
    CSyncDataBase back(&logger);
    std::uint32_t words[4];
    ASSERT_EQ(Load(back, first, words), 0u);
    EXPECT_EQ(back.rootsValid, 1);
    EXPECT_EQ(words[0], 3u);
    EXPECT_EQ(words[1], 11u);
    EXPECT_EQ(words[3], 33u);
    EXPECT_EQ(SaveToMemory(back), first);
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(ProfileFileTest, NeverSynchronisedProfileStoresRootsFiltersAndAnEmptyTree) {
    CSyncDataBase db(&logger);
    db.leftRoot = u"/a/";
    db.rightRoot = u"/b/";
    FSTreeNode* dir = FSTree::FindOrInsertChild(db.GetRoot(), u"dir");
    FSTree::FindOrInsertChild(dir, u"file")->record.SetLeftStamp(ToStamp(Fields(u"file", 0x20, 9)));
    db.protectionFilters.AddRule(u"X", ProtectionRule::ACTIVE);
    ByteBuilder expected;
    expected.Header("obn database", 3, 11, 22, 33).Wide(u"/a/").Wide(u"/b/").U32(0);
    expected.U32(1).Wide(u"X").U32(0x0C).U32(0).U32(0);
    EXPECT_EQ(SaveToMemory(db), expected.str());
}

TEST_F(ProfileFileTest, LoadsHandBuiltVersionOne) {
    ByteBuilder b;
    b.Header("obn database", 1, 5, 6, 7);
    b.Fixed("C:\\Links\\", 260).Fixed("D:\\R\xe9" "chts\\", 260);
    b.U32(1);
    b.Narrow("Caf\xe9").U32(0).Stamp(Fields(u"Caf\u00e9", 0x10, 100), false).U32(1);
    b.Narrow("na\xefve.txt").U32(1).Stamp(Fields(u"na\u00efve.txt", 0x20, 200), false).U32(0);
    b.U32(1).Narrow("*.B\xc4K").U32(0x0C);
    b.U32(1).Narrow("\x80*").U32(0x0E);
    b.U32(1).U32(9).U32(2).Raw("hi");
    b.Sign();  // the trailer is not read by Load

    CSyncDataBase db(&logger);
    std::uint32_t words[4];
    ASSERT_EQ(Load(db, b.str(), words), 0u);
    EXPECT_EQ(words[0], 1u);
    EXPECT_EQ(words[1], 5u);
    EXPECT_EQ(words[2], 6u);
    EXPECT_EQ(words[3], 7u);
    EXPECT_EQ(db.rootsValid, 1);
    const FileStamp cafe = ToStamp(Fields(u"Caf\u00e9", 0x10, 100));
    const FileStamp naive = ToStamp(Fields(u"na\u00efve.txt", 0x20, 200));
    EXPECT_EQ(Describe(db),
              "L C:\\Links\\\nR D:\\R\u00e9chts\\\n"
              "N CAF\u00c9 d0 L:" + cafe.DumpText().ToUtf8() + " Caf\u00e9 R:" + cafe.DumpText().ToUtf8() + " Caf\u00e9\n"
              "N CAF\u00c9\\NA\u00cfVE.TXT d1 L:" + naive.DumpText().ToUtf8() + " na\u00efve.txt R:" +
                  naive.DumpText().ToUtf8() + " na\u00efve.txt\n"
              "P EXCLUSION:0,ACTIVE:1,MATCH_ICASE:1,MATCH_FILE:0,MATCH_REGEX:0 \"*.B\u00c4K\"\n"
              "S EXCLUSION:0,ACTIVE:1,MATCH_ICASE:1,MATCH_FILE:1,MATCH_REGEX:0 \"\u20ac*\"\n"
              "B 9 hi\n");
}

ByteBuilder VersionTwo(std::uint32_t rootCount) {
    ByteBuilder b;
    b.Header("obn database", 2, 0, 0, 0).U32(rootCount);
    b.Fixed("/l/", 260).Fixed("/r/", 260);
    for (std::uint32_t i = 1; i < rootCount && i < 10; ++i) b.Fixed("/skipped/\xff", 260);
    b.U32(1).Narrow("\xc9T\xc9").U32(0);
    b.Stamp(Fields(u"\u00c9T\u00c9", 0x20, 600), false).Stamp(Fields(u"\u00e9t\u00e9", 0x20, 500), false).U32(0);
    b.U32(0).U32(1).Narrow("S").U32(0x08).U32(0);
    return b;
}

TEST_F(ProfileFileTest, LoadsHandBuiltVersionTwoSkippingExtraRoots) {
    for (std::uint32_t n : {1u, 3u}) {
        CSyncDataBase db(&logger);
        ASSERT_EQ(Load(db, VersionTwo(n).str()), 0u) << n;
        const FileStamp left = ToStamp(Fields(u"\u00e9t\u00e9", 0x20, 500));
        const FileStamp right = ToStamp(Fields(u"\u00c9T\u00c9", 0x20, 600));
        EXPECT_EQ(Describe(db), "L /l/\nR /r/\n"
                                "N \u00c9T\u00c9 d0 L:" + left.DumpText().ToUtf8() + " \u00e9t\u00e9 R:" +
                                    right.DumpText().ToUtf8() + " \u00c9T\u00c9\n"
                                "S EXCLUSION:0,ACTIVE:1,MATCH_ICASE:1,MATCH_FILE:0,MATCH_REGEX:0 \"S\"\n")
            << n;
    }
}

// A profile of one chain of nested entries, each name length characters long.
std::string DeepChain(std::uint32_t levels, std::size_t length) {
    ByteBuilder b;
    b.Header("obn database", 3, 0, 0, 0).Wide(u"/l/").Wide(u"/r/").U32(1);
    const std::u16string name(length, u'N');
    for (std::uint32_t i = 0; i < levels; ++i) Node(b, name, name, i, 0x10, 1000, i + 1 < levels ? 1 : 0);
    b.U32(0).U32(0).U32(0);
    return b.str();
}

TEST_F(ProfileFileTest, BadInputGivesItsErrorAndLeavesTheDatabaseCleared) {
    const std::string valid = SampleBytes().str();
    std::string foreign = valid;
    foreign.replace(0, 16, std::string("obn project\0\0\0\0\0", 16));
    std::string padded = valid;
    padded[15] = 'x';
    std::string version4 = valid;
    version4[16] = 4;
    std::string version0 = valid;
    version0[16] = 0;
    struct Case {
        const char* what;
        std::string bytes;
        std::uint32_t code;
    } cases[] = {
        {"empty", "", ERRCODE_READ_WRITE},
        {"higher version", version4, ERRCODE_UNSUPPORTED_VERSION},
        {"version 0", version0, ERRCODE_UNSUPPORTED_VERSION},
        {"foreign magic", foreign, ERRCODE_BAD_FORMAT},
        {"magic with a non-zero pad byte", padded, ERRCODE_BAD_FORMAT},
        {"version 2 without roots", VersionTwo(0).str(), ERRCODE_READ_WRITE},
        {"version 2 with a huge root count", VersionTwo(0xFFFFFFFFu).str(), ERRCODE_READ_WRITE},
        // Paths of up to 400,000 characters: a scan of it took 810 MB for their texts.
        {"4,000 levels of 100-character names", DeepChain(4000, 100), ERRCODE_READ_WRITE},
    };
    for (const auto& c : cases) {
        CSyncDataBase db(&logger);
        FillSample(db);
        db.rootsValid = 1;
        log.Clear();
        EXPECT_EQ(Load(db, c.bytes), c.code) << c.what;
        EXPECT_TRUE(kit::IsProfileCleared(db)) << c.what;
        ASSERT_EQ(log.entries.size(), 1u) << c.what;
        EXPECT_EQ(log.entries[0].code, c.code) << c.what;
    }
    // The version words of a higher version still reach the caller.
    CSyncDataBase db(&logger);
    std::uint32_t words[4];
    EXPECT_EQ(Load(db, version4, words), std::uint32_t(ERRCODE_UNSUPPORTED_VERSION));
    EXPECT_EQ(words[0], 4u);
    EXPECT_EQ(words[1], 11u);
}

TEST_F(ProfileFileTest, EveryCutBeforeTheTrailerGivesReadError) {
    const std::string valid = SampleBytes().str();
    for (std::size_t n = 0; n < valid.size(); ++n) {
        CSyncDataBase db(&logger);
        FillSample(db);
        EXPECT_EQ(Load(db, valid.substr(0, n)), std::uint32_t(ERRCODE_READ_WRITE)) << "cut to " << n;
        EXPECT_TRUE(kit::IsProfileCleared(db)) << "cut to " << n;
    }
    CSyncDataBase db(&logger);
    EXPECT_EQ(Load(db, valid), 0u);
}

TEST_F(ProfileFileTest, FailedStreamsGiveReadWriteError) {
    CSyncDataBase db(&logger);
    FillSample(db);
    MemoryWriter w;
    w.SetFail(5);
    ErrorInfo err;
    EXPECT_FALSE(db.Save(w, 3, 0, 0, 0, err));
    EXPECT_EQ(err.code, std::uint32_t(ERRCODE_READ_WRITE));
    // A write that fails on the way (a full disk) is reported by Save itself.
    plat::FaultFileSystem faulty(fs);
    faulty.FailWriteAfter(u"/p/full.kem", 10, 112);
    SignedOFStream out(faulty, u"/p/full.kem");
    ErrorInfo err2;
    EXPECT_FALSE(db.Save(out, 3, 0, 0, 0, err2));
    EXPECT_EQ(err2.code, std::uint32_t(ERRCODE_READ_WRITE));
    EXPECT_FALSE(out.close());
    EXPECT_FALSE(fs.Exists(u"/p/full.kem"));

    const std::string valid = SampleBytes().str();
    MemoryReader r(valid);
    r.SetFail(5);
    ErrorInfo err3;
    EXPECT_FALSE(db.Load(r, nullptr, nullptr, nullptr, nullptr, err3));
    EXPECT_EQ(err3.code, std::uint32_t(ERRCODE_READ_WRITE));
    EXPECT_TRUE(kit::IsProfileCleared(db));
}

TEST_F(ProfileFileTest, TheLongestPathsAProfileCanHoldLoadAndScan) {
    // 40 levels of 100 characters: 4,039 bytes, within the bound below any root.
    CSyncDataBase db(&logger);
    ASSERT_EQ(Load(db, DeepChain(40, 100)), 0u);
    CSyncDataBase again(&logger);
    EXPECT_EQ(Load(again, SaveToMemory(db)), 0u);
    EXPECT_EQ(Describe(again), Describe(db));
}

TEST_F(ProfileFileTest, AnExceptionInsideASaveLeavesThePreviousFile) {
    const CString path = u"/p/profile.kem";
    const std::string previous = ByteBuilder().Raw("previous").Sign().str();
    ASSERT_TRUE(fs.AddFile(path, previous, 0640));
    CSyncDataBase db(&logger);
    FillSample(db);
    // The first write to the file throws, as an allocation that fails inside it would.
    plat::FaultFileSystem faulty(fs);
    bool thrown = false;
    faulty.SetCallHook([&](plat::FsOp op, const CString&) {
        if (op != plat::FsOp::FileWrite || thrown) return;
        thrown = true;
        throw std::bad_alloc();
    });
    EXPECT_THROW(
        {
            SignedOFStream out(faulty, path);
            ErrorInfo err;
            db.Save(out, 3, 0, 0, 0, err);
            out.close();
        },
        std::bad_alloc);
    EXPECT_EQ(fs.ReadAll(path), previous);
    EXPECT_EQ(fs.Dump(u"/p"), "d 0755 /p\nf 0640 24 /p/profile.kem\n");
}

TEST_F(ProfileFileTest, DuplicateNameKeepsTheFirstAndWarns) {
    ByteBuilder b;
    b.Header("obn database", 3, 0, 0, 0).Wide(u"/l/").Wide(u"/r/").U32(2);
    Node(b, u"a", u"a", 0, 0x20, 10, 0);
    Node(b, u"A", u"A", 0, 0x20, 20, 0);
    b.U32(0).U32(0).U32(0);
    CSyncDataBase db(&logger);
    ASSERT_EQ(Load(db, b.str()), 0u);
    ASSERT_EQ(db.GetRoot()->children.size(), 1u);
    const FSTreeNode* a = db.GetRoot()->children.front();
    EXPECT_EQ(CString(a->record.db->left.GetName()), CString(u"a"));
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_TRUE(IsWarningEntry(log.entries[0]));
    EXPECT_EQ(log.entries[0].code, std::uint32_t(IDS_PROFILE_DUPLICATE_ENTRY));
    EXPECT_EQ(CString(log.entries[0].GetText()), CString(u"A"));
}

TEST_F(ProfileFileTest, InterruptedSaveLeavesThePreviousFileIntact) {
    const CString path = u"/p/profile.kem";
    CSyncDataBase old(&logger);
    old.leftRoot = u"/old/";
    old.rightRoot = u"/older/";
    MemoryWriter oldBytes;
    ErrorInfo err;
    ASSERT_TRUE(old.Save(oldBytes, 3, 0, 0, 0, err));
    const std::string previous = ByteBuilder().Raw(oldBytes.Bytes()).Sign().str();

    CSyncDataBase db(&logger);
    FillSample(db);
    const std::string next = SampleBytes().Sign().str();
    auto save = [&](plat::FileSystem& via) {
        SignedOFStream out(via, path);
        ErrorInfo e;
        const bool saved = db.Save(out, 3, 11, 22, 33, e);
        return out.close() && saved;
    };
    auto reset = [&] {
        fs.DeleteFile(path);
        ASSERT_TRUE(fs.AddFile(path, previous, 0640));
    };
    reset();
    plat::FaultFileSystem counting(fs);
    ASSERT_TRUE(save(counting));
    const std::uint64_t calls = counting.CallCount();
    for (std::uint64_t n = 1; n <= calls; ++n) {
        reset();
        plat::FaultFileSystem faulty(fs);
        faulty.FailNthCall(n, 112);
        const bool ok = save(faulty);
        const auto now = fs.ReadAll(path);
        ASSERT_TRUE(now.has_value()) << "call " << n;
        // Only the directory flush after the rename can fail with the new file in place.
        EXPECT_TRUE(ok ? *now == next : (*now == previous || *now == next)) << "call " << n;
        EXPECT_EQ(fs.Dump(u"/p").find(".wk~"), std::string::npos) << "call " << n << "\n" << fs.Dump(u"/p");
        FileReader in(fs, path);
        ErrorInfo check;
        ASSERT_TRUE(CheckSignature(in, &check)) << "call " << n;
        CSyncDataBase loaded(&logger);
        EXPECT_TRUE(loaded.Load(in, nullptr, nullptr, nullptr, nullptr, check)) << "call " << n;
        plat::FindData fd;
        ASSERT_TRUE(fs.GetFindData(path, fd));
        EXPECT_EQ(fd.mode & 07777, 0640u) << "call " << n;
    }
}

}  // namespace
