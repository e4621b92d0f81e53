#pragma once
// How the POSIX file system reaches the entry a path names (used by PosixFileSystem only).
//
// Below a held root (FileSystem::HoldRoot) the part after the root is resolved from the
// root's descriptor without following a symbolic link in any component: one openat2 with
// RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH where the kernel has it (found out at the first
// call: ENOSYS or EINVAL there means it has not), else one openat per component with
// O_PATH | O_DIRECTORY | O_NOFOLLOW and the last one with O_NOFOLLOW. A link met fails
// with ELOOP or ENOTDIR, both 3 in the errno table. Every other path (the root itself
// included) is the whole native path, resolved by the kernel as before.
//
// Errors: Locate sets the thread's last error (as the file-system calls do); the calls
// that touch the disk return -1 or false with errno set, for the caller's errno table.
// Threads: every call may come from any thread.
#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/cstring.h"
#include "platform/core/file_system.h"
#include "platform/core/held_roots.h"

namespace plat {

class PosixPaths {
public:
    // How the part below a root is resolved: openat2 when the kernel has it, or always one
    // component at a time (tests of the fallback).
    enum class Walk { Automatic, ComponentByComponent };

    explicit PosixPaths(Walk walk) : walk_(walk) {}

    // One held root: its path and its descriptor (O_PATH), opened at the first hold and
    // again on demand while it could not be opened.
    class Root {
    public:
        explicit Root(const CString& root);  // root ends in '/'
        ~Root();
        Root(const Root&) = delete;
        Root& operator=(const Root&) = delete;
        // The descriptor; -1 with errno when the root cannot be opened.
        int Descriptor();

    private:
        std::string native_;
        std::atomic<int> fd_{-1};
    };

    // Where a path leads.
    struct Location {
        std::shared_ptr<Root> root;  // null: the whole path, resolved by the kernel
        std::string path;            // below a root: relative to it, never empty; else the native path
    };

    // A directory and a name in it, for the *at calls: below a root the parent directory
    // of the entry (opened here unless it is the root), else AT_FDCWD and the whole path.
    class Parent {
    public:
        Parent() = default;
        ~Parent();
        Parent(const Parent&) = delete;
        Parent& operator=(const Parent&) = delete;
        int fd() const { return fd_; }
        const char* name() const { return text_.c_str() + name_; }

    private:
        friend class PosixPaths;
        void Reset();
        int fd_ = -100;  // AT_FDCWD
        bool owned_ = false;
        std::string text_;      // the directory part, a NUL, the name (or only the name)
        std::size_t name_ = 0;  // where the name begins in text_
    };

    // A directory below a root, reached once and kept for the calls the thread that made it
    // makes on the entries directly in it (FileSystem::EnterDirectory): Open and OpenParent
    // start from its descriptor instead of the root's. Scopes of one thread nest; each is
    // ended on the thread that made it.
    class Scope final : public DirectoryScope {
    public:
        ~Scope() override;
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        friend class PosixPaths;
        Scope(const PosixPaths& owner, std::shared_ptr<Root> root, std::string dir, int fd);
        const PosixPaths* owner_;
        std::shared_ptr<Root> root_;
        std::string dir_;  // the directory, relative to the root
        int fd_;           // O_PATH, owned
        Scope* outer_;     // the scope this thread entered before, or null
    };

    // The scope of the directory at dir; null when it lies below no root (or is a root) or
    // cannot be reached now (errno set).
    std::unique_ptr<Scope> Enter(const Location& dir) const;

    void Hold(const CString& root);
    void Release(const CString& root);

    // The location of an absolute path; false (last error 3, or 123 for an embedded NUL)
    // for a relative path or a ".." component below a root.
    bool Locate(const CString& path, Location& out) const;
    // open(2) of the entry itself; below a root O_NOFOLLOW is always added.
    int Open(const Location& at, int flags, unsigned mode = 0) const;
    bool OpenParent(const Location& at, Parent& out) const;
    // OpenParent, sharing other's descriptor when the entry lies in the same directory
    // (a rename within one directory opens it once); other must outlive out.
    bool OpenSameParent(const Location& at, const Parent& other, Parent& out) const;
    // Whether the directory that holds the entry exists (tells a missing file, 2, from a
    // missing directory part, 3).
    bool ParentExists(const Location& at) const;

private:
    // The scope of this thread that keeps the directory part of at (the first slash
    // characters of its path), or null.
    const Scope* Kept(const Location& at, std::size_t slash) const;
    // rel below the root descriptor, flags with O_NOFOLLOW.
    int OpenBelow(int rootFd, const char* rel, int flags, unsigned mode) const;
    int WalkBelow(int rootFd, std::string_view rel, int flags, unsigned mode) const;

    Walk walk_;
    HeldRoots<Root> roots_;
};

}  // namespace plat
