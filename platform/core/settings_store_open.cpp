// Opening the settings store: where its file is, making it, and what is done with a file
// that cannot be used as it is.
//
// A file that is not a database of ours (garbage, a truncated or otherwise damaged
// database, tables of another program) cannot be repaired here and must not stop the
// program: it is moved aside under a name that tells when (the user's bytes are kept for
// whoever wants to look at them) and a fresh store is made. A file written by a newer
// version is read but never written, so that going back to an older version loses
// nothing. A file that another program keeps locked is left alone. In every case where
// no file can be used the program still gets a store, in memory, and the status says that
// this session's settings are not kept.
//
// Several programs may open one store at the same moment (two started together, each
// finding no file). Two things keep them from harming each other:
// - The steps that make, convert or move the file (making it, writing the schema,
//   switching to the write-ahead log, moving a damaged file aside) run while the program
//   holds an exclusive lock on the store's folder, so they are taken one program after the
//   other: a file another program is still making is never examined half-made, and of two
//   programs that find one damaged file only the first moves it; the second finds the
//   fresh store the first made. Without it, two programs switching one new file to the
//   write-ahead log at once could fail at once: the switch reads the file and then writes
//   it, and SQLite answers a write that waits for another reader with "busy" without
//   waiting (it could deadlock), whatever the busy timeout. The lock is advisory (only our
//   programs take it) and released when Open returns; where the folder cannot be locked
//   (a file system without locks) Open goes on without it.
// - The look at the file reads in one read transaction, so it sees the file either before
//   or after another program's change, never a schema version from before and tables
//   from after.
#include <fcntl.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/settings_store.h"
#include "platform/core/win_error.h"

namespace plat {

struct SettingsStoreOpener {
    static std::unique_ptr<SettingsStore> Make(sqlite3* db, bool readOnly) {
        return std::unique_ptr<SettingsStore>(new SettingsStore(db, readOnly));
    }
};

namespace {

constexpr int kSchemaVersion = 1;

constexpr const char* kSchema =
    "BEGIN IMMEDIATE;"
    "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
    " name BLOB NOT NULL, fold BLOB NOT NULL, UNIQUE(parent, fold));"
    "CREATE TABLE vals(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,"
    " name BLOB NOT NULL, fold BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, fold));"
    "CREATE INDEX vals_in_order ON vals(key, id);"
    "INSERT INTO keys(id, parent, name, fold) VALUES(1, 0, x'', x'');"
    "PRAGMA user_version = 1;"
    "COMMIT;";

// What a look at an opened file found.
enum class Probe { Good, Fresh, Newer, Damaged, Busy, Failed };

struct ProbeResult {
    Probe probe = Probe::Good;
    int code = SQLITE_OK;  // Busy, Failed: the SQLite result
    const char16_t* reason = u"";
};

bool IsDamageCode(int rc) { return (rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_CORRUPT; }

ProbeResult FromCode(int rc) {
    ProbeResult r;
    r.code = rc;
    if (IsDamageCode(rc)) {
        r.probe = Probe::Damaged;
        r.reason = (rc & 0xFF) == SQLITE_NOTADB ? u"not a database" : u"damaged database";
    } else if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED) {
        r.probe = Probe::Busy;
    } else {
        r.probe = Probe::Failed;
    }
    return r;
}

// Runs sql and collects the first column of every row as text.
int Query(sqlite3* db, const char* sql, std::vector<std::string>& rows) {
    rows.clear();
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(stmt, 0);
        rows.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

ProbeResult ProbeReads(sqlite3* db) {
    std::vector<std::string> rows;
    int rc = Query(db, "PRAGMA user_version", rows);
    if (rc != SQLITE_OK) return FromCode(rc);
    const long version = rows.empty() ? 0 : std::strtol(rows[0].c_str(), nullptr, 10);
    if ((rc = Query(db,
                    "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"
                    " ORDER BY name",
                    rows)) != SQLITE_OK) {
        return FromCode(rc);
    }
    ProbeResult r;
    if (version > kSchemaVersion) {
        r.probe = Probe::Newer;
        return r;
    }
    if (version == 0 && rows.empty()) {
        r.probe = Probe::Fresh;
        return r;
    }
    const std::vector<std::string> ours = {"keys", "vals"};
    std::vector<std::string> root;
    if (version != kSchemaVersion || rows != ours ||
        Query(db, "SELECT id FROM keys WHERE id = 1 AND parent = 0", root) != SQLITE_OK || root.size() != 1) {
        r.probe = Probe::Damaged;
        r.reason = u"unknown schema";
        return r;
    }
    if ((rc = Query(db, "PRAGMA quick_check", rows)) != SQLITE_OK) return FromCode(rc);
    if (rows.size() != 1 || rows[0] != "ok") {
        r.probe = Probe::Damaged;
        r.reason = u"integrity check failed";
    }
    return r;
}

ProbeResult ProbeFile(sqlite3* db) {
    // Only reads until the file is known to be ours: a file of another program is moved
    // aside with its bytes as they were. All reads in one snapshot of the file.
    int rc = sqlite3_exec(db, "BEGIN DEFERRED", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return FromCode(rc);
    const ProbeResult r = ProbeReads(db);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return r;
}

// The journal that lets several programs share the file; SQLITE_OK or the failure.
int UseWal(sqlite3* db) {
    std::vector<std::string> rows;
    const int rc = Query(db, "PRAGMA journal_mode = WAL", rows);
    if (rc != SQLITE_OK) return rc;
    return rows.size() == 1 && rows[0] == "wal" ? SQLITE_OK : SQLITE_CANTOPEN;
}

std::uint32_t CodeOf(sqlite3* db, int rc) {
    using namespace win32;
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ERROR_BUSY;
        case SQLITE_NOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case SQLITE_FULL:
            return ERROR_DISK_FULL;
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return ERROR_ACCESS_DENIED;
        default: {
            const int err = db ? sqlite3_system_errno(db) : 0;
            return err != 0 ? Win32FromErrno(err) : ERROR_IO_DEVICE;
        }
    }
}

// Makes every missing folder of path's directory part with mode 0700; 0 or the errno.
int MakeFolders(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos || slash == 0) return 0;
    const std::string dir = file.substr(0, slash);
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '/') continue;
        const std::string prefix = dir.substr(0, pos);
        if (::mkdir(prefix.c_str(), 0700) == 0) continue;
        if (errno != EEXIST) return errno;
        struct stat st;
        if (::stat(prefix.c_str(), &st) != 0) return errno;
        if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    }
    return 0;
}

