#include "tools/engine-run/engine_run.h"

#include <atomic>
#include <cstdlib>
#include <memory>

#include "engine/core_preferences.h"
#include "engine/error_info.h"
#include "engine/format/binary_stream.h"
#include "engine/format/signed_stream.h"
#include "engine/log/log_format.h"
#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "engine/tree/action_codes.h"
#include "engine/tree/fs_tree.h"
#include "engine/watcher.h"
#include "platform/core/file_system.h"
#include "platform/core/process_control.h"
#include "platform/core/text_convert.h"
#include "platform/core/win_error.h"
#include "tools/engine-run/output_text.h"

namespace engine_run {
namespace {

// The version words the profile document writes for program version 8.0.0.0.
constexpr std::uint32_t kFormatVersion = 3, kMajor = 8, kMinorBuild = 0, kRevision = 0;

const char* const kPreferenceNames[] = {
    "TestPatternCount",    "AutoRetryDelayOnError",   "IgnoreArchiveBit",       "IgnoreInaccessibleDirs",
    "CopyBufferSize",      "CopyTraditional",         "PrecisionTimeStampComp", "PrecisionEntryPairComp",
};

class ToolPreferences : public Core::Preferences {
public:
    int values[8] = {};
    int GetTestPatternCount() const override { return values[0]; }
    int GetAutoRetryDelayOnError() const override { return values[1]; }
    bool GetIgnoreArchiveBit() const override { return values[2] != 0; }
    bool GetIgnoreInaccessibleDirs() const override { return values[3] != 0; }
    int GetCopyBufferSize() const override { return values[4]; }
    bool GetCopyTraditional() const override { return values[5] != 0; }
    int GetPrecisionTimeStampComp() const override { return values[6]; }
    int GetPrecisionEntryPairComp() const override { return values[7]; }
};

struct Options {
    std::string command;
    std::vector<std::string> positional;
    bool contents = false;
    bool ambiguousBest = false;
    bool ignoreErrors = false;
    bool compensateDst = false;
    bool stats = false;
    ToolPreferences preferences;
};

// Log records as log-file lines on standard error; notes whether an error was logged.
class StderrLogView : public CLogView {
public:
    explicit StderrLogView(std::FILE* err) : err_(err) {}
    void Receive(CLogger*, const ErrorInfo& entry) override {
        if (IsErrorEntry(entry) && entry.category != ERROR_CATEGORY_CANCELLED) errorLogged = true;
        std::string line = EncodeUtf8Strict(FormatLogLine(entry, false).view());
        std::fwrite(line.data(), 1, line.size(), err_);
        std::fflush(err_);
    }
    void SetUTC(bool) override {}
    std::atomic<bool> errorLogged{false};

private:
    std::FILE* err_;
};

// A signal may come before the watcher exists (while the profile loads): it is kept as
// pending and handed to the watcher as soon as there is one.
std::atomic<Watcher*> g_watcher{nullptr};
std::atomic<bool> g_cancelPending{false};

void RequestCancelFromSignal() {
    g_cancelPending.store(true);
    if (Watcher* w = g_watcher.load()) w->RequestCancel();
}

int Answer(std::uint32_t event, std::uintptr_t value, std::uintptr_t user) {
    if (event != WATCHER_EVENT_QUESTION) return 0;
    const auto* question = reinterpret_cast<const ErrorInfo*>(value);
    if (question && question->category == ERROR_CATEGORY_CANCELLED) return WATCHER_ANSWER_YES;
    return user ? WATCHER_ANSWER_IGNORE : WATCHER_ANSWER_ABORT;
}

void Print(std::FILE* f, const std::string& s) { std::fwrite(s.data(), 1, s.size(), f); }

int Usage(std::FILE* err, const std::string& why) {
    Print(err, "engine-run: " + why + "\n"
               "usage: engine-run create PROFILE LEFT RIGHT\n"
               "       engine-run scan|sync PROFILE [--contents] [--ambiguous=keep|best] [--on-error=abort|ignore]\n"
               "                  [--dst=keep|compensate] [--set NAME=VALUE] [--stats]\n"
               "       engine-run dump PROFILE\n");
    return kExitUsage;
}

bool ParseNumber(const std::string& text, int& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (*end != 0 || v < 0 || v > 0x7FFFFFFF) return false;
    out = int(v);
    return true;
}

// Returns an empty text on success, else the reason.
std::string Parse(const std::vector<std::string>& args, Options& o) {
    if (args.empty()) return "no command";
    o.command = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--contents") o.contents = true;
        else if (a == "--stats") o.stats = true;
        else if (a == "--ambiguous=keep") o.ambiguousBest = false;
        else if (a == "--ambiguous=best") o.ambiguousBest = true;
        else if (a == "--on-error=abort") o.ignoreErrors = false;
        else if (a == "--on-error=ignore") o.ignoreErrors = true;
        else if (a == "--dst=keep") o.compensateDst = false;
        else if (a == "--dst=compensate") o.compensateDst = true;
        else if (a == "--set" || a.rfind("--set=", 0) == 0) {
            std::string kv;
            if (a == "--set") {
                if (++i >= args.size()) return "--set needs NAME=VALUE";
                kv = args[i];
            } else {
                kv = a.substr(6);
            }
            auto eq = kv.find('=');
            if (eq == std::string::npos) return "--set needs NAME=VALUE";
            std::string name = kv.substr(0, eq);
            int slot = -1;
            for (int k = 0; k < 8; ++k)
                if (name == kPreferenceNames[k]) slot = k;
            if (slot < 0) return "unknown preference " + name;
            int v = 0;
            if (!ParseNumber(kv.substr(eq + 1), v)) return "bad value for " + name;
            if ((slot == 2 || slot == 3 || slot == 5) && v > 1) return name + " takes 0 or 1";
            o.preferences.values[slot] = v;
        } else if (a.rfind("--", 0) == 0) {
            return "unknown option " + a;
        } else {
            o.positional.push_back(a);
        }
    }
    const std::size_t want = o.command == "create" ? 3 : 1;
    if (o.command != "create" && o.command != "scan" && o.command != "sync" && o.command != "dump")
        return "unknown command " + o.command;
    if (o.positional.size() != want) return "wrong number of arguments for " + o.command;
    return {};
}

class Tool {
public:
    Tool(Options& o, std::FILE* out, std::FILE* err) : o_(o), out_(out), err_(err), view_(err), db_(&logger_) {
        logger_.AddView(&view_);
        db_.SetPreferences(&o_.preferences);
        profile_ = FullPath(o_.positional[0]);
    }
    ~Tool() { logger_.RemoveView(&view_); }

