// The settings store's keys and values over SQLite.
//
// Schema (user_version 1):
//   keys(id, parent, name, fold)  one row per key; the root is row 1 with parent 0
//   vals(id, key, name, fold, type, data)
// Names are stored as UTF-16LE bytes so that every name, lone surrogates included, comes
// back exactly; fold is the name as UTF-16BE with ASCII letters upper-cased, so that a
// byte comparison of fold is the code-unit comparison without ASCII case: the unique
// (parent, fold) and (key, fold) indexes find names and give the subkeys' order. Ids are
// AUTOINCREMENT, never reused, so the handle of a deleted key never names a new one, and
// the values' ids are their creation order.
//
// Every change runs inside BEGIN IMMEDIATE (or a savepoint inside a Transaction scope):
// the write lock is taken before anything is read, so a check and the write that depends
// on it (does the key exist, is the name taken) see the same state, also against another
// program, and exactly one of two racing creates makes the key.
#include "platform/core/settings_store.h"

#include <sqlite3.h>

#include <cerrno>
#include <string>

#include "platform/core/text_convert.h"
#include "platform/core/win_error.h"

namespace plat {
namespace {

std::string FoldBytes(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        out.push_back(static_cast<char>(c >> 8));
        out.push_back(static_cast<char>(c & 0xFF));
    }
    return out;
}

CString FromLittleEndian(const void* data, int size) {
    return CString(DecodeUtf16Le(std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(size))));
}

// Splits a '\'-separated path; false for an empty component or one beyond the limit.
bool SplitPath(std::u16string_view path, std::vector<std::u16string_view>& parts) {
    parts.clear();
    if (path.empty()) return true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find(u'\\', start);
        const std::u16string_view part = path.substr(start, end == std::u16string_view::npos ? path.npos : end - start);
        if (part.empty() || part.size() > kSettingsKeyNameMax) return false;
        parts.push_back(part);
        if (end == std::u16string_view::npos) return true;
        start = end + 1;
    }
}

bool InvalidParameter() {
    SetLastError(win32::ERROR_INVALID_PARAMETER);
    return false;
}

}  // namespace

SettingsValue MakeStringValue(std::u16string_view text) {
    SettingsValue value;
    value.type = kSettingsString;
    const std::string bytes = EncodeUtf16Le(text);
    value.data.assign(bytes.begin(), bytes.end());
    value.data.push_back(0);
    value.data.push_back(0);
    return value;
}

SettingsValue MakeDwordValue(std::uint32_t number) {
    SettingsValue value;
    value.type = kSettingsDword;
    for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
    return value;
}

bool ReadStringValue(const SettingsValue& value, CString& text) {
    if (value.type != kSettingsString) return false;
    text = FromLittleEndian(value.data.data(), static_cast<int>(value.data.size()));
    const std::size_t nul = text.Find(u'\0');
    if (nul != CString::npos) text.Truncate(nul);
    return true;
}

bool ReadDwordValue(const SettingsValue& value, std::uint32_t& number) {
    if (value.type != kSettingsDword || value.data.size() != 4) return false;
    number = 0;
    for (int i = 0; i < 4; ++i) number |= std::uint32_t(value.data[i]) << (8 * i);
    return true;
}

