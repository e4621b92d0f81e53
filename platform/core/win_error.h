#pragma once
// Win32-style error codes: the thread's last error, the one errno-to-Win32 table of the
// port, and our own message texts of those codes.
//
// Every platform call that fails sets the calling thread's last error (thread-local, so
// workers and the user-interface thread never see each other's errors) and returns
// false or an invalid handle; callers read it with GetLastError().
#include <cerrno>
#include <cstdint>
#include "platform/core/cstring.h"

namespace win32 {
constexpr std::uint32_t ERROR_SUCCESS = 0;
constexpr std::uint32_t ERROR_GEN_FAILURE_FIXED = 31;  // any errno without an entry
constexpr std::uint32_t ERROR_INVALID_FUNCTION = 1;
constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr std::uint32_t ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
constexpr std::uint32_t ERROR_INVALID_HANDLE = 6;
constexpr std::uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr std::uint32_t ERROR_INVALID_DATA = 13;
constexpr std::uint32_t ERROR_NOT_SAME_DEVICE = 17;
constexpr std::uint32_t ERROR_NO_MORE_FILES = 18;
constexpr std::uint32_t ERROR_WRITE_PROTECT = 19;
constexpr std::uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr std::uint32_t ERROR_HANDLE_EOF = 38;
constexpr std::uint32_t ERROR_NOT_SUPPORTED = 50;
constexpr std::uint32_t ERROR_FILE_EXISTS = 80;
constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::uint32_t ERROR_INVALID_NAME = 123;
constexpr std::uint32_t ERROR_DISK_FULL = 112;
constexpr std::uint32_t ERROR_DIR_NOT_EMPTY = 145;
constexpr std::uint32_t ERROR_BUSY = 170;
constexpr std::uint32_t ERROR_ALREADY_EXISTS = 183;
constexpr std::uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
constexpr std::uint32_t ERROR_NO_MORE_ITEMS = 259;
constexpr std::uint32_t ERROR_REQUEST_ABORTED = 1235;
constexpr std::uint32_t ERROR_IO_DEVICE = 1117;
constexpr std::uint32_t ERROR_BADDB = 1009;        // the settings file is damaged
constexpr std::uint32_t ERROR_KEY_DELETED = 1018;  // a settings key deleted after it was opened
constexpr std::uint32_t ERROR_CANT_RESOLVE_FILENAME = 1921;  // a symbolic link met below a root
}  // namespace win32

std::uint32_t GetLastError();
void SetLastError(std::uint32_t code);

// What the failing call was, so that EEXIST maps to 80 for an exclusive create and to
// 183 for mkdir and rename, and ENOENT to 3 when a directory part of the path is missing.
enum class ErrnoContext { Other, ExclusiveCreate, MakeDirectory, Rename };
// The one errno-to-Win32 table. For ENOENT the caller passes whether the parent
// directory of the path exists (parentExists false gives 3, else 2).
std::uint32_t Win32FromErrno(int err, ErrnoContext ctx = ErrnoContext::Other, bool parentExists = true);
// Runs a system call again while it fails with EINTR (a signal arrived meanwhile) and
// returns what the last call returned; errno is the last call's.
template <typename Call>
auto RetryEintr(Call call) {
    decltype(call()) r;
    do {
        r = call();
    } while (r == -1 && errno == EINTR);
    return r;
}

// Our own English text of a Win32 code ("The system cannot find the file specified." ...);
// an unknown code gives "Unknown system error %u.".
CString Win32ErrorText(std::uint32_t code);
