#pragma once
// Names of the string-table ids (resources/strings.txt) that code refers to.
#include <cstdint>

enum StringId : std::uint32_t {
    IDS_MSGBOX_BUTTONS = 157,         // the standard buttons' captions, at their ids between "\n"
    IDS_LOG_TEMPLATES = 160,          // the five log-entry templates, one a line
    IDS_SCAN_DIRECTORIES = 1000,
    IDS_SYNCHRONIZE = 1001,
    IDS_LOG = 1042,
    IDS_BINARY_FILE_COMPARISON = 1044,
    IDS_LOG_TO_FILE = 1052,
    IDS_SAVE_PROFILE_CHANGES = 1104,
    IDS_DST_SHIFT_DETECTED = 1109,
    IDS_CANCELLED_BY_USER = 1200,
    IDS_SUCCESSFUL_FINISHED = 1201,
    IDS_DOMINATION_INCOMPLETE = 1206,
    IDS_OS_MESSAGE_DETAILS = 1219,
    IDS_TIME_IN_UTC = 1311,
    IDS_TIME_IN_LOCAL = 1312,
    IDS_ERR_NOT_A_DIRECTORY = 1400,
    IDS_ERR_DIR_NOT_EMPTY = 1401,
    IDS_ERR_PATH_TOO_LONG = 1402,
    IDS_ERR_BAD_SIGNATURE = 1403,
    IDS_ERR_UNSUPPORTED_VERSION = 1404,
    IDS_ERR_BAD_FORMAT = 1405,
    IDS_ERR_READ_WRITE = 1406,
    IDS_LOG_FILE_OPEN_FAILURE = 1412,
    IDS_ERR_BAD_EXIT_CODE = 1414,
    IDS_ERR_NESTED_ROOTS = 1415,
    IDS_ERR_UNKNOWN = 1416,
    IDS_ERR_CHANGED_SINCE_SCAN = 1417,
    IDS_ERR_TEST_PATTERN_PLAN = 1418,    // the plan of a generated test tree is not carried out
    IDS_SCAN_WALK_INCOMPLETE = 1440,
    IDS_SCAN_ROOT_LISTS_NOTHING = 1441,
    IDS_SCAN_SKIP_SYMLINK = 1442,
    IDS_SCAN_SKIP_SPECIAL = 1443,
    IDS_SCAN_SKIP_BACKSLASH = 1444,
    IDS_SCAN_SKIP_CASE_TWIN = 1445,
    IDS_SCAN_SKIP_NAME_TOO_LONG = 1446,
    IDS_SCAN_TEMPORARY_REMOVED = 1447,
    IDS_SCAN_SKIP_PATH_TOO_LONG = 1448,
    IDS_PROFILE_DUPLICATE_ENTRY = 1460,  // a profile entry stored twice; the text is its path
    IDS_SETTINGS_DAMAGED = 1470,         // what opening the settings file found; the text is the file
    IDS_SETTINGS_NEWER = 1471,
    IDS_SETTINGS_READ_ONLY = 1472,
    IDS_SETTINGS_BUSY = 1473,
    IDS_SETTINGS_NOT_KEPT = 1474,
    IDS_SELECTION_RULE_FAILED = 1480,        // a selection rule's search failed: not selected by it
    IDS_SELECTION_EXCLUSION_FAILED = 1481,   // a selection exclusion's search failed: not excluded
    IDS_PROTECTION_RULE_FAILED = 1482,       // a protection rule's search failed: protected
    IDS_PROTECTION_EXCLUSION_FAILED = 1483,  // a protection exclusion's search failed: not applied
    IDS_RULE_NOT_COMPILED = 1484,            // a regular expression that does not compile
    IDS_BUTTON_SAVE_ALL = 1500,
    IDS_BUTTON_DISCARD_ALL = 1501,
    IDS_BUTTON_YES_TO_ALL = 1502,
    IDS_BUTTON_NO_TO_ALL = 1503,
    IDS_BUTTON_MORE = 1504,
    IDS_BUTTON_REPORT = 1505,
    IDS_BUTTON_IGNORE_ALL = 1507,
    IDS_BUTTON_ALL = 1508,
    IDS_APP_TITLE = 57344,
};
