#pragma once
// The one copy algorithm of every FileSystem implementation: source contents into a
// temporary file beside the target, then the source's times on it, then a rename over the
// target, then the source's permission bits on the target. Implementations call it from their CopyFile; the POSIX
// one passes a chunk copier that uses the kernel's copy.
//
// Error contract: as FileSystem::CopyFile (false and the thread's last error; the
// temporary file is removed on every failure and on a cancel, 1235).
// Threads: no state of its own; safe wherever fs is.
#include <cstddef>
#include <functional>
#include <span>
#include "platform/core/file_system.h"

namespace plat {

// Moves one chunk from `from` to `to`: at most buffer.size() bytes, the count in done;
// done = 0 at the end of the source. buffer is scratch space the copier may use.
using ChunkCopier = std::function<bool(File& from, File& to, std::span<char> buffer, std::size_t& done)>;

// The plain chunk copier: one Read into buffer, then one Write of what was read.
bool ReadWriteChunk(File& from, File& to, std::span<char> buffer, std::size_t& done);

// Every call goes through fs (so a fault-injecting wrapper sees each step). An empty
// copier means ReadWriteChunk.
bool CopyThroughTemporary(FileSystem& fs, const CString& source, const CString& target,
                          const CopyProgress& progress, const CopyOptions& options,
                          const ChunkCopier& copier = {});

}  // namespace plat
