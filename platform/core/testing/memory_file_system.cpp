#include "platform/core/testing/memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

#include "platform/core/copy_through_temporary.h"
#include "platform/core/win_error.h"

namespace plat {

// Every entry is a Node; a directory owns its children by name, in code-unit order.
// Open files share the node, so contents outlive a delete as an inode's do.
struct MemoryFileSystem::Node {
    EntryKind kind = EntryKind::File;
    std::uint32_t mode = 0;
    FileTime creation = 0;
    FileTime access = 0;
    FileTime write = 0;
    std::uint64_t inode = 0;
    std::string data;        // a regular file's bytes
    std::u16string target;   // a link's target
    std::map<std::u16string, std::shared_ptr<Node>> children;
};

// Where a path leads: the directory holding its last component and the entry there
// (null when missing). chain holds every directory from the root down to parent.
struct MemoryFileSystem::Walk {
    std::vector<std::shared_ptr<Node>> chain;
    std::shared_ptr<Node> parent;
    std::shared_ptr<Node> node;
    std::u16string name;
    std::u16string resolved;   // the path with the links followed, for ResolvePath
    bool parentExists = true;  // false: a directory part of the path is missing
};

namespace {

constexpr std::uint32_t kRead = 0400;
constexpr std::uint32_t kWrite = 0200;
constexpr std::uint32_t kSearch = 0100;
constexpr std::uint32_t kUmask = 022;
constexpr int kMaxLinks = 40;
constexpr int kInvalidName = -1;  // not an errno: an embedded NUL

bool Fail(int err, ErrnoContext ctx = ErrnoContext::Other, bool parentExists = true) {
    SetLastError(err == kInvalidName ? win32::ERROR_INVALID_NAME : Win32FromErrno(err, ctx, parentExists));
    return false;
}

bool FailCode(std::uint32_t code) {
    SetLastError(code);
    return false;
}

std::vector<std::u16string> Components(std::u16string_view p) {
    std::vector<std::u16string> out;
    std::size_t i = 0;
    while (i < p.size()) {
        std::size_t end = p.find(u'/', i);
        if (end == std::u16string_view::npos) end = p.size();
        if (end > i) out.emplace_back(p.substr(i, end - i));
        i = end + 1;
    }
    return out;
}

}  // namespace

class MemoryFileSystem::MemLister final : public DirectoryLister {
public:
    explicit MemLister(std::vector<FindData> entries) : entries_(std::move(entries)) {}
    bool Next(FindData& out) override {
        if (next_ >= entries_.size()) return FailCode(win32::ERROR_NO_MORE_FILES);
        out = std::move(entries_[next_++]);
        return true;
    }

private:
    std::vector<FindData> entries_;
    std::size_t next_ = 0;
};

class MemoryFileSystem::MemFile final : public File {
public:
    MemFile(MemoryFileSystem& fs, std::shared_ptr<Node> node, bool readable, bool writable)
        : fs_(fs), node_(std::move(node)), readable_(readable), writable_(writable) {}

