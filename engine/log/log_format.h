#pragma once
// How a log entry reads, in the log file and in the log window:
//   "%02i-%02i-%02i %02i:%02i:%02i.%03i [%02i,%05i,%02i]: %s"
// (date with the four-digit year, time with milliseconds, category, code, kind with its
// sign, message), and the file line "%c %s\n" with the marker 'E' for an error, '!'
// for a warning and ' ' otherwise.
//
// The message of a category-0 entry comes from the templates of string 160 chosen by
// kind; any other entry's message is its error text on one line (error_text.h). Every
// message is made safe (MakeLogSafe), so an entry always stays on its own line.
//
// Pure functions over the string table; thread-safe.
#include "engine/error_info.h"
#include "platform/core/cstring.h"

// The entry text; the time is the entry's UTC time, turned into local time by the
// time-zone rules of that date unless utc is set.
CString FormatLogEntry(const ErrorInfo& entry, bool utc);
// 'E', '!' or ' '.
char16_t LogMarker(const ErrorInfo& entry);
// The line of the log file: marker, blank, FormatLogEntry, "\n".
CString FormatLogLine(const ErrorInfo& entry, bool utc);

// Text made safe for a log line: control characters U+0000-U+001F and U+007F become
// their visible Control Pictures symbols (U+2400-U+241F, U+2421), C1 controls, the
// line and paragraph separators and lone surrogates (the escaped bytes of a name that
// was not UTF-8) become U+FFFD. Valid surrogate pairs stay.
CString MakeLogSafe(std::u16string_view text);
