#pragma once
// ProtectionRule: one rule of a profile's protection or selection filters. A pattern (a
// wildcard pattern or a regular expression) is matched against an entry's path relative
// to the roots (components joined by '\\', upper-cased), with flag bits saying how.
//
// A regular-expression rule keeps its compiled expression; copies share it (it is never
// changed after compiling, so sharing between copies and threads is safe). A pattern that
// does not compile is not an error: the rule keeps no expression and matches its text as
// a wildcard pattern.
//
// Value type; a const rule may be matched from several threads at once. Nothing throws
// (except std::bad_alloc).
#include <cstdint>
#include <memory>

#include "platform/core/cstring.h"

class BinaryReader;
class BinaryWriter;

class ProtectionRule {
public:
    enum Flags : std::uint32_t {
        EXCLUSION = 0x10,    // removes entries instead of adding them
        ACTIVE = 0x08,       // takes part
        MATCH_ICASE = 0x04,  // compare without regard to case (always set by Set)
        MATCH_FILE = 0x02,   // stored, written, read and shown; no matching step reads it
        MATCH_REGEX = 0x01,  // the pattern is a regular expression, else a wildcard pattern
    };

    // The outcome of one match, for callers that must tell a failed search from "no match".
    enum class MatchResult { NoMatch, Match, Failed };

    ProtectionRule() = default;
    ProtectionRule(const CString& pattern, std::uint32_t flags) { Set(pattern, flags); }
    ProtectionRule(const ProtectionRule&) = default;
    ProtectionRule& operator=(const ProtectionRule&) = default;
    virtual ~ProtectionRule() = default;

    // Stores the pattern and takes EXCLUSION, ACTIVE, MATCH_ICASE and MATCH_REGEX from
    // (flags | MATCH_ICASE); MATCH_FILE keeps its old value. A regular-expression rule is
    // compiled (Perl syntax, case-insensitive under MATCH_ICASE); when that fails the rule
    // has no compiled expression.
    void Set(const CString& pattern, std::uint32_t flags);
    // Sets or clears ACTIVE; true when it changed.
    bool SetActive(bool active);

    // True when the rule matches path: a compiled expression must match from the path's
    // first character on (it need not reach the end unless it says so); otherwise the
    // whole path must match the pattern as a wildcard pattern. A search that fails at run
    // time (for example one that exceeds the matcher's complexity bound) gives false.
    bool Match(const CString& path) const { return MatchChecked(path) == MatchResult::Match; }
    // The same, reporting a failed search as Failed.
    MatchResult MatchChecked(const CString& path) const;

    // "EXCLUSION:%c,ACTIVE:%c,MATCH_ICASE:%c,MATCH_FILE:%c,MATCH_REGEX:%c \"%s\"".
    CString Format() const;

    // Stream form in profile files: the pattern (wide string; narrow in formats 1 and 2),
    // then u32 flags. Read sets the rule from what it read, MATCH_FILE included; false
    // when the stream failed (rule_streams.cpp).
    bool Write(BinaryWriter& stream) const;
    bool Read(BinaryReader& stream, std::uint32_t version);

    const CString& GetPattern() const { return pattern_; }
    std::uint32_t GetFlags() const { return flags_; }
    // Sets the raw flag word without recompiling (for readers restoring a stored rule
    // exactly; Set is the normal way).
    void SetFlagsRaw(std::uint32_t flags) { flags_ = flags; }
    bool IsActive() const { return (flags_ & ACTIVE) != 0; }
    bool IsExclusion() const { return (flags_ & EXCLUSION) != 0; }
    bool HasCompiledExpression() const { return compiled_ != nullptr; }
    // A regular-expression rule whose pattern did not compile (it matches as a wildcard).
    bool IsUncompiledExpression() const { return (flags_ & MATCH_REGEX) != 0 && compiled_ == nullptr; }

private:
    struct Compiled;

    CString pattern_;
    std::shared_ptr<const Compiled> compiled_;  // only for a regular expression that compiled
    std::uint32_t flags_ = 0;
};