    bool Read(void* buffer, std::size_t n, std::size_t& got) override {
        std::lock_guard lock(fs_.mutex_);
        got = 0;
        if (closed_ || !readable_) return Fail(EBADF);
        const std::string& d = node_->data;
        if (position_ < d.size()) {
            got = std::min<std::uint64_t>(n, d.size() - position_);
            std::memcpy(buffer, d.data() + position_, got);
            position_ += got;
        }
        return true;
    }
    bool Write(const void* buffer, std::size_t n) override {
        std::lock_guard lock(fs_.mutex_);
        if (closed_ || !writable_) return Fail(EBADF);
        if (node_->kind != EntryKind::File) return true;  // a device that takes anything
        std::string& d = node_->data;
        if (d.size() < position_ + n) d.resize(position_ + n);
        if (n > 0) std::memcpy(d.data() + position_, buffer, n);
        position_ += n;
        node_->write = fs_.NowLocked();
        return true;
    }
    bool Seek(std::uint64_t offset) override {
        std::lock_guard lock(fs_.mutex_);
        if (closed_) return Fail(EBADF);
        position_ = offset;
        return true;
    }
    bool GetSize(std::uint64_t& size) override {
        std::lock_guard lock(fs_.mutex_);
        if (closed_) return Fail(EBADF);
        size = node_->data.size();
        return true;
    }
    bool GetFindData(FindData& out) override {
        std::lock_guard lock(fs_.mutex_);
        if (closed_) return Fail(EBADF);
        fs_.FillFindData(*node_, u"", out);
        return true;
    }
    // Times are kept as FILETIME values (saturated, in 100 ns units).
    bool SetUnixTimes(const UnixTime* lastAccess, const UnixTime* lastWrite) override {
        std::lock_guard lock(fs_.mutex_);
        if (closed_) return Fail(EBADF);
        if (lastAccess) node_->access = FileTimeFromUnix(*lastAccess);
        if (lastWrite) node_->write = FileTimeFromUnix(*lastWrite);
        return true;
    }
    bool SetMode(std::uint32_t mode) override {
        std::lock_guard lock(fs_.mutex_);
        if (closed_) return Fail(EBADF);
        node_->mode = mode & 07777;
        return true;
    }
    bool Flush() override {
        std::lock_guard lock(fs_.mutex_);
        return closed_ ? Fail(EBADF) : true;
    }
    bool Close() override {
        std::lock_guard lock(fs_.mutex_);
        closed_ = true;
        return true;
    }

private:
    MemoryFileSystem& fs_;
    std::shared_ptr<Node> node_;
    bool readable_;
    bool writable_;
    bool closed_ = false;
    std::uint64_t position_ = 0;
};

MemoryFileSystem::MemoryFileSystem() { root_ = NewNode(int(EntryKind::Directory), 0755, 0); }
MemoryFileSystem::~MemoryFileSystem() = default;

FileTime MemoryFileSystem::NowLocked() const { return clock_ ? clock_ : GetSystemTimeAsFileTime(); }

FileTime MemoryFileSystem::Now() const {
    std::lock_guard lock(mutex_);
    return NowLocked();
}

void MemoryFileSystem::SetTime(FileTime now) {
    std::lock_guard lock(mutex_);
    clock_ = now;
}

void MemoryFileSystem::SetFileSystemName(const CString& name) {
    std::lock_guard lock(mutex_);
    fileSystemName_ = name;
}

void MemoryFileSystem::SetEnforcePermissions(bool enforce) {
    std::lock_guard lock(mutex_);
    enforce_ = enforce;
}

bool MemoryFileSystem::Allowed(const Node& n, std::uint32_t bits) const { return !enforce_ || (n.mode & bits) == bits; }

std::shared_ptr<MemoryFileSystem::Node> MemoryFileSystem::NewNode(int kind, std::uint32_t mode, FileTime t) {
    auto n = std::make_shared<Node>();
    n->kind = EntryKind(kind);
    n->mode = mode & 07777;
    n->creation = n->access = n->write = t ? t : NowLocked();
    n->inode = nextInode_++;
    return n;
}

int MemoryFileSystem::HeldRootNode(HeldRoot& held, std::shared_ptr<Node>& node,
                                   std::vector<std::shared_ptr<Node>>& chain) const {
    const std::u16string_view path = held.path.view();
    Walk at;
    const int err = Resolve(path.substr(0, path.size() > 1 ? path.size() - 1 : 1), false, at, true, false);
    if (!held.node) {
        // Not a directory when the hold was taken: opened now, as the POSIX root is.
        if (err) return err;
        if (!at.node) return ENOENT;
        if (at.node->kind == EntryKind::Symlink) return ELOOP;
        if (at.node->kind != EntryKind::Directory) return ENOTDIR;
        held.node = at.node;
    }
    node = held.node;
    // The directories above the root where its path still leads there (a directory is
    // never moved below itself); a root moved away is reached on its own.
    chain.clear();
    if (!err && at.node == node) chain = std::move(at.chain);
    chain.push_back(node);
    return 0;
}

// Walks path as the kernel's lookup does: search permission on every directory passed,
// links followed in the middle (and at the end when followLast), ".." never above "/".
// Below a held root (unless !heldRoots) the walk starts at the root's own node and no
// link is followed, the last component's neither when followLast: a link or ".." there
// gives ELOOP.
// Returns 0 or an errno; a missing last component is not an error (w.node is null).
int MemoryFileSystem::Resolve(std::u16string_view path, bool followLast, Walk& w, bool checkPermissions,
                              bool heldRoots) const {
    if (path.find(u'\0') != std::u16string_view::npos) return kInvalidName;
    if (!path.starts_with(u'/')) {
        w.parentExists = false;  // not a path here: fails as a missing directory does
        return ENOENT;
    }
    std::vector<std::shared_ptr<Node>> chain{root_};
    std::vector<std::u16string> todo;
    bool below = false;
    if (heldRoots) {
        const HeldRoots<HeldRoot>::Found found = roots_.Below(path);
        if (found.state) {
            todo = Components(path.substr(found.length));
            if (std::find(todo.begin(), todo.end(), u"..") != todo.end()) return ELOOP;
            todo.erase(std::remove(todo.begin(), todo.end(), u"."), todo.end());
            below = !todo.empty();  // else the root itself ("/r//")
        }
        if (below) {
            std::shared_ptr<Node> top;
            if (const int err = HeldRootNode(*found.state, top, chain)) {
                w.parentExists = false;
                return err;
            }
        }
    }
    if (!below) todo = Components(path);
    std::reverse(todo.begin(), todo.end());
    std::vector<std::u16string> names;
    int links = 0;
    while (!todo.empty()) {
        std::u16string part = std::move(todo.back());
        todo.pop_back();
        const Node& dir = *chain.back();
        if (checkPermissions && !Allowed(dir, kSearch)) return EACCES;
        if (part == u".") continue;
        if (part == u"..") {
            if (chain.size() > 1) {
                chain.pop_back();
                names.pop_back();
            }
            continue;
        }
        const bool last = todo.empty();
        const auto it = dir.children.find(part);
        if (it == dir.children.end()) {
            if (!last) {
                w.parentExists = false;
                return ENOENT;
            }
            w.parent = chain.back();
            w.name = std::move(part);
            break;
        }
        const std::shared_ptr<Node>& child = it->second;
        if (child->kind == EntryKind::Symlink && (!last || followLast)) {
            if (below || ++links > kMaxLinks) return ELOOP;
            if (child->target.starts_with(u'/')) {
                chain.resize(1);
                names.clear();
            }
            std::vector<std::u16string> more = Components(child->target);
            if (more.empty() && !child->target.starts_with(u'/')) return ENOENT;
            todo.insert(todo.end(), more.rbegin(), more.rend());
            continue;
        }
        if (last) {
            w.parent = chain.back();
            w.node = child;
            w.name = std::move(part);
            break;
        }
        if (child->kind != EntryKind::Directory) return ENOTDIR;
        chain.push_back(child);
        names.push_back(std::move(part));
    }
    if (!w.parent) {
        // The path ends in the directory at the end of the chain ("/", "/a/..").
        w.node = chain.back();
        chain.pop_back();
        w.parent = chain.empty() ? nullptr : chain.back();
        if (!names.empty()) {
            w.name = std::move(names.back());
            names.pop_back();
        }
    }
    w.chain = std::move(chain);
    w.resolved.clear();
    for (const auto& n : names) w.resolved.append(1, u'/').append(n);
    if (!w.name.empty()) w.resolved.append(1, u'/').append(w.name);
    if (w.resolved.empty()) w.resolved.push_back(u'/');
    return 0;
}

void MemoryFileSystem::FillFindData(const Node& n, std::u16string_view name, FindData& out) const {
    out.kind = n.kind;
    out.mode = n.mode;
    out.attributes = StampAttributes(n.kind, n.mode, name);
    out.creationTime = n.creation;
    out.lastAccessTime = n.access;
    out.lastWriteTime = n.write;
    out.lastAccessUnix = FileTimeToUnix(n.access);
    out.lastWriteUnix = FileTimeToUnix(n.write);
    out.SetSize(n.kind == EntryKind::File ? n.data.size() : 0);
    out.reserved0 = out.reserved1 = 0;
    out.name = CString(name);
    out.shortName.Empty();
    out.device = 1;
    out.inode = n.inode;
}

std::unique_ptr<DirectoryLister> MemoryFileSystem::ListDirectory(const CString& path) {
    std::lock_guard lock(mutex_);
    Walk w;
    // A missing directory is a missing directory part of its listing: 3.
    if (const int err = Resolve(path, false, w)) return Fail(err, ErrnoContext::Other, err != ENOENT), nullptr;
    if (!w.node) return Fail(ENOENT, ErrnoContext::Other, false), nullptr;
    if (w.node->kind == EntryKind::Symlink) return Fail(ELOOP), nullptr;
    if (w.node->kind != EntryKind::Directory) return Fail(ENOTDIR), nullptr;
    if (!Allowed(*w.node, kRead | kSearch)) return Fail(EACCES), nullptr;
    std::vector<FindData> entries(2 + w.node->children.size());
    FillFindData(*w.node, u".", entries[0]);
    FillFindData(w.parent ? *w.parent : *w.node, u"..", entries[1]);
    std::size_t i = 2;
    for (const auto& [name, child] : w.node->children) FillFindData(*child, name, entries[i++]);
    return std::make_unique<MemLister>(std::move(entries));
}

bool MemoryFileSystem::GetFindData(const CString& path, FindData& out) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, false, w)) return Fail(err, ErrnoContext::Other, w.parentExists);
    if (!w.node) return Fail(ENOENT);
    FillFindData(*w.node, LastComponent(path).view(), out);
    return true;
}