// Makes the file empty with mode 0600 when it is missing (SQLite would make it with
// 0644, and its journal files copy the file's mode). 0 or the errno.
int MakeFile(const std::string& file) {
    int fd;
    do {
        fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        ::close(fd);
        return 0;
    }
    return errno == EEXIST ? 0 : errno;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// "<file>.damaged-<UTC time>", with a number added when such a file exists already.
std::string DamagedName(const std::string& file) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    const std::string base = file + ".damaged-" + stamp;
    std::string name = base;
    for (int n = 2; Exists(name) && n < 1000; ++n) name = base + "-" + std::to_string(n);
    return name;
}

// Moves the file and its -wal and -shm files aside; false with errno when the file
// itself cannot be moved.
bool MoveAside(const std::string& file, std::string& movedTo) {
    movedTo = DamagedName(file);
    if (::rename(file.c_str(), movedTo.c_str()) != 0) return false;
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::string from = file + suffix;
        if (Exists(from)) ::rename(from.c_str(), (movedTo + suffix).c_str());
    }
    return true;
}

sqlite3* OpenConnection(const std::string& file, bool readOnly, int busyTimeoutMs, int& rc) {
    sqlite3* db = nullptr;
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    rc = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, busyTimeoutMs);
        // Each commit on the disk before the call returns.
        rc = sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    }
    return db;
}

// The exclusive lock on the store's folder held while Open makes and examines the file.
class OpenLock {
public:
    // False when another program held the lock for all of timeoutMs; true when it is held,
    // and also when the folder cannot be locked at all (then without it).
    bool Acquire(const std::string& file, int timeoutMs) {
        const std::size_t slash = file.rfind('/');
        const std::string dir = slash == 0 ? "/" : file.substr(0, slash);
        fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) return true;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK) return true;
            if (std::chrono::steady_clock::now() >= until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    OpenLock() = default;
    OpenLock(const OpenLock&) = delete;
    OpenLock& operator=(const OpenLock&) = delete;
    // Closing the folder's descriptor releases the lock (and touches no lock SQLite holds
    // on the file).
    ~OpenLock() {
        if (fd_ >= 0) ::close(fd_);
    }

private:
    int fd_ = -1;
};

CString HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home == '/') return CString::FromUtf8(home);
    std::vector<char> buffer(16384);
    struct passwd pw;
    struct passwd* found = nullptr;
    if (getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/') {
        return CString::FromUtf8(found->pw_dir);
    }
    return {};
}

}  // namespace

