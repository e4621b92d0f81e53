#include "platform/core/posix_paths.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/core/file_system.h"
#include "platform/core/text_convert.h"
#include "platform/core/win_error.h"

namespace plat {
namespace {

// Whether the kernel has openat2 with the resolve flags: unknown until the first call.
enum Openat2 { kUnknown, kPresent, kAbsent };
std::atomic<int> g_openat2{kUnknown};

constexpr int kDirectoryFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The scope this thread entered last (each links to the one before).
thread_local PosixPaths::Scope* t_innermost = nullptr;

bool Fail(std::uint32_t code) {
    SetLastError(code);
    return false;
}

// Calls visit(component, last) for the components of a relative path, empty and "."
// ones left out, until it returns false. last is exact for a path without such
// components (as Locate leaves it).
template <typename Visit>
void ForEachComponent(std::string_view rel, Visit visit) {
    std::size_t i = 0;
    while (i < rel.size()) {
        std::size_t end = rel.find('/', i);
        if (end == std::string_view::npos) end = rel.size();
        const std::string_view part = rel.substr(i, end - i);
        i = end + 1;
        if (part.empty() || part == ".") continue;
        if (!visit(part, i >= rel.size())) return;
    }
}

// Whether rel is already names joined by single '/' characters, none of them "." or
// "..", as the executor and the crawl build every path.
bool IsPlainRelative(std::string_view rel) {
    if (rel.empty() || rel.front() == '/' || rel.back() == '/') return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = rel.find('/', start);
        const std::string_view part = rel.substr(start, end == std::string_view::npos ? rel.npos : end - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

}  // namespace

PosixPaths::Root::Root(const CString& root) {
    // "/r/" is opened as "/r", so that O_NOFOLLOW applies to the root's own name.
    CString path = root;
    while (path.GetLength() > 1 && path.EndsWith(u'/')) path = path.Left(path.GetLength() - 1);
    native_ = path.ToUtf8();
    const int saved = errno;
    Descriptor();
    errno = saved;
}

PosixPaths::Root::~Root() {
    const int fd = fd_.load();
    if (fd >= 0) ::close(fd);
}

int PosixPaths::Root::Descriptor() {
    int fd = fd_.load(std::memory_order_acquire);
    if (fd >= 0) return fd;
    fd = RetryEintr([&] { return ::open(native_.c_str(), kDirectoryFlags); });
    if (fd < 0) return -1;
    int expected = -1;
    if (!fd_.compare_exchange_strong(expected, fd, std::memory_order_acq_rel)) {
        ::close(fd);  // another call opened it first
        return expected;
    }
    return fd;
}

PosixPaths::Scope::Scope(const PosixPaths& owner, std::shared_ptr<Root> root, std::string dir, int fd)
    : owner_(&owner), root_(std::move(root)), dir_(std::move(dir)), fd_(fd), outer_(t_innermost) {
    t_innermost = this;
}

PosixPaths::Scope::~Scope() {
    // Taken out of the chain wherever it stands, should scopes end out of order.
    for (Scope** link = &t_innermost; *link; link = &(*link)->outer_) {
        if (*link == this) {
            *link = outer_;
            break;
        }
    }
    ::close(fd_);
}

std::unique_ptr<PosixPaths::Scope> PosixPaths::Enter(const Location& dir) const {
    if (!dir.root) return nullptr;
    const int rootFd = dir.root->Descriptor();
    if (rootFd < 0) return nullptr;
    const int fd = OpenBelow(rootFd, dir.path.c_str(), kDirectoryFlags, 0);
    if (fd < 0) return nullptr;
    return std::unique_ptr<Scope>(new Scope(*this, dir.root, dir.path, fd));
}

const PosixPaths::Scope* PosixPaths::Kept(const Location& at, std::size_t slash) const {
    if (slash == std::string::npos) return nullptr;  // in the root itself: its own descriptor
    const std::string_view dir(at.path.data(), slash);
    for (const Scope* s = t_innermost; s; s = s->outer_)
        if (s->owner_ == this && s->root_ == at.root && s->dir_ == dir) return s;
    return nullptr;
}

PosixPaths::Parent::~Parent() { Reset(); }

void PosixPaths::Parent::Reset() {
    if (owned_) ::close(fd_);
    fd_ = AT_FDCWD;
    owned_ = false;
    name_ = 0;
    text_.clear();
}

void PosixPaths::Hold(const CString& root) {
    roots_.Hold(root, [](const CString& key) { return std::make_shared<Root>(key); });
}

void PosixPaths::Release(const CString& root) { roots_.Release(root); }

bool PosixPaths::Locate(const CString& path, Location& out) const {
    if (!path.StartsWith(u"/")) return Fail(win32::ERROR_PATH_NOT_FOUND);
    if (path.Find(u'\0') != CString::npos) return Fail(win32::ERROR_INVALID_NAME);
    const HeldRoots<Root>::Found found = roots_.Below(path.view());
    if (!found.state) {
        out.root.reset();
        out.path = path.ToUtf8();
        return true;
    }
    // The part below the root, its components joined by one '/' ("a//./b/" is "a/b").
    std::string rel = EncodeUtf8Lossless(path.view().substr(found.length));
    if (!IsPlainRelative(rel)) {
        std::string plain;
        plain.reserve(rel.size());
        bool inside = true;
        ForEachComponent(rel, [&](std::string_view part, bool) {
            inside = part != "..";
            if (!plain.empty()) plain += '/';
            plain += part;
            return inside;
        });
        // ".." below a root could only lead out of it or back into it by another way.
        if (!inside) return Fail(win32::ERROR_PATH_NOT_FOUND);
        rel = std::move(plain);
    }
    out.root = rel.empty() ? nullptr : found.state;  // "/r//" is the root itself
    out.path = rel.empty() ? path.ToUtf8() : std::move(rel);
    return true;
}

int PosixPaths::WalkBelow(int rootFd, std::string_view rel, int flags, unsigned mode) const {
    int dir = rootFd;
    int result = -1;
    bool failed = false;
    ForEachComponent(rel, [&](std::string_view part, bool last) {
        const std::string name(part);
        if (last) {
            result = RetryEintr([&] { return ::openat(dir, name.c_str(), flags, mode); });
            return false;
        }
        const int next = RetryEintr([&] { return ::openat(dir, name.c_str(), kDirectoryFlags); });
        const int err = errno;
        if (dir != rootFd) ::close(dir);
        if (next < 0) {
            errno = err;
            failed = true;
            return false;
        }
        dir = next;
        return true;
    });
    if (!failed && dir != rootFd) {
        const int err = errno;
        ::close(dir);
        errno = err;
    }
    return result;
}

int PosixPaths::OpenBelow(int rootFd, const char* rel, int flags, unsigned mode) const {
    if (walk_ == Walk::Automatic && g_openat2.load(std::memory_order_relaxed) != kAbsent) {
        struct open_how how {};
        how.flags = static_cast<std::uint64_t>(flags);
        how.mode = (flags & O_CREAT) ? mode : 0;
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
        for (int attempt = 0;; ++attempt) {
            const long fd = RetryEintr([&] { return ::syscall(SYS_openat2, rootFd, rel, &how, sizeof how); });
            if (fd >= 0) {
                g_openat2.store(kPresent, std::memory_order_relaxed);
                return static_cast<int>(fd);
            }
            // The kernel could not rule out a race with a rename; the caller may try again.
            if (errno == EAGAIN && attempt < 8) continue;
            break;
        }
        if ((errno == ENOSYS || errno == EINVAL) && g_openat2.load(std::memory_order_relaxed) == kUnknown) {
            // No openat2, or one without these resolve flags (or a filter that refuses
            // the call): the walk below does the same one component at a time.
            g_openat2.store(kAbsent, std::memory_order_relaxed);
        } else {
            g_openat2.store(kPresent, std::memory_order_relaxed);
            // Leaving the root cannot happen without ".." (refused before), so take it as
            // what it would be: a path that does not lead below the root.
            if (errno == EXDEV) errno = ELOOP;
            return -1;
        }
    }
    return WalkBelow(rootFd, rel, flags, mode);
}

int PosixPaths::Open(const Location& at, int flags, unsigned mode) const {
    if (!at.root) return RetryEintr([&] { return ::open(at.path.c_str(), flags, mode); });
    const std::size_t slash = at.path.rfind('/');
    if (const Scope* kept = Kept(at, slash)) {
        // One name (never "..", Locate refuses it) in the kept directory, itself not followed.
        const char* name = at.path.c_str() + slash + 1;
        return RetryEintr([&] { return ::openat(kept->fd_, name, flags | O_NOFOLLOW | O_CLOEXEC, mode); });
    }
    const int rootFd = at.root->Descriptor();
    if (rootFd < 0) return -1;
    return OpenBelow(rootFd, at.path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
}

bool PosixPaths::OpenParent(const Location& at, Parent& out) const {
    out.Reset();
    if (!at.root) {
        out.fd_ = AT_FDCWD;
        out.text_ = at.path;
        return true;
    }
    const int rootFd = at.root->Descriptor();
    if (rootFd < 0) return false;
    // The directory part and the last component, in one buffer: "a/b/c" is "a/b\0c".
    out.text_ = at.path;
    const std::size_t slash = out.text_.rfind('/');
    if (slash == std::string::npos) {
        out.fd_ = rootFd;
        return true;
    }
    out.text_[slash] = '\0';
    out.name_ = slash + 1;
    if (const Scope* kept = Kept(at, slash)) {
        out.fd_ = kept->fd_;
        return true;
    }
    const int fd = OpenBelow(rootFd, out.text_.c_str(), kDirectoryFlags, 0);
    if (fd < 0) return false;
    out.fd_ = fd;
    out.owned_ = true;
    return true;
}

bool PosixPaths::OpenSameParent(const Location& at, const Parent& other, Parent& out) const {
    out.Reset();
    if (!at.root || !other.owned_ || other.name_ == 0) return OpenParent(at, out);
    const std::size_t slash = at.path.rfind('/');
    if (slash + 1 != other.name_ || at.path.compare(0, slash, other.text_.c_str()) != 0) return OpenParent(at, out);
    // The same directory part: the same directory, opened once for both names.
    out.text_ = at.path;
    out.text_[slash] = '\0';
    out.name_ = slash + 1;
    out.fd_ = other.fd_;
    return true;
}

bool PosixPaths::ParentExists(const Location& at) const {
    const int saved = errno;
    bool exists;
    if (!at.root) {
        struct stat st;
        const CString parent = ParentPath(CString::FromUtf8(at.path));
        exists = !parent.IsEmpty() && ::stat(parent.ToUtf8().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    } else {
        Parent p;
        exists = OpenParent(at, p);
    }
    errno = saved;
    return exists;
}

}  // namespace plat