// One prepared statement, finalised however the call leaves.
class SettingsStore::Statement {
public:
    Statement(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return rc_ == SQLITE_OK || rc_ == SQLITE_ROW || rc_ == SQLITE_DONE; }
    int Code() const { return rc_; }
    Statement& Bind(int i, std::int64_t v) {
        if (Ok()) rc_ = sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    // A blob that is never NULL, also when empty.
    Statement& Bind(int i, const void* data, std::size_t size) {
        if (!Ok()) return *this;
        rc_ = size == 0 ? sqlite3_bind_zeroblob(stmt_, i, 0)
                        : sqlite3_bind_blob64(stmt_, i, data, size, SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int i, const std::string& bytes) { return Bind(i, bytes.data(), bytes.size()); }
    // True for a row; false at the end or on failure (Ok() tells which).
    bool Step() {
        if (!Ok()) return false;
        rc_ = sqlite3_step(stmt_);
        return rc_ == SQLITE_ROW;
    }
    std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    const void* Blob(int column) const { return sqlite3_column_blob(stmt_, column); }
    int Size(int column) const { return sqlite3_column_bytes(stmt_, column); }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int rc_;
};

// The frame of one changing call: BEGIN IMMEDIATE on its own, a savepoint inside a
// Transaction scope, so a failing call undoes only itself.
class SettingsStore::WriteScope {
public:
    explicit WriteScope(SettingsStore& store) : store_(store) {
        nested_ = store.transactionDepth_ > 0;
        begun_ = store.Exec(nested_ ? "SAVEPOINT w" : "BEGIN IMMEDIATE");
    }
    ~WriteScope() {
        if (!begun_ || done_) return;
        const std::uint32_t error = GetLastError();
        if (nested_) {
            sqlite3_exec(store_.db_, "ROLLBACK TO w; RELEASE w", nullptr, nullptr, nullptr);
        } else {
            sqlite3_exec(store_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        SetLastError(error);
    }
    bool Begun() const { return begun_; }
    bool Commit() {
        done_ = store_.Exec(nested_ ? "RELEASE w" : "COMMIT");
        return done_;
    }

private:
    SettingsStore& store_;
    bool nested_ = false;
    bool begun_ = false;
    bool done_ = false;
};

SettingsStore::SettingsStore(sqlite3* db, bool readOnly) : db_(db), readOnly_(readOnly) {}

SettingsStore::~SettingsStore() { sqlite3_close_v2(db_); }

bool SettingsStore::Fail(int sqliteCode) {
    using namespace win32;
    std::uint32_t code;
    switch (sqliteCode & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            code = ERROR_BUSY;
            break;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            code = ERROR_ACCESS_DENIED;
            break;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            code = ERROR_BADDB;
            break;
        case SQLITE_FULL:
            code = ERROR_DISK_FULL;
            break;
        case SQLITE_NOMEM:
            code = ERROR_NOT_ENOUGH_MEMORY;
            break;
        case SQLITE_TOOBIG:
        case SQLITE_CONSTRAINT:
        case SQLITE_RANGE:
            code = ERROR_INVALID_PARAMETER;
            break;
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN: {
            const int err = sqlite3_system_errno(db_);
            code = err != 0 ? Win32FromErrno(err) : ERROR_IO_DEVICE;
            break;
        }
        default:
            code = ERROR_GEN_FAILURE_FIXED;
            break;
    }
    SetLastError(code);
    return false;
}

bool SettingsStore::Exec(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK || Fail(rc);
}

std::int64_t SettingsStore::FindChild(std::int64_t parent, std::u16string_view name) {
    Statement s(db_, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
    s.Bind(1, parent).Bind(2, FoldBytes(name));
    if (s.Step()) return s.Int(0);
    if (!s.Ok()) {
        Fail(s.Code());
        return -1;
    }
    return 0;
}

bool SettingsStore::CheckKey(std::int64_t id) {
    Statement s(db_, "SELECT 1 FROM keys WHERE id = ?1");
    s.Bind(1, id);
    if (s.Step()) return true;
    if (!s.Ok()) return Fail(s.Code());
    SetLastError(win32::ERROR_KEY_DELETED);
    return false;
}

bool SettingsStore::Walk(std::int64_t parent, std::u16string_view path, bool create, std::int64_t& id, bool* created) {
    std::vector<std::u16string_view> parts;
    if (!SplitPath(path, parts)) return InvalidParameter();
    if (!CheckKey(parent)) return false;
    bool made = false;
    id = parent;
    for (const std::u16string_view part : parts) {
        const std::int64_t child = FindChild(id, part);
        if (child < 0) return false;
        if (child > 0) {
            id = child;
            made = false;
            continue;
        }
        if (!create) {
            SetLastError(readOnly_ ? win32::ERROR_ACCESS_DENIED : win32::ERROR_FILE_NOT_FOUND);
            return false;
        }
        const std::string name = EncodeUtf16Le(part);
        Statement s(db_, "INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)");
        s.Bind(1, id).Bind(2, name).Bind(3, FoldBytes(part));
        s.Step();
        if (!s.Ok()) return Fail(s.Code());
        id = sqlite3_last_insert_rowid(db_);
        made = true;
    }
    if (created) *created = made;
    return true;
}

bool SettingsStore::CreateKey(const SettingsKey& parent, std::u16string_view path, SettingsKey& out, bool* created) {
    std::lock_guard lock(mutex_);
    std::int64_t id = 0;
    bool made = false;
    if (readOnly_) {
        // Nothing can be made; an existing key is still opened.
        if (!Walk(parent.id_, path, false, id, &made)) return false;
    } else {
        WriteScope scope(*this);
        if (!scope.Begun() || !Walk(parent.id_, path, true, id, &made) || !scope.Commit()) return false;
    }
    out = SettingsKey(id);
    if (created) *created = made;
    return true;
}

bool SettingsStore::OpenKey(const SettingsKey& parent, std::u16string_view path, SettingsKey& out) {
    std::lock_guard lock(mutex_);
    std::int64_t id = 0;
    std::vector<std::u16string_view> parts;
    if (!SplitPath(path, parts)) return InvalidParameter();
    if (!CheckKey(parent.id_)) return false;
    id = parent.id_;
    for (const std::u16string_view part : parts) {
        const std::int64_t child = FindChild(id, part);
        if (child < 0) return false;
        if (child == 0) {
            SetLastError(win32::ERROR_FILE_NOT_FOUND);
            return false;
        }
        id = child;
    }
    out = SettingsKey(id);
    return true;
}

bool SettingsStore::EnumKey(const SettingsKey& key, std::uint32_t index, CString& name) {
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT name FROM keys WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2");
    s.Bind(1, key.id_).Bind(2, index);
    if (s.Step()) {
        name = FromLittleEndian(s.Blob(0), s.Size(0));
        return true;
    }
    if (!s.Ok()) return Fail(s.Code());
    if (!CheckKey(key.id_)) return false;
    SetLastError(win32::ERROR_NO_MORE_ITEMS);
    return false;
}

bool SettingsStore::EnumValue(const SettingsKey& key, std::uint32_t index, CString& name, SettingsValue* value) {
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2");
    s.Bind(1, key.id_).Bind(2, index);
    if (s.Step()) {
        name = FromLittleEndian(s.Blob(0), s.Size(0));
        if (value) {
            value->type = static_cast<std::uint32_t>(s.Int(1));
            const auto* data = static_cast<const std::uint8_t*>(s.Blob(2));
            value->data.assign(data, data + s.Size(2));
        }
        return true;
    }
    if (!s.Ok()) return Fail(s.Code());
    if (!CheckKey(key.id_)) return false;
    SetLastError(win32::ERROR_NO_MORE_ITEMS);
    return false;
}

bool SettingsStore::QueryValue(const SettingsKey& key, std::u16string_view name, SettingsValue& value) {
    if (name.size() > kSettingsValueNameMax) return InvalidParameter();
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
    s.Bind(1, key.id_).Bind(2, FoldBytes(name));
    if (s.Step()) {
        value.type = static_cast<std::uint32_t>(s.Int(0));
        const auto* data = static_cast<const std::uint8_t*>(s.Blob(1));
        value.data.assign(data, data + s.Size(1));
        return true;
    }
    if (!s.Ok()) return Fail(s.Code());
    if (!CheckKey(key.id_)) return false;
    SetLastError(win32::ERROR_FILE_NOT_FOUND);
    return false;
}

bool SettingsStore::SetValue(const SettingsKey& key, std::u16string_view name, std::uint32_t type, const void* data,
                             std::size_t size) {
    if (name.size() > kSettingsValueNameMax || size > kSettingsDataMax || (size > 0 && !data)) {
        return InvalidParameter();
    }
    std::lock_guard lock(mutex_);
    if (readOnly_) return Fail(SQLITE_READONLY);
    WriteScope scope(*this);
    if (!scope.Begun() || !CheckKey(key.id_)) return false;
    Statement s(db_,
                "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    s.Bind(1, key.id_).Bind(2, EncodeUtf16Le(name)).Bind(3, FoldBytes(name)).Bind(4, type).Bind(5, data, size);
    s.Step();
    if (!s.Ok()) return Fail(s.Code());
    return scope.Commit();
}

bool SettingsStore::DeleteValue(const SettingsKey& key, std::u16string_view name) {
    if (name.size() > kSettingsValueNameMax) return InvalidParameter();
    std::lock_guard lock(mutex_);
    if (readOnly_) return Fail(SQLITE_READONLY);
    WriteScope scope(*this);
    if (!scope.Begun() || !CheckKey(key.id_)) return false;
    Statement s(db_, "DELETE FROM vals WHERE key = ?1 AND fold = ?2");
    s.Bind(1, key.id_).Bind(2, FoldBytes(name));
    s.Step();
    if (!s.Ok()) return Fail(s.Code());
    if (sqlite3_changes(db_) == 0) {
        SetLastError(win32::ERROR_FILE_NOT_FOUND);
        return false;
    }
    return scope.Commit();
}

bool SettingsStore::DeleteKeyTree(const SettingsKey& parent, std::u16string_view path) {
    if (path.empty()) return InvalidParameter();
    std::lock_guard lock(mutex_);
    if (readOnly_) return Fail(SQLITE_READONLY);
    WriteScope scope(*this);
    std::int64_t id = 0;
    if (!scope.Begun() || !Walk(parent.id_, path, false, id, nullptr)) return false;
    // The subtree by a recursive query: no recursion here, so no depth of keys can
    // exhaust the stack.
    static constexpr const char* kSubtree =
        "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN sub ON keys.parent = sub.id) ";
    for (const char* tail :
         {"DELETE FROM vals WHERE key IN (SELECT id FROM sub)", "DELETE FROM keys WHERE id IN (SELECT id FROM sub)"}) {
        Statement s(db_, (std::string(kSubtree) + tail).c_str());
        s.Bind(1, id);
        s.Step();
        if (!s.Ok()) return Fail(s.Code());
    }
    return scope.Commit();
}

SettingsStore::Transaction::Transaction(SettingsStore& store) : store_(store), lock_(store.mutex_) {
    if (store.readOnly_) {
        store.Fail(SQLITE_READONLY);
        return;
    }
    depth_ = store.transactionDepth_ + 1;
    const std::string sql = depth_ == 1 ? std::string("BEGIN IMMEDIATE") : "SAVEPOINT t" + std::to_string(depth_);
    active_ = store.Exec(sql.c_str());
    if (active_) store.transactionDepth_ = depth_;
}

SettingsStore::Transaction::~Transaction() {
    if (!active_) return;
    const std::uint32_t error = GetLastError();
    const std::string sql = depth_ == 1
                                ? std::string("ROLLBACK")
                                : "ROLLBACK TO t" + std::to_string(depth_) + "; RELEASE t" + std::to_string(depth_);
    sqlite3_exec(store_.db_, sql.c_str(), nullptr, nullptr, nullptr);
    store_.transactionDepth_ = depth_ - 1;
    SetLastError(error);
}

bool SettingsStore::Transaction::Commit() {
    if (!active_) return false;
    const std::string sql = depth_ == 1 ? std::string("COMMIT") : "RELEASE t" + std::to_string(depth_);
    const int rc = sqlite3_exec(store_.db_, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        active_ = false;
        store_.transactionDepth_ = depth_ - 1;
        return true;
    }
    // A commit that failed leaves the transaction open or already undone; the destructor
    // undoes what remains, so nothing of the scope is kept.
    store_.Fail(rc);
    if (depth_ == 1 && sqlite3_get_autocommit(store_.db_)) {
        active_ = false;
        store_.transactionDepth_ = 0;
    }
    return false;
}

}  // namespace plat
