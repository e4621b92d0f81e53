#pragma once
// A fresh directory under the system's temporary directory, removed with everything in it
// when the object goes (tests only; the program itself never deletes recursively).
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/core/cstring.h"

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory's absolute path ending in '/', as a root is given to the engine.
    CString Root() const;
    // The directory itself (no trailing '/') or a path inside it.
    std::filesystem::path Path(std::string_view relative = {}) const {
        return relative.empty() ? path_ : path_ / relative;
    }
    CString CPath(std::string_view relative = {}) const { return CString::FromUtf8(Path(relative).string()); }

    void MakeDirectory(std::string_view relative) const;
    // Creates missing parent directories.
    void WriteFile(std::string_view relative, std::string_view bytes) const;
    std::string ReadFile(std::string_view relative) const;
    bool Exists(std::string_view relative) const;
    void MakeSymlink(std::string_view target, std::string_view relative) const;

private:
    std::filesystem::path path_;
};
