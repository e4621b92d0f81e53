#include "tests/platform/support/fs_test_env.h"

#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "platform/core/win_error.h"

namespace fstest {

PosixEnv::PosixEnv() : root_(CString::FromUtf8(dir_.Path().native())) {}

plat::FileSystem& PosixEnv::fs() { return plat::PosixFs(); }

void PosixEnv::Symlink(const CString& path, const CString& target) {
    std::filesystem::create_symlink(std::filesystem::path(target.ToUtf8()), std::filesystem::path(path.ToUtf8()));
}

MemoryEnv::MemoryEnv() { mem_.AddDirectory(root_); }

bool WriteFile(plat::FileSystem& fs, const CString& path, std::string_view bytes, std::uint32_t mode) {
    auto f = fs.CreateFile(path, plat::CreateMode::CreateAlways, mode);
    return f && f->Write(bytes.data(), bytes.size()) && f->Close();
}

std::optional<std::string> ReadFile(plat::FileSystem& fs, const CString& path) {
    auto f = fs.OpenRead(path);
    if (!f) return std::nullopt;
    std::string out;
    char buffer[4096];
    for (;;) {
        std::size_t got = 0;
        if (!f->Read(buffer, sizeof buffer, got)) return std::nullopt;
        if (got == 0) break;
        out.append(buffer, got);
    }
    return out;
}

std::vector<std::string> ListNames(plat::FileSystem& fs, const CString& path) {
    std::vector<std::string> names;
    auto lister = fs.ListDirectory(path);
    if (!lister) return names;
    plat::FindData fd;
    while (lister->Next(fd))
        if (fd.name != CString(u".") && fd.name != CString(u"..")) names.push_back(fd.name.ToUtf8());
    EXPECT_EQ(win32::ERROR_NO_MORE_FILES, GetLastError()) << path.ToUtf8();
    std::sort(names.begin(), names.end());
    return names;
}

bool HasTemporary(plat::FileSystem& fs, const CString& dir) {
    auto lister = fs.ListDirectory(dir);
    plat::FindData fd;
    while (lister && lister->Next(fd))
        if (plat::IsTemporaryName(fd.name)) return true;
    return false;
}

}  // namespace fstest
