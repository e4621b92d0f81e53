#pragma once
// The version block: the program's (or a language file's) file and product version
// numbers, its flags and type, its version texts by language and code page, and its
// translation table. It is what the program reads to name and number itself.
//
// Plain values; thread-safe to read.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum VersionFileFlag : std::uint32_t {
    kVerDebug = 0x01,
    kVerPrerelease = 0x02,
    kVerPatched = 0x04,
    kVerPrivateBuild = 0x08,
    kVerSpecialBuild = 0x20,
};

enum VersionFileType : std::uint32_t {
    kVerTypeUnknown = 0,
    kVerTypeApplication = 1,
    kVerTypeLibrary = 2,
};

struct VersionBlock {
    // One language's texts: "040904b0" (language 0x0409, code page 0x04b0) and its entries
    // ("InternalName", "ProductVersion", ...) in the order written.
    struct Strings {
        std::string languageCodePage;  // eight hexadecimal digits, lower case
        std::vector<std::pair<std::string, std::u16string>> entries;
    };
    // One entry of the translation table.
    struct Translation {
        std::uint16_t language = 0;
        std::uint16_t codePage = 0;
        bool operator==(const Translation&) const = default;
    };

    std::array<std::uint16_t, 4> fileVersion{};  // major, minor, build, revision
    std::array<std::uint16_t, 4> productVersion{};
    std::uint32_t fileFlags = 0;  // VersionFileFlag bits
    std::uint32_t fileType = kVerTypeUnknown;
    std::vector<Strings> strings;
    std::vector<Translation> translations;

    // The text of key in the language block languageCodePage (both compared without
    // regard to ASCII case); null when there is none.
    const std::u16string* FindString(std::string_view languageCodePage, std::string_view key) const;
};
