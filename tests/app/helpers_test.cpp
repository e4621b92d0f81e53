// The application's small shared helpers: window placement text, digit groups, the
// character insertion, exception texts, share roots and the selection mark of an entry.
#include <gtest/gtest.h>

#include <climits>

#include "app/exception_texts.h"
#include "app/file_paths.h"
#include "app/network_share.h"
#include "app/text_helpers.h"
#include "app/version_texts.h"
#include "app/window_placement.h"
#include "engine/filters/protection_filters.h"
#include "engine/proxy.h"
#include "engine/tree/fs_tree.h"
#include "tests/support/temp_dir.h"

namespace {

std::string U8(const CString& s) { return s.ToUtf8(); }

TEST(WindowPlacementText, ParsesExactlyTenNumbersInRange) {
    struct Case {
        const char16_t* text;
        bool ok;
    };
    const Case cases[] = {
        {u"0,1,-1,-1,-8,-8,10,20,810,620", true},
        {u" 2 , 3,0,0,0,0,0,0,0,0 ", true},  // blanks around numbers
        {u"4294967295,0,-2147483648,2147483647,0,0,0,0,0,0", true},
        {u"", false},
        {u"0,1,2", false},                   // three numbers
        {u"0,1,2,3,4,5,6,7,8", false},       // nine
        {u"0,1,2,3,4,5,6,7,8,9,10", false},  // eleven
        {u"0,1,2,3,4,5,6,7,8,9x", false},    // trailing text
        {u"0,1,2,3,4,5,6,7,8,9,", false},
        {u"4294967296,0,0,0,0,0,0,0,0,0", false},  // above unsigned 32-bit
        {u"-1,0,0,0,0,0,0,0,0,0", false},          // a negative flags word
        {u"0,0,2147483648,0,0,0,0,0,0,0", false},  // above signed 32-bit
        {u"0,0,0,0,0,0,0,0,0,-2147483649", false},
        {u"0,0,,0,0,0,0,0,0,0", false},
        {u"0,0,99999999999999999999,0,0,0,0,0,0,0", false},
    };
    for (const Case& c : cases) {
        WindowPlacement p;
        p.flags = 77;
        EXPECT_EQ(ParseWindowPlacement(c.text, p), c.ok) << U8(c.text);
        if (!c.ok) {
            EXPECT_EQ(p.flags, 77u) << U8(c.text);  // left alone
        }
    }
    WindowPlacement p;
    ASSERT_TRUE(ParseWindowPlacement(u"2,3,-1,-2,-8,-9,10,20,810,620", p));
    EXPECT_EQ(p.length, sizeof(WindowPlacement));
    EXPECT_EQ(p.flags, 2u);
    EXPECT_EQ(p.showCommand, 3u);
    EXPECT_EQ(p.minX, -1);
    EXPECT_EQ(p.maxY, -9);
    EXPECT_EQ(p.bottom, 620);
    EXPECT_EQ(U8(FormatWindowPlacement(p)), "2,3,-1,-2,-8,-9,10,20,810,620");
    p.flags = 4294967295u;
    p.left = INT_MIN;
    WindowPlacement back;
    ASSERT_TRUE(ParseWindowPlacement(FormatWindowPlacement(p), back));
    EXPECT_EQ(back.flags, p.flags);
    EXPECT_EQ(back.left, INT_MIN);
}

TEST(TextHelpers, DigitGroupsAndInsertedCharacters) {
    const std::pair<const char16_t*, const char*> groups[] = {
        {u"100", "100"},      {u"1000", "1.000"}, {u"1234567", "1.234.567"}, {u"123456", "123.456"},
        {u"-1234", "-1.234"}, {u"", ""},          {u"12a4567", "12a4567"},   {u"4294967295", "4.294.967.295"},
    };
    for (const auto& [in, out] : groups) {
        CString text = in;
        GroupDigits(text);
        EXPECT_EQ(U8(text), out) << U8(in);
    }
    const std::tuple<long, const char*> inserts[] = {{0, "Xabc"}, {2, "abXc"}, {3, "abcX"}, {99, "abcX"}, {-5, "Xabc"}};
    for (const auto& [at, out] : inserts) {
        CString text = u"abc";
        InsertChar(text, at, u'X');
        EXPECT_EQ(U8(text), out) << at;
    }
}

TEST(ExceptionTexts, EveryStandardCodeHasANameAndASentence) {
    struct Case {
        std::uint32_t code;
        const char* name;
    };
    const Case cases[] = {
        {0xC0000005, "Access Violation"},
        {0x80000001, "Guard Page"},
        {0x80000002, "Datatype Misalignment"},
        {0x80000003, "Breakpoint"},
        {0x80000004, "Single Step"},
        {0xC0000006, "In Page Error"},
        {0xC0000008, "Invalid Handle"},
        {0xC0000017, "No Memory"},
        {0xC000001D, "Illegal Instruction"},
        {0xC0000025, "Noncontinuable Exception"},
        {0xC0000026, "Invalid Disposition"},
        {0xC000008C, "Array Bounds Exceeded"},
        {0xC000008D, "Float Denormal Operand"},
        {0xC000008E, "Float Divide by Zero"},
        {0xC000008F, "Float Inexact Result"},
        {0xC0000090, "Float Invalid Operation"},
        {0xC0000091, "Float Overflow"},
        {0xC0000092, "Float Stack Check"},
        {0xC0000093, "Float Underflow"},
        {0xC0000094, "Integer Divide by Zero"},
        {0xC0000095, "Integer Overflow"},
        {0xC0000096, "Privileged Instruction"},
        {0xC00000FD, "Stack Overflow"},
        {0xE06D7363, "Microsoft C++ Exception"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(U8(ExceptionCodeName(c.code)), c.name);
        const std::string sentence = U8(ExceptionCodeDescription(c.code));
        EXPECT_NE(sentence, "Unknown Exception") << c.name;
        EXPECT_GT(sentence.size(), 10u) << c.name;
    }
    EXPECT_EQ(U8(ExceptionCodeDescription(0xC0000005)),
              "The thread attempted to read from or write to a virtual address for which it does not have the "
              "appropriate access");
    EXPECT_EQ(U8(ExceptionCodeDescription(0xC0000017)),
              "The allocation attempt failed because of a lack of available memory or heap corruption.");
    EXPECT_EQ(U8(ExceptionCodeDescription(0xC0000008)), "Invalid Handle Exception");
    EXPECT_EQ(U8(ExceptionCodeName(0x12AB)), "000012AB");
    EXPECT_EQ(U8(ExceptionCodeDescription(0x12AB)), "Unknown Exception");
}

TEST(NetworkShares, ShareRootsAreRecognisedButNeverConnected) {
    const std::pair<const char16_t*, const char*> roots[] = {
        {u"\\\\srv\\share\\dir", "\\\\srv\\share"},
        {u"\\\\srv\\share", "\\\\srv\\share"},
        {u"\\\\srv//\\share/dir/x", "\\\\srv\\share"},
        {u"C:\\dir", ""},
        {u"/mnt/share", ""},
        {u"\\\\srv\\", ""},
        {u"\\srv\\share", ""},
    };
    for (const auto& [path, root] : roots) EXPECT_EQ(U8(GetUncShareRoot(path)), root) << U8(path);

    for (const std::uint32_t code : {2u, 5u, 1326u}) {
        ErrorInfo error;
        error.Set(ERROR_CATEGORY_SYSTEM, code, 0, u"\\\\srv\\share\\x");
        EXPECT_FALSE(ConnectNetworkShare(error, u"\\\\srv\\share\\x"));
        EXPECT_EQ(error.category, ERROR_CATEGORY_SYSTEM);  // the record as it was
        EXPECT_EQ(error.code, code);
    }
}

TEST(SelectionMark, MarksTheRecordAndItsFilterState) {
    FSTree tree;
    FSTreeNode* node = tree.FindOrInsertChild(tree.GetRoot(), u"a");
    RecordFilterState state;
    ProxyEntry entry;
    entry.node = node;
    SetEntrySelectionMark(entry, true);
    EXPECT_TRUE(node->record.FG & FG_MARKED);
    node->record.filterState = &state;
    SetEntrySelectionMark(entry, true);
    EXPECT_EQ(state.marked, 1);
    node->record.FG |= 0x40;
    SetEntrySelectionMark(entry, false);
    EXPECT_FALSE(node->record.FG & FG_MARKED);
    EXPECT_TRUE(node->record.FG & 0x40);  // the other flags stay
    EXPECT_EQ(state.marked, 0);
    node->record.filterState = nullptr;
}

}  // namespace

namespace {

TEST(VersionTexts, TheSystemsVersionInFiveLines) {
    const std::string text = GetOSVersionText().ToUtf8();
    EXPECT_EQ(text.rfind("MajorVersion: ", 0), 0u) << text;
    EXPECT_NE(text.find("\nMinorVersion: "), std::string::npos);
    EXPECT_NE(text.find("\nBuildNumber: "), std::string::npos);
    EXPECT_NE(text.find("\nPlatformId: 0\nCSDVersion: Linux "), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(GetShell32MajorVersion(), 6);
}

}  // namespace

namespace {

TEST(FileVersionInfo, TheProgramsOwnBlock) {
    CFileVersionInfo info;
    const FixedFileInfo* fixed = info.OpenModule(nullptr);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->signature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->fileVersionMS, 0x00080000u);  // 8.0
    EXPECT_EQ(fixed->fileVersionLS, 0u);           // .0.0
    EXPECT_EQ(fixed->fileType, std::uint32_t(kVerTypeApplication));
    std::vector<VersionBlock::Translation> table;
    ASSERT_TRUE(info.GetTranslations(table));
    EXPECT_EQ(table, (std::vector<VersionBlock::Translation>{{0x0409, 1200}}));
    CString text;
    ASSERT_TRUE(info.QueryString("040904b0", "InternalName", text));
    EXPECT_EQ(U8(text), "Wendelkast");
    EXPECT_FALSE(info.QueryString("040704b0", "InternalName", text));

