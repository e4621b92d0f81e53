#include "app/version_texts.h"

#include <fstream>

#include "app/preference_keys.h"
#include "platform/core/system_info.h"
#include "resources/resource_set.h"

namespace {

// A language file is a resource text; nothing bigger is read.
constexpr std::uintmax_t kLargestResourceFile = 16u << 20;

std::uint32_t Pack(std::uint16_t high, std::uint16_t low) { return std::uint32_t(high) << 16 | low; }

}  // namespace

const FixedFileInfo* CFileVersionInfo::Take(const VersionBlock* block) {
    block_.reset();
    fixed_.reset();
    if (!block) return nullptr;
    block_ = *block;
    FixedFileInfo info;
    info.fileVersionMS = Pack(block->fileVersion[0], block->fileVersion[1]);
    info.fileVersionLS = Pack(block->fileVersion[2], block->fileVersion[3]);
    info.productVersionMS = Pack(block->productVersion[0], block->productVersion[1]);
    info.productVersionLS = Pack(block->productVersion[2], block->productVersion[3]);
    info.fileFlags = block->fileFlags;
    info.fileType = block->fileType;
    fixed_ = info;
    return &*fixed_;
}

const FixedFileInfo* CFileVersionInfo::Open(const CString& path) {
    Take(nullptr);
    std::ifstream in(path.ToUtf8(), std::ios::binary);
    if (!in) return nullptr;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uintmax_t>(size) > kLargestResourceFile) return nullptr;
    std::string text(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(text.data(), size)) return nullptr;
    ResourceSet set;
    std::string error;
    const auto noFiles = [](std::string_view) -> std::optional<std::string_view> { return std::nullopt; };
    if (!set.Parse(text, path.ToUtf8(), noFiles, error)) return nullptr;
    return Take(set.Version());
}

const FixedFileInfo* CFileVersionInfo::OpenModule(const ResourceSet* module) {
    return Take(module ? module->Version() : ProgramVersionBlock());
}

bool CFileVersionInfo::GetTranslations(std::vector<VersionBlock::Translation>& table) const {
    table.clear();
    if (!fixed_) return false;
    table = block_->translations;
    return true;
}

bool CFileVersionInfo::QueryString(std::string_view languageCodePage, std::string_view key, CString& text) const {
    if (!block_) return false;
    const std::u16string* found = block_->FindString(languageCodePage, key);
    if (!found) return false;
    text = CString(*found);
    return true;
}

CString GetProgramVersionText(std::uint32_t* version) {
    CFileVersionInfo info;
    info.OpenModule(nullptr);
    CString name, product;
    info.QueryString("040904b0", "InternalName", name);
    info.QueryString("040904b0", "ProductVersion", product);
    if (version) {
        std::uint32_t numbers[3] = {};
        std::u16string_view rest = product.view();
        for (std::uint32_t& n : numbers) {
            if (rest.empty() || rest[0] < u'0' || rest[0] > u'9') break;
            n = static_cast<std::uint32_t>(ParseDecimalNumber(rest));
            const std::size_t dot = rest.find(u'.');
            if (dot == std::u16string_view::npos) break;
            rest.remove_prefix(dot + 1);
        }
        *version = numbers[0] + numbers[1] * 256u + numbers[2] * 65536u;
    }
    return name + u" " + product;
}

CString GetOSVersionText() {
    plat::OsVersion v;
    plat::GetOsVersion(v);
    return CString::Format(u"MajorVersion: %i\nMinorVersion: %i\nBuildNumber: %i\nPlatformId: %i\nCSDVersion: %s\n",
                           v.major, v.minor, v.build, 0, v.name);
}

int GetShell32MajorVersion() { return 6; }
