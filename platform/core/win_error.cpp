#include "platform/core/win_error.h"

#include <cerrno>

namespace {
thread_local std::uint32_t t_lastError = 0;
}

std::uint32_t GetLastError() { return t_lastError; }
void SetLastError(std::uint32_t code) { t_lastError = code; }

std::uint32_t Win32FromErrno(int err, ErrnoContext ctx, bool parentExists) {
    using namespace win32;
    switch (err) {
        case 0: return ERROR_GEN_FAILURE_FIXED;  // a failure without errno is still a failure
        case ENOENT: return parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
        case ENOTDIR:
        case ELOOP: return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR: return ERROR_ACCESS_DENIED;
        case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
        case EEXIST: return ctx == ErrnoContext::ExclusiveCreate ? ERROR_FILE_EXISTS : ERROR_ALREADY_EXISTS;
        case ENOSPC:
        case EDQUOT: return ERROR_DISK_FULL;
        case EROFS: return ERROR_WRITE_PROTECT;
        case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
        case EXDEV: return ERROR_NOT_SAME_DEVICE;
        case EBUSY:
        case ETXTBSY: return ERROR_SHARING_VIOLATION;
        case EMFILE:
        case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
        case EIO: return ERROR_IO_DEVICE;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        case EINVAL: return ERROR_INVALID_PARAMETER;
        case EBADF: return ERROR_INVALID_HANDLE;
        case ENOTSUP: return ERROR_NOT_SUPPORTED;
        case ECANCELED: return ERROR_REQUEST_ABORTED;
        default: return ERROR_GEN_FAILURE_FIXED;
    }
}

CString Win32ErrorText(std::uint32_t code) {
    using namespace win32;
    switch (code) {
        case ERROR_SUCCESS: return u"The operation completed successfully.";
        case ERROR_INVALID_FUNCTION: return u"Incorrect function.";
        case ERROR_FILE_NOT_FOUND: return u"The system cannot find the file specified.";
        case ERROR_PATH_NOT_FOUND: return u"The system cannot find the path specified.";
        case ERROR_TOO_MANY_OPEN_FILES: return u"The system cannot open the file: too many open files.";
        case ERROR_ACCESS_DENIED: return u"Access is denied.";
        case ERROR_INVALID_HANDLE: return u"The handle is invalid.";
        case ERROR_NOT_ENOUGH_MEMORY: return u"Not enough memory is available to complete this operation.";
        case ERROR_INVALID_DATA: return u"The data is invalid.";
        case ERROR_NOT_SAME_DEVICE: return u"The system cannot move the file to a different disk drive.";
        case ERROR_NO_MORE_FILES: return u"There are no more files.";
        case ERROR_WRITE_PROTECT: return u"The media is write protected.";
        case ERROR_GEN_FAILURE_FIXED: return u"A device attached to the system is not functioning.";
        case ERROR_SHARING_VIOLATION: return u"The file is being used by another process.";
        case ERROR_HANDLE_EOF: return u"Reached the end of the file.";
        case ERROR_NOT_SUPPORTED: return u"The request is not supported.";
        case ERROR_FILE_EXISTS: return u"The file exists.";
        case ERROR_INVALID_PARAMETER: return u"The parameter is incorrect.";
        case ERROR_INVALID_NAME: return u"The filename, directory name, or volume label syntax is incorrect.";
        case ERROR_DISK_FULL: return u"There is not enough space on the disk.";
        case ERROR_DIR_NOT_EMPTY: return u"The directory is not empty.";
        case ERROR_BUSY: return u"The requested resource is in use.";
        case ERROR_ALREADY_EXISTS: return u"Cannot create a file when that file already exists.";
        case ERROR_FILENAME_EXCED_RANGE: return u"The filename or extension is too long.";
        case ERROR_NO_MORE_ITEMS: return u"No more data is available.";
        case ERROR_BADDB: return u"The settings file is corrupted.";
        case ERROR_KEY_DELETED: return u"The settings key was deleted after it was opened.";
        case ERROR_IO_DEVICE: return u"The request could not be performed because of an I/O device error.";
        case ERROR_REQUEST_ABORTED: return u"The request was aborted.";
        case ERROR_CANT_RESOLVE_FILENAME: return u"The name of the file cannot be resolved by the system (symbolic link).";
        default: return CString::Format(u"Unknown system error %u.", code);
    }
}
