#include "platform/core/file_system.h"

#include <climits>
#include <random>

#include "platform/core/posix_file_system.h"

static_assert(plat::kMaxPathBytes == PATH_MAX);
static_assert(plat::kMaxNameBytes == NAME_MAX);

namespace plat {

std::uint32_t StampAttributes(EntryKind kind, std::uint32_t mode, std::u16string_view name) {
    std::uint32_t attributes = 0;
    if (kind == EntryKind::Directory) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    // READONLY only for a regular file: on a directory it would not protect the contents
    // and would only block copies into it.
    if (kind == EntryKind::File && (mode & 0200) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
    if (name.starts_with(u'.')) attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

bool File::SetTimes(const FileTime*, const FileTime* lastAccess, const FileTime* lastWrite) {
    const UnixTime access = lastAccess ? FileTimeToUnix(*lastAccess) : UnixTime();
    const UnixTime write = lastWrite ? FileTimeToUnix(*lastWrite) : UnixTime();
    return SetUnixTimes(lastAccess ? &access : nullptr, lastWrite ? &write : nullptr);
}

bool IsTemporaryName(std::u16string_view name) {
    const std::u16string_view prefix(kTemporaryPrefix);
    if (name.size() != prefix.size() + kTemporarySuffixLength || !name.starts_with(prefix)) return false;
    for (char16_t c : name.substr(prefix.size()))
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z'))) return false;
    return true;
}

CString RandomTemporaryName() {
    thread_local std::mt19937_64 rng{std::random_device{}()};
    static constexpr char16_t kDigits[] = u"0123456789abcdefghijklmnopqrstuvwxyz";
    CString name(kTemporaryPrefix);
    std::uint64_t v = rng();
    for (std::size_t i = 0; i < kTemporarySuffixLength; ++i, v /= 36) name += kDigits[v % 36];
    return name;
}

bool IsTemporaryLeftover(const FindData& entry) {
    return entry.kind == EntryKind::File && (entry.mode & 07777) == kTemporaryMode &&
           IsTemporaryName(entry.name.view());
}

namespace {
// The length of path without its trailing separators; "/" keeps its one separator.
std::size_t TrimmedLength(std::u16string_view p) {
    std::size_t n = p.size();
    while (n > 1 && p[n - 1] == u'/') --n;
    return n;
}
}  // namespace

CString ParentPath(const CString& path) {
    std::u16string_view p = path.view();
    p = p.substr(0, TrimmedLength(p));
    const std::size_t slash = p.rfind(u'/');
    if (slash == std::u16string_view::npos) return CString();
    std::size_t end = slash;
    while (end > 0 && p[end - 1] == u'/') --end;  // "/a//b" -> "/a"
    return end == 0 ? CString(u"/") : CString(p.substr(0, end));
}

CString LastComponent(const CString& path) {
    std::u16string_view p = path.view();
    p = p.substr(0, TrimmedLength(p));
    if (p == u"/") return CString();
    const std::size_t slash = p.rfind(u'/');
    return slash == std::u16string_view::npos ? CString(p) : CString(p.substr(slash + 1));
}

CString NormalizePath(const CString& absolutePath) {
    std::u16string_view p = absolutePath.view();
    std::u16string out;
    out.reserve(p.size());
    std::size_t i = 0;
    while (i < p.size()) {
        while (i < p.size() && p[i] == u'/') ++i;
        std::size_t end = p.find(u'/', i);
        if (end == std::u16string_view::npos) end = p.size();
        const std::u16string_view part = p.substr(i, end - i);
        i = end;
        if (part.empty() || part == u".") continue;
        if (part == u"..") {
            const std::size_t slash = out.rfind(u'/');
            out.resize(slash == std::u16string::npos ? 0 : slash);
            continue;
        }
        out += u'/';
        out += part;
    }
    if (out.empty() || (p.ends_with(u'/') && !out.ends_with(u'/'))) out += u'/';
    return CString(std::move(out));
}

RootHold::RootHold(FileSystem& fs, const CString& root) {
    if (root.IsEmpty()) return;
    fs.HoldRoot(root);
    fs_ = &fs;
    root_ = root;
}

RootHold::~RootHold() {
    if (fs_) fs_->ReleaseRoot(root_);
}

RootHold::RootHold(RootHold&& other) noexcept : fs_(other.fs_), root_(std::move(other.root_)) { other.fs_ = nullptr; }

RootHold& RootHold::operator=(RootHold&& other) noexcept {
    if (this != &other) {
        // The new hold is taken before the old one goes, so a root held again stays open.
        FileSystem* oldFs = fs_;
        CString oldRoot = std::move(root_);
        fs_ = other.fs_;
        root_ = std::move(other.root_);
        other.fs_ = nullptr;
        if (oldFs) oldFs->ReleaseRoot(oldRoot);
    }
    return *this;
}

FileSystem& PosixFs() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace plat
