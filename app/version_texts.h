#pragma once
// Version information of the program, of language files and of the system, for the
// about box, the profile file's header and error reports.
//
// CFileVersionInfo reads the version block that a resource set carries: the program's
// own (built in, resources/version.txt) or a language file's. Other files (the
// executable itself included: its block is built in, not in the file) have none.
//
// Threads: a CFileVersionInfo is used by one thread; the free functions are
// thread-safe. Nothing throws except std::bad_alloc.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/core/cstring.h"
#include "resources/version_block.h"

class ResourceSet;

// The fixed part of a version block, with the version numbers packed in pairs as the
// profile file's header and the about box read them.
struct FixedFileInfo {
    static constexpr std::uint32_t kSignature = 0xFEEF04BD;
    std::uint32_t signature = kSignature;
    std::uint32_t fileVersionMS = 0;  // major << 16 | minor
    std::uint32_t fileVersionLS = 0;  // build << 16 | revision
    std::uint32_t productVersionMS = 0;
    std::uint32_t productVersionLS = 0;
    std::uint32_t fileFlags = 0;  // VersionFileFlag bits
    std::uint32_t fileType = 0;   // VersionFileType
};

class CFileVersionInfo {
public:
    // The version block of the language file at path (a resource text of at most 16 MiB
    // that reads whole and has one); null, and the object empty, otherwise.
    const FixedFileInfo* Open(const CString& path);
    // The version block of a loaded resource set: the program's own for null, else the
    // set's (a language file's). Null, and the object empty, when it has none.
    const FixedFileInfo* OpenModule(const ResourceSet* module);
    // Null while empty.
    const FixedFileInfo* Fixed() const { return fixed_ ? &*fixed_ : nullptr; }
    // The table of language and code-page pairs; false (table emptied) while empty.
    bool GetTranslations(std::vector<VersionBlock::Translation>& table) const;
    // A text of the language block ("040904b0", "ProductVersion"); false while empty or
    // when the block has no such text.
    bool QueryString(std::string_view languageCodePage, std::string_view key, CString& text) const;

private:
    const FixedFileInfo* Take(const VersionBlock* block);

    std::optional<VersionBlock> block_;
    std::optional<FixedFileInfo> fixed_;
};

// The program's "InternalName" and "ProductVersion" (language block "040904b0"), joined
// by a blank. With version given, the product version text read as three dot-separated
// decimal numbers (a missing one counts 0) packed as first + second x 256 + third x 65536.
CString GetProgramVersionText(std::uint32_t* version = nullptr);

// "MajorVersion: %i\nMinorVersion: %i\nBuildNumber: %i\nPlatformId: %i\nCSDVersion: %s\n"
// from the kernel: the first three numbers of its release, platform 0 (no Windows
// platform) and its name, release and version; all zero and empty when unknown.
CString GetOSVersionText();
// The shell level whose features the main frame's tray icon may use: 6 (balloon tips
// with a timeout and the newer notification messages are available here).
int GetShell32MajorVersion();
