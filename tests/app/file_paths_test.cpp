// Native path rules of the application's helpers: folders, base names, member paths
// relative to a project file and back, normalisation and dialog results.
#include "app/file_paths.h"

#include <gtest/gtest.h>

#include <random>

#include "app/file_dialog_filter.h"

#include "tests/support/temp_dir.h"

namespace {

std::string U8(const CString& s) { return s.ToUtf8(); }

TEST(FilePaths, FoldersAndBaseNames) {
    struct Case {
        const char16_t* path;
        const char* folder;
        const char* base;
    };
    const Case cases[] = {
        {u"/a/b.kem", "/a", "b"},
        {u"/a/b/c.tar.gz", "/a/b", "c.tar"},
        {u"b.kem", "", "b"},
        {u"/b.kem", "/", "b"},
        {u"/a/.profile", "/a", ".profile"},
        {u"/a/name.", "/a", "name"},
        {u"/a.d/name", "/a.d", "name"},
        {u"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(U8(ExtractFolder(c.path)), c.folder) << U8(c.path);
        EXPECT_EQ(U8(GetFileBaseName(c.path)), c.base) << U8(c.path);
    }
}

TEST(FilePaths, MemberPathsRelativeToTheProjectFile) {
    struct Case {
        const char16_t* project;
        const char16_t* member;
        const char* relative;
    };
    const Case cases[] = {
        {u"/p/q.rvo", u"/p/x.kem", "./x.kem"},
        {u"/p/q.rvo", u"/p/a/b/x.kem", "./a/b/x.kem"},
        {u"/p/q.rvo", u"/x.kem", "../x.kem"},
        {u"/p/r/q.rvo", u"/p/s/x.kem", "../s/x.kem"},
        {u"/p/r/s/q.rvo", u"/x.kem", "../../../x.kem"},
        {u"/q.rvo", u"/x.kem", "./x.kem"},
        {u"/p/q.rvo", u"/P/x.kem", "../P/x.kem"},            // case matters: another folder
        {u"/p/q.rvo", u"/p/./a/../x.kem", "./x.kem"},        // lexically normalised first
        {u"/p/q.rvo", u"relative/x.kem", "relative/x.kem"},  // not absolute: as it is
    };
    for (const Case& c : cases) {
        const CString relative = MakeRelativePath(c.project, c.member);
        EXPECT_EQ(U8(relative), c.relative) << U8(c.project) << " " << U8(c.member);
    }

    struct Resolve {
        const char16_t* project;
        const char16_t* stored;
        const char* full;
    };
    const Resolve resolves[] = {
        {u"/p/q.rvo", u"../x.kem", "/x.kem"},
        {u"/p/q.rvo", u"..\\x.kem", "/x.kem"},  // written by the Windows program
        {u"/p/q.rvo", u".\\a\\b.kem", "/p/a/b.kem"},
        {u"/p/q.rvo", u"/abs/x.kem", "/abs/x.kem"},  // absolute: as it is
        {u"/p/q.rvo", u"a\\b.kem", "a\\b.kem"},      // not beginning with '.': as it is
        {u"/p/q.rvo", u"", ""},
        {u"/p/q.rvo", u"../../../x.kem", "/x.kem"},  // no further up than the root
    };
    for (const Resolve& r : resolves) {
        EXPECT_EQ(U8(ResolveMemberPath(r.project, r.stored)), r.full) << U8(r.stored);
    }
}

TEST(FilePaths, ResolvingARelativeMemberPathGivesThePathBack) {
    std::mt19937 random(12345);
    const char16_t* names[] = {u"a", u"B", u"b", u"dir.d", u".hidden", u"x y", u"\u00E9t\u00E9", u"..x"};
    auto randomPath = [&](int minDepth) {
        CString path;
        const int depth = minDepth + static_cast<int>(random() % 5);
        for (int i = 0; i < depth; ++i) path += CString(u"/") + names[random() % std::size(names)];
        return path;
    };
    for (int i = 0; i < 2000; ++i) {
        const CString project = randomPath(0) + u"/project.rvo";
        const CString member = randomPath(1);
        const CString relative = MakeRelativePath(project, member);
        ASSERT_TRUE(relative.StartsWith(u".")) << U8(relative);
        EXPECT_EQ(U8(ResolveMemberPath(project, relative)), U8(member)) << U8(project) << " " << U8(member);
    }
}

TEST(FilePaths, FilesExistOnlyAsFilesAndNormalisedPathsOnlyWhenThere) {
    TempDir dir;
    dir.WriteFile("f.kem", "x");
    dir.MakeDirectory("d");
    dir.MakeSymlink(dir.Path("f.kem").string(), "link");
    EXPECT_TRUE(FileExists(dir.CPath("f.kem")));
    EXPECT_TRUE(FileExists(dir.CPath("link")));
    EXPECT_FALSE(FileExists(dir.CPath("d")));
    EXPECT_FALSE(FileExists(dir.CPath("missing")));
    EXPECT_FALSE(FileExists(u""));

    char16_t buffer[512];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    const CString messy = dir.CPath("d") + u"/.././/f.kem";
    const std::size_t n = NormalizePathByShell(messy, buffer, std::size(buffer));
    EXPECT_EQ(U8(CString(buffer, n)), U8(dir.CPath("f.kem")));
    EXPECT_EQ(buffer[n], u'\0');
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(NormalizePathByShell(dir.CPath("missing"), buffer, std::size(buffer)), 0u);
    EXPECT_EQ(NormalizePathByShell(dir.CPath("f.kem"), buffer, dir.CPath("f.kem").GetLength()),
              0u);               // no room for the NUL
    EXPECT_EQ(buffer[0], u'#');  // untouched
}

TEST(FilePaths, TheProgramFolderHoldsThisTestProgram) {
    const CString folder = GetProgramFolder();
    ASSERT_TRUE(folder.EndsWith(u'/'));
    EXPECT_TRUE(FileExists(folder + u"app_tests"));
}

TEST(FilePaths, DialogResultsWithOneOrSeveralFiles) {
    struct Case {
        std::u16string text;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {std::u16string(u"/p/x.kem\0\0", 10), {"/p/x.kem"}},
        {std::u16string(u"/p\0a.kem\0b.kem\0\0", 16), {"/p/a.kem", "/p/b.kem"}},
        {std::u16string(u"/\0a.kem\0\0", 9), {"/a.kem"}},
        {std::u16string(u"/p\0a.kem", 8), {"/p/a.kem"}},  // the final empty string missing
        {std::u16string(u"\0", 1), {}},
        {u"", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> got;
        for (const CString& p : SplitMultiString(c.text)) got.push_back(U8(p));
        EXPECT_EQ(got, c.paths);
    }
}

}  // namespace

namespace {

TEST(FileDialogFilters, PairsOfDescriptionAndPatterns) {
    struct Case {
        const char16_t* filter;
        std::vector<std::string> nameFilters;
    };
    const Case cases[] = {
        {u"Profiles (*.kem)|*.kem|All files (*.*)|*.*||", {"Profiles (*.kem)", "All files (*.*) (*)"}},
        {u"Projects|*.rvo; *.RVO||", {"Projects (*.rvo *.RVO)"}},
        {u"Logs (*.log *.txt)|*.log;*.txt", {"Logs (*.log *.txt)"}},  // no final "||"
        {u"Text|*.txt||Ignored|*.x||", {"Text (*.txt)"}},             // stops at the empty description
        {u"Nothing||Text|*.txt||", {"Text (*.txt)"}},                 // an empty patterns field: left out
        {u"Empty|;;|Text|*.txt||", {"Text (*.txt)"}},                 // a pair without a pattern is left out
        {u"", {}},
        {u"|", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> got;
        for (const FileDialogFilter& f : ParseFileDialogFilter(c.filter))
            got.push_back(FileDialogNameFilter(f).ToUtf8());
        EXPECT_EQ(got, c.nameFilters) << CString(c.filter).ToUtf8();
    }
}

}  // namespace
