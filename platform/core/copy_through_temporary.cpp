#include "platform/core/copy_through_temporary.h"

#include <memory>
#include <vector>
#include "platform/core/win_error.h"

namespace plat {

bool ReadWriteChunk(File& from, File& to, std::span<char> buffer, std::size_t& done) {
    done = 0;
    std::size_t got = 0;
    if (!from.Read(buffer.data(), buffer.size(), got)) return false;
    if (got > 0 && !to.Write(buffer.data(), got)) return false;
    done = got;
    return true;
}

bool CopyThroughTemporary(FileSystem& fs, const CString& source, const CString& target,
                          const CopyProgress& progress, const CopyOptions& options,
                          const ChunkCopier& copier) {
    // Only a regular file is opened (a directory or special file has no contents to copy:
    // 5); what was opened is what is copied, so its own stamp gives the mode and times. A
    // link is never opened: looked at without following it, it fails with 1921.
    std::unique_ptr<File> in = fs.OpenRead(source);
    if (!in) {
        const std::uint32_t code = GetLastError();
        FindData seen;
        SetLastError(fs.GetFindData(source, seen) && seen.kind == EntryKind::Symlink
                         ? win32::ERROR_CANT_RESOLVE_FILENAME
                         : code);
        return false;
    }
    FindData src;
    if (!in->GetFindData(src)) return false;
    // A directory at the target would only make the final rename fail; refuse before
    // copying any byte. A link at the target is fine: the rename replaces the link itself.
    // Without replacing, the rename refuses whatever is there (183), so the look is spared:
    // that is the copy of every new file, where it would be two calls for nothing.
    FindData existing;
    if (options.replaceExisting && fs.GetFindData(target, existing) && existing.kind == EntryKind::Directory) {
        SetLastError(win32::ERROR_ACCESS_DENIED);
        return false;
    }

    CString tempPath;
    std::unique_ptr<File> out = fs.CreateTemporaryBeside(target, tempPath);
    if (!out) return false;

    const auto fail = [&] {
        const std::uint32_t code = GetLastError();
        out.reset();  // closes without reporting: the file is going away
        fs.DeleteFile(tempPath);
        SetLastError(code);
        return false;
    };

    // Not zero-filled: a quarter megabyte cleared for every small file of a large tree
    // costs more than copying it, and the kernel copy does not even touch it.
    const std::size_t bufferSize = options.bufferSize > 0 ? options.bufferSize : CopyOptions().bufferSize;
    const std::unique_ptr<char[]> storage(new char[bufferSize]);
    const std::span<char> buffer(storage.get(), bufferSize);
    const ChunkCopier& copy = copier ? copier : ChunkCopier(ReadWriteChunk);
    const std::uint64_t total = src.Size();
    std::uint64_t copied = 0;
    for (;;) {
        std::size_t done = 0;
        if (!copy(*in, *out, buffer, done)) return fail();
        if (done == 0) break;
        copied += done;
        if (progress && !progress(copied, total)) {
            SetLastError(win32::ERROR_REQUEST_ABORTED);
            return fail();
        }
    }
    // The times go on the temporary file, after the last write: the source's own values
    // from its stat, never a round trip through FILETIME, which is coarser and ends in
    // 30828. The permission bits go on the target just after the rename: as long as the
    // file has a temporary name it keeps the mode it was created with, so that a copy cut
    // short at any point leaves what the crawl removes as a leftover, never a file of the
    // source's mode that would be taken for a user's own.
    if (!out->SetUnixTimes(&src.lastAccessUnix, &src.lastWriteUnix)) return fail();
    if (!out->Close()) return fail();
    in->Close();  // a read-only descriptor has nothing left to report
    if (options.beforeRename && !options.beforeRename()) return fail();
    if (!fs.MoveFile(tempPath, target, options.replaceExisting)) return fail();
    return !options.setMode || fs.SetPermissions(target, src.mode);
}

}  // namespace plat