std::uint32_t MemoryFileSystem::GetFileAttributes(const CString& path) {
    FindData fd;
    return GetFindData(path, fd) ? fd.attributes : INVALID_FILE_ATTRIBUTES;
}

bool MemoryFileSystem::SetFileAttributes(const CString& path, std::uint32_t attributes) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, false, w)) return Fail(err, ErrnoContext::Other, w.parentExists);
    if (!w.node) return Fail(ENOENT);
    Node& n = *w.node;
    if (n.kind == EntryKind::Symlink) return FailCode(win32::ERROR_CANT_RESOLVE_FILENAME);
    if (n.kind != EntryKind::File) return true;
    n.mode = (attributes & FILE_ATTRIBUTE_READONLY) ? n.mode & ~0222u : n.mode | 0200u;
    return true;
}

bool MemoryFileSystem::SetFileTimes(const CString& path, const FileTime*, const FileTime* lastAccess,
                                    const FileTime* lastWrite) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, false, w)) return Fail(err, ErrnoContext::Other, w.parentExists);
    if (!w.node) return Fail(ENOENT);
    if (lastAccess) w.node->access = *lastAccess;
    if (lastWrite) w.node->write = *lastWrite;
    return true;
}

bool MemoryFileSystem::SetPermissions(const CString& path, std::uint32_t mode) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, false, w)) return Fail(err, ErrnoContext::Other, w.parentExists);
    if (!w.node) return Fail(ENOENT);
    if (w.node->kind == EntryKind::Symlink) return FailCode(win32::ERROR_CANT_RESOLVE_FILENAME);
    w.node->mode = mode & 07777;
    return true;
}

