#pragma once
// Test environments that give the same FileSystem behaviour tests a fresh directory:
// PosixEnv a real temporary directory (removed afterwards), MemoryEnv a directory in a
// MemoryFileSystem. Each can also make what the interface cannot (symbolic links).
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/core/file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "tests/support/temp_dir.h"

namespace fstest {

class PosixEnv {
public:
    PosixEnv();
    plat::FileSystem& fs();
    // The directory of the test, without a trailing '/'.
    const CString& root() const { return root_; }
    void Symlink(const CString& path, const CString& target);

private:
    TempDir dir_;
    CString root_;
};

class MemoryEnv {
public:
    MemoryEnv();
    plat::FileSystem& fs() { return mem_; }
    plat::MemoryFileSystem& mem() { return mem_; }
    const CString& root() const { return root_; }
    void Symlink(const CString& path, const CString& target) { mem_.AddSymlink(path, target); }

private:
    plat::MemoryFileSystem mem_;
    CString root_ = u"/test-root";
};

// Both environments for a typed suite, named "Posix" and "Memory":
//   TYPED_TEST_SUITE(Suite, fstest::Envs, fstest::EnvNames);
using Envs = ::testing::Types<PosixEnv, MemoryEnv>;
class EnvNames {
public:
    template <typename T>
    static std::string GetName(int) {
        return std::is_same_v<T, PosixEnv> ? "Posix" : "Memory";
    }
};

// Through the interface: writes a whole file (CreateAlways), reads one whole, lists the
// names of a directory (without "." and "..", sorted).
bool WriteFile(plat::FileSystem& fs, const CString& path, std::string_view bytes, std::uint32_t mode = 0644);
std::optional<std::string> ReadFile(plat::FileSystem& fs, const CString& path);
std::vector<std::string> ListNames(plat::FileSystem& fs, const CString& path);
// Whether the directory holds a temporary file of a copy.
bool HasTemporary(plat::FileSystem& fs, const CString& dir);

}  // namespace fstest
