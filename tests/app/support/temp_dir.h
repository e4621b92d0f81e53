#pragma once
// A fresh directory for one test, removed with everything in it afterwards, and whole-file
// helpers for byte-exact checks.
#include <filesystem>
#include <string>

#include "platform/core/cstring.h"

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The path of name inside the directory.
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    CString CPath(const std::string& name) const { return CString::FromUtf8(Path(name)); }

private:
    std::filesystem::path dir_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