bool MemoryFileSystem::CreateDirectory(const CString& path) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, false, w)) return Fail(err, ErrnoContext::MakeDirectory, w.parentExists);
    if (w.node) return Fail(EEXIST, ErrnoContext::MakeDirectory);
    if (!Allowed(*w.parent, kWrite | kSearch)) return Fail(EACCES);
    w.parent->children.emplace(w.name, NewNode(int(EntryKind::Directory), (0777 & ~kUmask) | 0300, 0));
    return true;
}

bool MemoryFileSystem::CreateDirectoryFromTemplate(const CString& path, const CString& templatePath) {
    std::lock_guard lock(mutex_);
    Walk t;
    if (const int err = Resolve(templatePath, false, t)) return Fail(err, ErrnoContext::Other, t.parentExists);
    if (!t.node) return Fail(ENOENT);
    const std::uint32_t mode = t.node->mode | 0300;
    Walk w;
    if (const int err = Resolve(path, false, w)) return Fail(err, ErrnoContext::MakeDirectory, w.parentExists);
    if (w.node) return Fail(EEXIST, ErrnoContext::MakeDirectory);
    if (!Allowed(*w.parent, kWrite | kSearch)) return Fail(EACCES);
    w.parent->children.emplace(w.name, NewNode(int(EntryKind::Directory), mode, 0));
    return true;
}

bool MemoryFileSystem::RemoveDirectory(const CString& path) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, false, w)) return Fail(err, ErrnoContext::Other, w.parentExists);
    if (!w.node) return Fail(ENOENT);
    if (!w.parent) return Fail(EBUSY);
    if (!Allowed(*w.parent, kWrite | kSearch)) return Fail(EACCES);
    if (w.node->kind != EntryKind::Directory) return Fail(ENOTDIR);
    if (!w.node->children.empty()) return Fail(ENOTEMPTY);
    w.parent->children.erase(w.name);
    return true;
}

