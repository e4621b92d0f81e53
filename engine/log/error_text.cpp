#include "engine/log/error_text.h"

#include "platform/core/win_error.h"
#include "resources/checked_format.h"
#include "resources/string_ids.h"

std::uint32_t ErrorCodeStringId(std::uint32_t code) {
    switch (code) {
        case ERRCODE_NOT_A_DIRECTORY: return IDS_ERR_NOT_A_DIRECTORY;
        case ERRCODE_DIR_NOT_EMPTY: return IDS_ERR_DIR_NOT_EMPTY;
        case ERRCODE_PATH_TOO_LONG: return IDS_ERR_PATH_TOO_LONG;
        case ERRCODE_BAD_SIGNATURE: return IDS_ERR_BAD_SIGNATURE;
        case ERRCODE_UNSUPPORTED_VERSION: return IDS_ERR_UNSUPPORTED_VERSION;
        case ERRCODE_READ_WRITE: return IDS_ERR_READ_WRITE;
        case ERRCODE_BAD_FORMAT: return IDS_ERR_BAD_FORMAT;
        case ERRCODE_BAD_EXIT_CODE: return IDS_ERR_BAD_EXIT_CODE;
        case ERRCODE_NESTED_ROOTS: return IDS_ERR_NESTED_ROOTS;
        case ERRCODE_CHANGED_SINCE_SCAN: return IDS_ERR_CHANGED_SINCE_SCAN;
        default: return 0;
    }
}

CString FormatErrorText(const ErrorInfo& record, std::uint32_t* usedId) {
    std::uint32_t id = 0;
    CString message;
    switch (record.category) {
        case ERROR_CATEGORY_SYSTEM:
            message = Win32ErrorText(record.code);
            break;
        case ERROR_CATEGORY_PROGRAM:
            id = ErrorCodeStringId(record.code);
            if (id != 0) message = LoadString(id);
            break;
        case ERROR_CATEGORY_CANCELLED:
            id = IDS_CANCELLED_BY_USER;
            message = LoadString(id);
            break;
        case ERROR_CATEGORY_MESSAGE:
            id = IDS_SUCCESSFUL_FINISHED;
            message = LoadString(id);
            break;
        default:
            break;
    }
    // A record the program has no text for must not read as success or as nothing.
    if (message.IsEmpty() && record.category != ERROR_CATEGORY_SYSTEM) {
        id = IDS_ERR_UNKNOWN;
        message = FormatStringId(id, record.category, record.code);
    }
    if (usedId) *usedId = id;
    const char16_t* text = record.GetText();
    if (text && *text) return CString(text) + u"\n\n" + message;
    return message;
}

CString FormatSystemErrorDetails(const ErrorInfo& record) {
    return FormatStringId(IDS_OS_MESSAGE_DETAILS, FormatErrorText(record), static_cast<std::int32_t>(record.code),
                          Win32ErrorText(record.code));
}
