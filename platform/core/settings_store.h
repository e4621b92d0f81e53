#pragma once
// The settings store: the per-user tree of keys and values that the program and the
// settings migration keep their settings in, one SQLite database file.
//
// Keys are nested and addressed by '\'-separated paths below a parent key (the root of
// the store stands for the whole per-user tree). A key holds named values; a value is a
// type code and bytes: 1 string (UTF-16LE with its terminating NUL, lone surrogates kept),
// 3 binary, 4 32-bit number (four bytes, little-endian); other type codes are kept as
// they are. Key and value names are compared without regard to ASCII case (other letters
// exactly) and keep the spelling they were created with. Subkeys are enumerated by their
// names with the ASCII letters upper-cased, compared code unit by code unit; values in the
// order they were created (a value that is set again keeps its place).
//
// Limits: a key name (one path component) 255 characters, a value name 16383 characters,
// a value's data 1 MiB; beyond them a call fails with 87 and changes nothing.
//
// Every write is committed when its call returns, also when another program uses the same
// file (WAL journal, a busy timeout). A Transaction scope makes several writes one change:
// all of them or none, also when the process is killed meanwhile.
//
// Error contract: calls return false and set the calling thread's last error (win_error.h):
//   2   the key or value does not exist (OpenKey, QueryValue, DeleteValue, DeleteKeyTree)
//   5   the store cannot be written (a newer schema, a read-only file)
//   87  a name or data beyond a limit, an empty or malformed path
//   170 the file stayed busy (another program writing) beyond the busy timeout
//   259 an enumeration index past the last entry
//   1009 the file turned out damaged
//   1018 the key was deleted after it was opened
//   8, 112, 1117 out of memory, disk full, an I/O error.
// A failed call leaves the store as it was. Nothing throws except std::bad_alloc.
//
// Threads: one store may be used by any number of threads; calls are serialised. A
// Transaction holds the store for its thread from its start to its end: other threads'
// calls wait for it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/core/cstring.h"

struct sqlite3;

namespace plat {

// Value type codes.
constexpr std::uint32_t kSettingsString = 1;
constexpr std::uint32_t kSettingsBinary = 3;
constexpr std::uint32_t kSettingsDword = 4;

constexpr std::size_t kSettingsKeyNameMax = 255;
constexpr std::size_t kSettingsValueNameMax = 16383;
constexpr std::size_t kSettingsDataMax = 1 << 20;

struct SettingsValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// The bytes of a string value: UTF-16LE of text and one NUL.
SettingsValue MakeStringValue(std::u16string_view text);
SettingsValue MakeDwordValue(std::uint32_t number);
// The text of a string value: its UTF-16LE code units up to the first NUL (an odd last
// byte is ignored). False for a value of another type.
bool ReadStringValue(const SettingsValue& value, CString& text);
// The number of a DWORD value: false unless the type is 4 and the data four bytes.
bool ReadDwordValue(const SettingsValue& value, std::uint32_t& number);

// An open key: a handle that names one key of one store. Default-constructed it names no
// key. It stays usable after its key is deleted (calls then fail with 1018); a handle is
// only meaningful with the store it came from.
class SettingsKey {
public:
    SettingsKey() = default;
    bool IsValid() const { return id_ != 0; }
    friend bool operator==(const SettingsKey&, const SettingsKey&) = default;

private:
    friend class SettingsStore;
    explicit SettingsKey(std::int64_t id) : id_(id) {}
    std::int64_t id_ = 0;
};

// What opening the store's file found and did. Every kind but Opened and Created tells
// the user something: the application logs the status and shows it at start.
struct SettingsOpenStatus {
    enum Kind {
        Opened,       // an existing file
        Created,      // a new file was made
        Damaged,      // the file was damaged: moved to movedTo (with its -wal and -shm), a new one made
        NewerSchema,  // written by a newer version: opened read-only, nothing is written
        ReadOnly,     // the file cannot be written: read-only, nothing is written
        Busy,         // another program held the file beyond the busy timeout: left alone, settings kept in memory
        NotKept,      // no file could be opened or made: settings kept in memory only
    };
    Kind kind = Opened;
    CString path;             // the file (empty for a store opened in memory on purpose)
    CString movedTo;          // Damaged: where the damaged file now is
    std::uint32_t error = 0;  // Busy, NotKept: the Win32 code of the failure
    CString reason;           // Damaged: what was wrong ("not a database", "integrity check", "unknown schema")