bool MemoryFileSystem::DeleteFile(const CString& path) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, false, w)) return Fail(err, ErrnoContext::Other, w.parentExists);
    if (!w.node) return Fail(ENOENT);
    if (!w.parent) return Fail(EISDIR);
    if (!Allowed(*w.parent, kWrite | kSearch)) return Fail(EACCES);
    if (w.node->kind == EntryKind::Directory) return Fail(EISDIR);
    w.parent->children.erase(w.name);
    return true;
}

bool MemoryFileSystem::MoveFile(const CString& from, const CString& to, bool replaceExisting) {
    std::lock_guard lock(mutex_);
    Walk a;
    if (const int err = Resolve(from, false, a)) return Fail(err, ErrnoContext::Other, a.parentExists);
    if (!a.node) return Fail(ENOENT);
    if (!a.parent) return Fail(EBUSY);
    Walk b;
    if (const int err = Resolve(to, false, b)) return Fail(err, ErrnoContext::Rename, b.parentExists);
    if (!b.parent) return Fail(EBUSY);
    if (!Allowed(*a.parent, kWrite | kSearch) || !Allowed(*b.parent, kWrite | kSearch)) return Fail(EACCES);
    const bool isDir = a.node->kind == EntryKind::Directory;
    if (isDir && a.parent != b.parent && !Allowed(*a.node, kWrite)) return Fail(EACCES);  // its ".." changes
    if (std::find(b.chain.begin(), b.chain.end(), a.node) != b.chain.end()) return Fail(EINVAL);
    if (b.node) {
        if (b.node == a.node) return true;
        if (!replaceExisting) return Fail(EEXIST, ErrnoContext::Rename);
        if (isDir && b.node->kind != EntryKind::Directory) return Fail(ENOTDIR);
        if (!isDir && b.node->kind == EntryKind::Directory) return Fail(EISDIR);
        if (isDir && !b.node->children.empty()) return Fail(ENOTEMPTY);
    }
    std::shared_ptr<Node> moving = a.node;
    a.parent->children.erase(a.name);
    b.parent->children.insert_or_assign(b.name, std::move(moving));
    return true;
}

std::unique_ptr<File> MemoryFileSystem::OpenRead(const CString& path) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, false, w)) return Fail(err, ErrnoContext::Other, w.parentExists), nullptr;
    if (!w.node) return Fail(ENOENT), nullptr;
    if (w.node->kind == EntryKind::Symlink) return Fail(ELOOP), nullptr;
    if (!Allowed(*w.node, kRead)) return Fail(EACCES), nullptr;
    if (w.node->kind != EntryKind::File) return Fail(EACCES), nullptr;  // only a regular file is read
    return std::make_unique<MemFile>(*this, w.node, true, false);
}

std::unique_ptr<File> MemoryFileSystem::CreateLocked(const CString& path, bool exclusive, std::uint32_t permissions) {
    const ErrnoContext ctx = exclusive ? ErrnoContext::ExclusiveCreate : ErrnoContext::Other;
    Walk w;
    if (const int err = Resolve(path, false, w)) return Fail(err, ctx, w.parentExists), nullptr;
    if (w.node) {
        if (exclusive) return Fail(EEXIST, ctx), nullptr;
        if (w.node->kind == EntryKind::Symlink) return Fail(ELOOP), nullptr;  // never written through
        if (w.node->kind == EntryKind::Directory) return Fail(EISDIR), nullptr;
        if (!Allowed(*w.node, kWrite)) return Fail(EACCES), nullptr;
        w.node->data.clear();
        w.node->write = NowLocked();
        return std::make_unique<MemFile>(*this, w.node, false, true);
    }
    if (!Allowed(*w.parent, kWrite | kSearch)) return Fail(EACCES), nullptr;
    auto node = NewNode(int(EntryKind::File), permissions & ~kUmask, 0);
    w.parent->children.emplace(w.name, node);
    return std::make_unique<MemFile>(*this, std::move(node), false, true);
}

std::unique_ptr<File> MemoryFileSystem::CreateFile(const CString& path, CreateMode mode, std::uint32_t permissions) {
    std::lock_guard lock(mutex_);
    return CreateLocked(path, mode == CreateMode::CreateNew, permissions);
}