    int Create() {
        plat::FileSystem& fs = db_.GetFileSystem();
        if (fs.GetFileAttributes(profile_) != plat::INVALID_FILE_ATTRIBUTES) {
            Print(err_, "engine-run: the profile " + o_.positional[0] + " exists already\n");
            return kExitProfile;
        }
        ErrorInfo error;
        if (db_.Create(FullPath(o_.positional[1]), FullPath(o_.positional[2]), error) != 0)
            return kExitProfile;
        return Save() ? kExitFinished : kExitProfile;
    }

    int Dump() {
        if (!Load()) return kExitProfile;
        for (FSTreeNode* node : FSTree::Subtree(db_.GetRoot())) {
            // A loaded tree carries no paths yet (the scan sets them); the dump shows them.
            if (node->record.GetPath().IsEmpty()) node->record.SetPath(FSTree::GetNodePath(node).view());
            std::string block = EncodeUtf8Lossless(node->record.Dump().view());
            Print(out_, block);
        }
        return kExitFinished;
    }

    int ScanOrSync(bool sync) {
        plat::OnTerminationSignal(&RequestCancelFromSignal);
        if (!Load()) return kExitProfile;
        if (g_cancelPending.load()) return kExitCancelled;
        Watcher watcher;
        watcher.SetCallback(&Answer, o_.ignoreErrors ? 1 : 0);
        g_watcher.store(&watcher);
        if (g_cancelPending.load()) watcher.RequestCancel();
        struct Unhook {
            ~Unhook() { g_watcher.store(nullptr); }
        } unhook;

        double t = plat::MonotonicSeconds();
        std::uint32_t scan = db_.Scan(&proxy_, &watcher, o_.contents);
        Phase("scan", t);
        if (scan == 1) {
            Stats();
            return kExitCancelled;
        }
        if (o_.compensateDst && db_.IsDstShiftDetected()) {
            db_.CompensateDstShift();
            proxy_.Build(db_, &db_.leftRoot, &db_.rightRoot, &db_.blobStore);
        }
        const bool scanErrors = view_.errorLogged.load();
        if (!sync) {
            PrintPlan();
            Stats();
            return scanErrors ? kExitErrors : kExitFinished;
        }
        if (o_.ambiguousBest && HasAmbiguous()) {
            proxy_.MarkAll(true);
            db_.BestChoice(proxy_, /*keepUnrecorded=*/true);
        }
        t = plat::MonotonicSeconds();
        RunResult result = db_.Execute(proxy_, watcher);
        Phase("execute", t);
        const bool saved = Save();
        PrintPlan();
        Stats();
        if (!saved) return kExitProfile;
        if (result == 1) return kExitCancelled;
        if (result == 2 || scanErrors) return kExitErrors;
        return kExitFinished;
    }

private:
    // Paths from the command line may be relative; the file system takes absolute ones.
    CString FullPath(const std::string& arg) {
        CString path = CString::FromUtf8(arg), full;
        return db_.GetFileSystem().GetFullPathName(path, full) ? full : path;
    }