    // Whether changes reach a file.
    bool IsKept() const { return kind == Opened || kind == Created || kind == Damaged; }
};

struct SettingsOpenOptions {
    // How long a call waits for another program's write to finish before it fails with 170.
    int busyTimeoutMs = 5000;
};

class SettingsStore {
public:
    // The file of the per-user store: WENDELKAST_REGISTRY when set and not empty (made
    // absolute against the current directory), else $XDG_CONFIG_HOME/Quillon/registry.db
    // (an empty or relative value counts as unset), else ~/.config/Quillon/registry.db.
    // Empty when no home directory is known.
    static CString DefaultPath();

    // Opens (or makes) the store in path; never null. Missing folders are made with mode
    // 0700, a new file with 0600 (its journal files take the same mode). A damaged file is
    // moved aside and a new one made; a newer schema or an unwritable file is opened
    // read-only; a file busy beyond the timeout is left alone and, like a path where
    // nothing can be made, replaced by a store in memory. status says which.
    static std::unique_ptr<SettingsStore> Open(const CString& path, SettingsOpenStatus& status,
                                               const SettingsOpenOptions& options = {});
    // A store in memory (tests, and the fall-back of Open).
    static std::unique_ptr<SettingsStore> OpenInMemory();

    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The root of the tree (the per-user tree as a whole); it cannot be deleted.
    SettingsKey Root() const { return SettingsKey(kRootId); }
    // Writes fail with 5.
    bool IsReadOnly() const { return readOnly_; }

    // Opens path below parent, making every missing key on the way, in one atomic step:
    // created (may be null) tells whether the last key was made by this call, and of two
    // programs that create the same key at once exactly one is told so. An empty path
    // opens parent itself.
    bool CreateKey(const SettingsKey& parent, std::u16string_view path, SettingsKey& out, bool* created = nullptr);
    // Opens an existing key (2 when a key on the way is missing). An empty path opens
    // parent itself.
    bool OpenKey(const SettingsKey& parent, std::u16string_view path, SettingsKey& out);
    // The name of the index-th subkey in enumeration order; 259 past the last.
    bool EnumKey(const SettingsKey& key, std::uint32_t index, CString& name);
    // The name (and, when value is not null, the value) of the index-th value in creation
    // order; 259 past the last.
    bool EnumValue(const SettingsKey& key, std::uint32_t index, CString& name, SettingsValue* value = nullptr);
    // An empty name is the key's unnamed value.
    bool QueryValue(const SettingsKey& key, std::u16string_view name, SettingsValue& value);
    // Creates or replaces the value (a replaced value keeps its name's spelling and place).
    bool SetValue(const SettingsKey& key, std::u16string_view name, std::uint32_t type, const void* data,
                  std::size_t size);
    bool SetValue(const SettingsKey& key, std::u16string_view name, const SettingsValue& value) {
        return SetValue(key, name, value.type, value.data.data(), value.data.size());
    }
    bool DeleteValue(const SettingsKey& key, std::u16string_view name);
    // Deletes the key at path below parent with all its subkeys and values (path must not
    // be empty). Handles of deleted keys fail with 1018 afterwards.
    bool DeleteKeyTree(const SettingsKey& parent, std::u16string_view path);

    // A multi-step change that is all-or-nothing. Begin it, make the changes through the
    // store as usual, then Commit; a scope left without Commit (or a process killed before
    // it) undoes every change made since its start. Scopes nest (an inner scope undone
    // undoes only its own changes). The scope holds the store for its thread until it ends.
    class Transaction {
    public:
        explicit Transaction(SettingsStore& store);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        // False when the change could not begin (last error set, e.g. 170 or 5); Commit
        // then fails too.
        bool IsActive() const { return active_; }
        // Makes the changes permanent; false with the last error set when that fails, and
        // then nothing of the scope is kept.
        bool Commit();

    private:
        SettingsStore& store_;
        std::unique_lock<std::recursive_mutex> lock_;
        bool active_ = false;
        int depth_ = 0;  // the nesting level this scope opened (1 for the outermost)
    };

private:
    static constexpr std::int64_t kRootId = 1;
    class Statement;
    class WriteScope;

    SettingsStore(sqlite3* db, bool readOnly);
    // The id of the child of parent with this name, 0 when there is none; -1 on failure.
    std::int64_t FindChild(std::int64_t parent, std::u16string_view name);
    // Whether the key still exists; false with 1018 (or the failure's code) when not.
    bool CheckKey(std::int64_t id);
    bool Walk(std::int64_t parent, std::u16string_view path, bool create, std::int64_t& id, bool* created);
    // Sets the last error from an SQLite result code and returns false.
    bool Fail(int sqliteCode);
    bool Exec(const char* sql);

    std::recursive_mutex mutex_;
    sqlite3* db_;
    bool readOnly_;
    int transactionDepth_ = 0;  // open Transaction scopes; guarded by mutex_

    friend struct SettingsStoreOpener;
};

}  // namespace plat