std::unique_ptr<File> MemoryFileSystem::CreateTemporaryBeside(const CString& target, CString& tempPath,
                                                              std::u16string_view stem) {
    std::lock_guard lock(mutex_);
    if (!target.StartsWith(u"/")) return Fail(ENOENT, ErrnoContext::Other, false), nullptr;
    CString dir = ParentPath(target);
    if (!dir.EndsWith(u'/')) dir += u'/';
    static constexpr char16_t kDigits[] = u"0123456789abcdefghijklmnopqrstuvwxyz";
    for (;;) {
        CString name(stem);
        name += kTemporaryPrefix;
        std::uint64_t v = nextTemporary_++;
        for (std::size_t i = 0; i < kTemporarySuffixLength; ++i, v /= 36) name += kDigits[v % 36];
        const CString candidate = dir + name;
        Walk w;
        if (const int err = Resolve(candidate, false, w)) return Fail(err, ErrnoContext::Other, w.parentExists), nullptr;
        if (w.node) continue;
        std::unique_ptr<File> f = CreateLocked(candidate, true, kTemporaryMode);
        if (f) tempPath = candidate;
        return f;
    }
}

bool MemoryFileSystem::CopyFile(const CString& source, const CString& target, const CopyProgress& progress,
                                const CopyOptions& options) {
    return CopyThroughTemporary(*this, source, target, progress, options);
}

bool MemoryFileSystem::GetFullPathName(const CString& path, CString& out) {
    if (path.IsEmpty() || path.Find(u'\0') != CString::npos) return FailCode(win32::ERROR_INVALID_NAME);
    out = NormalizePath(path.StartsWith(u"/") ? path : CString(u"/") + path);
    return true;
}

bool MemoryFileSystem::ResolvePath(const CString& path, CString& out) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, true, w, true, false)) return Fail(err, ErrnoContext::Other, w.parentExists);
    if (!w.node) return Fail(ENOENT);
    out = CString(w.resolved);
    return true;
}

bool MemoryFileSystem::GetVolumeInformation(const CString& path, CString& fileSystemName) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, true, w, true, false)) return Fail(err, ErrnoContext::Other, w.parentExists);
    if (!w.node) return Fail(ENOENT);
    fileSystemName = fileSystemName_;
    return true;
}

bool MemoryFileSystem::SyncFileSystem(const CString& path) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, true, w, true, false)) return Fail(err, ErrnoContext::Other, w.parentExists);
    return w.node ? true : Fail(ENOENT);
}

bool MemoryFileSystem::SyncDirectory(const CString& path) {
    std::lock_guard lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, true, w)) return Fail(err, ErrnoContext::Other, w.parentExists);
    if (!w.node) return Fail(ENOENT);
    return w.node->kind == EntryKind::Directory ? true : Fail(ENOTDIR);
}

class MemoryFileSystem::MemLock final : public FileLock {
public:
    MemLock(MemoryFileSystem& fs, std::shared_ptr<Node> node) : fs_(fs), node_(std::move(node)) {}
    ~MemLock() override {
        std::lock_guard lock(fs_.mutex_);
        fs_.locked_.erase(node_.get());
    }

private:
    MemoryFileSystem& fs_;
    std::shared_ptr<Node> node_;
};

std::unique_ptr<FileLock> MemoryFileSystem::LockDirectory(const CString& path, std::chrono::milliseconds wait) {
    const auto until = std::chrono::steady_clock::now() + wait;
    std::unique_lock lock(mutex_);
    Walk w;
    if (const int err = Resolve(path, true, w)) return Fail(err, ErrnoContext::Other, w.parentExists), nullptr;
    if (!w.node) return Fail(ENOENT), nullptr;
    std::shared_ptr<Node> node = w.node;
    if (node->kind != EntryKind::Directory) return Fail(ENOTDIR), nullptr;
    while (locked_.count(node.get()) != 0) {
        if (std::chrono::steady_clock::now() >= until) {
            SetLastError(win32::ERROR_SHARING_VIOLATION);
            return nullptr;
        }
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        lock.lock();
    }
    locked_.insert(node.get());
    return std::make_unique<MemLock>(*this, std::move(node));
}

void MemoryFileSystem::HoldRoot(const CString& root) {
    std::lock_guard lock(mutex_);
    roots_.Hold(root, [&](const CString& key) {
        auto held = std::make_shared<HeldRoot>();
        held->path = key;
        std::shared_ptr<Node> node;
        std::vector<std::shared_ptr<Node>> chain;
        HeldRootNode(*held, node, chain);  // a root that is no directory now is looked for again later
        return held;
    });
}

