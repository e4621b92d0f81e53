#pragma once
// The preference key table: every user setting is a typed value addressed by a key id
// (0 to 46). A row gives the key's type, default, maximum, attribute and value name (the
// registry value name and the name in a document's preference blob).
//
// The rows are fixed: stored settings and profile files rely on the names, defaults and
// maxima as they stand. A maximum of 0 means none; a value without one is taken as it was
// stored, and each place that uses such a value bounds it there (preference_bounds.h).
//
// Pure data and functions; thread-safe.
#include <cstddef>
#include <cstdint>
#include <string_view>

enum PreferenceId : std::int32_t {
    PREF_BATCH_ERROR_REP_RATE = 0,
    PREF_OPEN_PROJECT_USER_SELECT = 1,
    PREF_AMBIGUOUS_IS_NOT_HARMLESS = 2,
    PREF_AUTO_DST_COMPENSATION = 3,
    PREF_SHOW_GMT = 4,
    PREF_IGNORE_ARCHIVE_BIT = 5,
    PREF_AUTO_SIZE_CACHE_THRESHOLD = 6,
    PREF_TEST_PATTERN_COUNT = 7,
    PREF_AUTO_RETRY_DELAY_ON_ERROR = 8,
    PREF_COPY_BUFFER_SIZE = 9,
    PREF_COPY_TRADITIONAL = 10,
    PREF_USER_LEVEL = 11,
    PREF_VIEWER = 12,
    PREF_DIFF_VIEWER = 13,
    PREF_DIFF_VIEWER_PARM_TEMPLATE = 14,
    PREF_PREF_TREE_WIDTH = 15,
    PREF_HELP_FILE = 16,
    PREF_LANGUAGE = 17,
    PREF_HIDE_HARMLESS_AFTER_SCAN = 18,
    PREF_SYNC_IGNORE_ERRORS = 19,
    PREF_IGNORE_INACCESSIBLE_DIRS = 20,
    PREF_BALLOON_TRAY_TIPS_TIMEOUT = 21,
    PREF_AUTO_SYNC_ENABLE = 22,
    PREF_AUTO_SYNC_ON_ERROR = 23,
    PREF_AUTO_SYNC_ON_AMBIGUOUS = 24,
    PREF_AUTO_SYNC_ON_PROJECT_OPEN = 25,
    PREF_LOG_FILE_ENABLE = 26,
    PREF_LOG_FILE_TRUNCATE = 27,
    PREF_LOG_FILE_AUTO_SYNC = 28,
    PREF_LOG_FILE_PATH = 29,
    PREF_LOG_FILE_LIMIT = 30,
    PREF_LOG_WINDOW_LIMIT = 31,
    PREF_LOG_SHOW_UTC = 32,
    PREF_PRECISION_TIME_STAMP_COMP = 33,
    PREF_PRECISION_ENTRY_PAIR_COMP = 34,
    PREF_PRE_PROC_ENABLE = 35,
    PREF_PRE_PROC_NO_WAIT = 36,
    PREF_PRE_PROC_TITLE = 37,
    PREF_PRE_PROC_CMD = 38,
    PREF_PRE_PROC_DIR = 39,
    PREF_PRE_PROC_RC_OK = 40,
    PREF_POST_PROC_ENABLE = 41,
    PREF_POST_PROC_NO_WAIT = 42,
    PREF_POST_PROC_TITLE = 43,
    PREF_POST_PROC_CMD = 44,
    PREF_POST_PROC_DIR = 45,
    PREF_POST_PROC_RC_OK = 46,
};
constexpr std::size_t kPreferenceCount = 47;

enum PreferenceType : std::int32_t { PREF_TYPE_BOOL = 0, PREF_TYPE_INT = 1, PREF_TYPE_STRING = 2 };

struct PreferenceKey {
    std::int32_t id;
    PreferenceType type;
    std::int32_t defaultNumber;
    std::uint32_t maximum;        // 0: no maximum
    const char16_t* defaultText;  // empty for every row
    std::int32_t attribute;       // 2: shown disabled on a profile page outside maintenance
    const char16_t* name;         // registry value name and blob name
};

// The 47 rows in table order, and the row an unknown id gets: {47, int, 0, none, "", 0, ""}.
extern const PreferenceKey PreferenceKeyTable[kPreferenceCount];
extern const PreferenceKey kFallbackPreferenceKey;

// The row of id, searched in table order; the fallback row when no row has it.
const PreferenceKey& FindPreferenceKey(std::int32_t id);

// number, unless the row has a maximum and number taken as unsigned 32-bit exceeds it
// (so a negative number too): then the row's default.
std::int32_t ClampToKey(const PreferenceKey& key, std::int32_t number);

// A decimal number read as wcstol reads it and clamped to 32 bits: leading blanks (space,
// tab, line feed, vertical tab, form feed, carriage return) and one sign allowed, reading
// stops at the first character that is not a digit, no digits give 0, and a value
// outside the signed 32-bit range becomes its nearest end.
std::int32_t ParseDecimalNumber(std::u16string_view text);