    bool Load() {
        double t = plat::MonotonicSeconds();
        ErrorInfo error;
        FileReader reader(db_.GetFileSystem(), profile_);
        if (!CheckSignature(reader, &error)) {
            error.SetText(profile_);
            logger_.LogRecord(error);
            return false;
        }
        if (!db_.Load(reader, nullptr, nullptr, nullptr, nullptr, error)) return false;
        // Temporary files of earlier saves of this profile that were cut short.
        RemoveSaveLeftovers(db_.GetFileSystem(), profile_, &logger_);
        Phase("load", t);
        return true;
    }

    bool Save() {
        double t = plat::MonotonicSeconds();
        ErrorInfo error;
        SignedOFStream stream(db_.GetFileSystem());
        stream.SetLogger(&logger_);
        if (!stream.open(profile_)) {
            error.Set(ERROR_CATEGORY_SYSTEM, GetLastError(), 0, profile_);
            logger_.LogRecord(error);
            return false;
        }
        if (!db_.Save(stream, kFormatVersion, kMajor, kMinorBuild, kRevision, error)) return false;
        if (!stream.close()) {
            error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_READ_WRITE, 0, profile_);
            logger_.LogRecord(error);
            return false;
        }
        Phase("save", t);
        return true;
    }

    bool HasAmbiguous() const {
        for (const ProxyEntry& e : proxy_.Entries())
            if (e.node && e.node->record.AC == AMBIGUOUS) return true;
        return false;
    }

    void PrintPlan() {
        std::string text;
        for (const ProxyEntry& e : proxy_.Entries()) {
            if (!e.node) continue;
            const CSyncRecord& r = e.node->record;
            text += EncodeUtf8Strict(ActionCodeName(r.AC));
            text += '\t';
            text += EncodeUtf8Strict(SyncStatusName(r.ST));
            text += '\t';
            text += EscapeForOutput(r.GetPath().view());
            text += '\n';
            if (text.size() > (1 << 16)) {
                Print(out_, text);
                text.clear();
            }
        }
        Print(out_, text);
        std::fflush(out_);
    }

    void Phase(const char* name, double start) {
        if (!o_.stats) return;
        char line[96];
        std::snprintf(line, sizeof line, "phase %s %.3f s\n", name, plat::MonotonicSeconds() - start);
        Print(err_, line);
    }

    void Stats() {
        if (!o_.stats) return;
        char line[96];
        std::snprintf(line, sizeof line, "peak resident %llu bytes, %u entries\n",
                      static_cast<unsigned long long>(plat::PeakResidentBytes()), proxy_.GetCount());
        Print(err_, line);
    }

    Options& o_;
    std::FILE* out_;
    std::FILE* err_;
    StderrLogView view_;
    CLogger logger_;
    CSyncDataBase db_;
    Proxy proxy_;
    CString profile_;
};

}  // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, bool endOfProcess) {
    Options o;
    std::string why = Parse(args, o);
    if (!why.empty()) return Usage(err, why);
    auto tool = std::make_unique<Tool>(o, out, err);
    int rc;
    if (o.command == "create") rc = tool->Create();
    else if (o.command == "dump") rc = tool->Dump();
    else rc = tool->ScanOrSync(o.command == "sync");
    if (endOfProcess) tool.release();  // the process ends now; its memory goes with it
    return rc;
}

}  // namespace engine_run