void MemoryFileSystem::ReleaseRoot(const CString& root) {
    std::lock_guard lock(mutex_);
    roots_.Release(root);
}

std::unique_ptr<DirectoryScope> MemoryFileSystem::EnterDirectory(const CString&) {
    return std::make_unique<DirectoryScope>();
}

// --- Test helpers --------------------------------------------------------------------

bool MemoryFileSystem::AddEntry(const CString& path, std::shared_ptr<Node> node) {
    if (!path.StartsWith(u"/")) return false;
    const std::vector<std::u16string> parts = Components(path.view());
    if (parts.empty()) return false;
    Node* dir = root_.get();
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        auto it = dir->children.find(parts[i]);
        if (it == dir->children.end())
            it = dir->children.emplace(parts[i], NewNode(int(EntryKind::Directory), 0755, 0)).first;
        if (it->second->kind != EntryKind::Directory) return false;
        dir = it->second.get();
    }
    return dir->children.emplace(parts.back(), std::move(node)).second;
}

bool MemoryFileSystem::AddFile(const CString& path, std::string_view bytes, std::uint32_t mode, FileTime lastWrite) {
    std::lock_guard lock(mutex_);
    auto n = NewNode(int(EntryKind::File), mode, lastWrite);
    n->data.assign(bytes);
    return AddEntry(path, std::move(n));
}

bool MemoryFileSystem::AddDirectory(const CString& path, std::uint32_t mode, FileTime lastWrite) {
    std::lock_guard lock(mutex_);
    return AddEntry(path, NewNode(int(EntryKind::Directory), mode, lastWrite));
}

bool MemoryFileSystem::AddSymlink(const CString& path, const CString& target) {
    std::lock_guard lock(mutex_);
    auto n = NewNode(int(EntryKind::Symlink), 0777, 0);
    n->target = target.str();
    return AddEntry(path, std::move(n));
}

bool MemoryFileSystem::AddSpecial(const CString& path, std::uint32_t mode) {
    std::lock_guard lock(mutex_);
    return AddEntry(path, NewNode(int(EntryKind::Special), mode, 0));
}

std::optional<std::string> MemoryFileSystem::ReadAll(const CString& path) const {
    std::lock_guard lock(mutex_);
    Walk w;
    const int err = Resolve(path, false, w, false, false);
    if (err || !w.node || w.node->kind != EntryKind::File) return std::nullopt;
    return w.node->data;
}

bool MemoryFileSystem::Exists(const CString& path) const {
    std::lock_guard lock(mutex_);
    Walk w;
    const int err = Resolve(path, false, w, false, false);
    return err == 0 && w.node != nullptr;
}

bool MemoryFileSystem::SetMode(const CString& path, std::uint32_t mode) {
    std::lock_guard lock(mutex_);
    Walk w;
    const int err = Resolve(path, false, w, false, false);
    if (err || !w.node) return false;
    w.node->mode = mode & 07777;
    return true;
}

std::string MemoryFileSystem::Dump(const CString& path) const {
    std::lock_guard lock(mutex_);
    Walk w;
    const int err = Resolve(path, false, w, false, false);
    if (err || !w.node) return "(missing) " + path.ToUtf8() + "\n";
    std::string out;
    const auto line = [&](const Node& n, const std::string& p) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(n.mode));
        switch (n.kind) {
            case EntryKind::Directory: out += std::string("d ") + mode + " " + p + "\n"; break;
            case EntryKind::File:
                out += std::string("f ") + mode + " " + std::to_string(n.data.size()) + " " + p + "\n";
                break;
            case EntryKind::Symlink: out += "l " + p + " -> " + CString(n.target).ToUtf8() + "\n"; break;
            case EntryKind::Special: out += std::string("s ") + mode + " " + p + "\n"; break;
        }
    };
    const auto walk = [&](const auto& self, const Node& n, const std::string& p) -> void {
        line(n, p.empty() ? "/" : p);
        for (const auto& [name, child] : n.children) self(self, *child, p + "/" + CString(name).ToUtf8());
    };
    const std::string start = NormalizePath(path).ToUtf8();
    walk(walk, *w.node, start == "/" ? std::string() : start);
    return out;
}

}  // namespace plat