CString SettingsStore::DefaultPath() {
    if (const char* own = std::getenv("WENDELKAST_REGISTRY"); own && *own) {
        if (*own == '/') return CString::FromUtf8(own);
        std::vector<char> cwd(4096);
        if (::getcwd(cwd.data(), cwd.size())) return CString::FromUtf8(std::string(cwd.data()) + "/" + own);
        return {};
    }
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        return CString::FromUtf8(std::string(xdg) + "/Quillon/registry.db");
    }
    const CString home = HomeDirectory();
    if (home.IsEmpty()) return {};
    return home + u"/.config/Quillon/registry.db";
}

std::unique_ptr<SettingsStore> SettingsStore::OpenInMemory() {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
        // Only memory can be short here; a store without its schema fails every call.
        SetLastError(win32::ERROR_NOT_ENOUGH_MEMORY);
    }
    return SettingsStoreOpener::Make(db, false);
}

std::unique_ptr<SettingsStore> SettingsStore::Open(const CString& path, SettingsOpenStatus& status,
                                                   const SettingsOpenOptions& options) {
    status = SettingsOpenStatus();
    status.path = path;
    auto inMemory = [&](SettingsOpenStatus::Kind kind, std::uint32_t error) {
        status.kind = kind;
        status.error = error;
        return OpenInMemory();
    };
    const std::string file = path.ToUtf8();
    if (file.empty() || file[0] != '/') return inMemory(SettingsOpenStatus::NotKept, win32::ERROR_PATH_NOT_FOUND);

    if (const int err = MakeFolders(file)) return inMemory(SettingsOpenStatus::NotKept, Win32FromErrno(err));
    OpenLock lock;
    if (!lock.Acquire(file, options.busyTimeoutMs)) return inMemory(SettingsOpenStatus::Busy, win32::ERROR_BUSY);

    // A second round only after a damaged file was moved aside.
    for (int round = 0; round < 2; ++round) {
        if (const int err = MakeFile(file)) return inMemory(SettingsOpenStatus::NotKept, Win32FromErrno(err));

        int rc = SQLITE_OK;
        sqlite3* db = OpenConnection(file, false, options.busyTimeoutMs, rc);
        bool readOnly = rc == SQLITE_OK && sqlite3_db_readonly(db, "main") == 1;
        ProbeResult probe = rc == SQLITE_OK ? ProbeFile(db) : FromCode(rc);
        if (probe.probe == Probe::Fresh && readOnly) {
            // An empty file that cannot be written cannot become a store.
            probe.probe = Probe::Failed;
            probe.code = SQLITE_READONLY;
        }
        if ((probe.probe == Probe::Fresh || probe.probe == Probe::Good) && !readOnly) {
            if ((rc = UseWal(db)) != SQLITE_OK) probe = FromCode(rc);
        }
        if (probe.probe == Probe::Fresh) {
            rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK) {
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
                // Another program may have made the schema meanwhile: look again.
                probe = ProbeFile(db);
                if (probe.probe == Probe::Fresh) probe = FromCode(rc);
            } else {
                status.kind = SettingsOpenStatus::Created;
                probe.probe = Probe::Good;
            }
        }
        switch (probe.probe) {
            case Probe::Good:
                if (readOnly) status.kind = SettingsOpenStatus::ReadOnly;
                if (round > 0) status.kind = SettingsOpenStatus::Damaged;
                return SettingsStoreOpener::Make(db, readOnly);
            case Probe::Newer: {
                sqlite3_close_v2(db);
                db = OpenConnection(file, true, options.busyTimeoutMs, rc);
                if (rc != SQLITE_OK) {
                    const std::uint32_t error = CodeOf(db, rc);
                    sqlite3_close_v2(db);
                    return inMemory(SettingsOpenStatus::NotKept, error);
                }
                status.kind = SettingsOpenStatus::NewerSchema;
                return SettingsStoreOpener::Make(db, true);
            }
            case Probe::Busy:
                sqlite3_close_v2(db);
                return inMemory(SettingsOpenStatus::Busy, win32::ERROR_BUSY);
            case Probe::Failed: {
                const std::uint32_t error = CodeOf(db, probe.code);
                sqlite3_close_v2(db);
                return inMemory(SettingsOpenStatus::NotKept, error);
            }
            case Probe::Damaged:
            case Probe::Fresh:
                break;
        }
        sqlite3_close_v2(db);
        if (round > 0) break;
        std::string movedTo;
        if (!MoveAside(file, movedTo)) return inMemory(SettingsOpenStatus::NotKept, Win32FromErrno(errno));
        status.movedTo = CString::FromUtf8(movedTo);
        status.reason = probe.reason;
    }
    // A fresh file that is damaged at once: nothing here can be trusted.
    return inMemory(SettingsOpenStatus::NotKept, win32::ERROR_BADDB);
}

}  // namespace plat