    std::uint32_t version = 0;
    EXPECT_EQ(U8(GetProgramVersionText(&version)), "Wendelkast 8.0.0");
    EXPECT_EQ(version, 8u);  // 8 + 0 x 256 + 0 x 65536
    EXPECT_EQ(U8(GetProgramVersionText()), "Wendelkast 8.0.0");
}

TEST(FileVersionInfo, ALanguageFileHasItsOwnBlockAndOtherFilesNone) {
    TempDir dir;
    dir.WriteFile("KemDE.lang",
                  "1201\t\"Erfolgreich beendet.\"\n"
                  "version\n"
                  "    file-version 1.2.3.4\n"
                  "    product-version 8.0.0.0\n"
                  "    strings 040704b0\n"
                  "        ProductVersion \"8.0.0\"\n"
                  "    end\n"
                  "    translation 0x0407 1200\n"
                  "end\n");
    dir.WriteFile("strings-only.lang", "1201\t\"Erfolgreich beendet.\"\n");
    dir.WriteFile("garbage.lang", "version\n  nonsense\n");
    CFileVersionInfo info;
    const FixedFileInfo* fixed = info.Open(dir.CPath("KemDE.lang"));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->fileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->fileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed->productVersionMS, 0x00080000u);
    std::vector<VersionBlock::Translation> table;
    ASSERT_TRUE(info.GetTranslations(table));
    EXPECT_EQ(table, (std::vector<VersionBlock::Translation>{{0x0407, 1200}}));
    CString text;
    EXPECT_TRUE(info.QueryString("040704B0", "productversion", text));
    EXPECT_EQ(U8(text), "8.0.0");

    for (const char* name : {"strings-only.lang", "garbage.lang", "missing.lang", ""}) {
        EXPECT_EQ(info.Open(dir.CPath(name)), nullptr) << name;
        EXPECT_EQ(info.Fixed(), nullptr) << name;  // the earlier block is gone
        EXPECT_FALSE(info.GetTranslations(table)) << name;
        EXPECT_TRUE(table.empty());
        EXPECT_FALSE(info.QueryString("040704b0", "ProductVersion", text)) << name;
    }
    EXPECT_EQ(info.Open(CString::FromUtf8(GetProgramFolder().ToUtf8() + "app_tests")), nullptr);  // an executable
}

}  // namespace
