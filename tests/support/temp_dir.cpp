#include "tests/support/temp_dir.h"

#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device device;
    for (;;) {
        path_ = fs::temp_directory_path() / ("wk-test-" + std::to_string(device()));
        if (fs::create_directory(path_)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Make everything writable again, so that tests which took permissions away are
    // cleaned up too.
    for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

CString TempDir::Root() const { return CString::FromUtf8(path_.string() + "/"); }

void TempDir::MakeDirectory(std::string_view relative) const { fs::create_directories(path_ / relative); }

void TempDir::WriteFile(std::string_view relative, std::string_view bytes) const {
    const fs::path p = path_ / relative;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempDir::ReadFile(std::string_view relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempDir::Exists(std::string_view relative) const {
    std::error_code ignored;
    return fs::symlink_status(path_ / relative, ignored).type() != fs::file_type::not_found;
}

void TempDir::MakeSymlink(std::string_view target, std::string_view relative) const {
    fs::create_symlink(target, path_ / relative);
}
