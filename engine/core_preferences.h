#pragma once
// The engine settings a profile gives its database. The application implements them over
// the profile's preferences; a database without its own object uses the default one,
// which answers 0 or false to every question.
//
// Threads: read by the scan and execution workers while the user-interface thread waits
// for them; an implementation must not change its answers during a run.
namespace Core {

class Preferences {
public:
    virtual ~Preferences() = default;

    // Non-zero: the scan crawls a generated test tree of this size instead of the disk.
    virtual int GetTestPatternCount() const { return 0; }
    // Milliseconds a failed file operation waits before it is tried once more.
    virtual int GetAutoRetryDelayOnError() const { return 0; }
    // Both comparers ignore the archive and normal attribute bits.
    virtual bool GetIgnoreArchiveBit() const { return false; }
    // A directory that cannot be listed for lack of access is skipped, not an error.
    virtual bool GetIgnoreInaccessibleDirs() const { return false; }
    // Bytes of the execution's own copy buffer; 0 means 262144.
    virtual int GetCopyBufferSize() const { return 0; }
    // The execution always uses its own read/write copy.
    virtual bool GetCopyTraditional() const { return false; }
    // Time tolerance in milliseconds of the entry comparer (current against database).
    virtual int GetPrecisionTimeStampComp() const { return 0; }
    // Time tolerance in milliseconds of the pair comparer (left against right).
    virtual int GetPrecisionEntryPairComp() const { return 0; }
};

}  // namespace Core
