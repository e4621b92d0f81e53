#include "platform/core/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include "platform/core/win_error.h"

extern char** environ;

namespace plat {
namespace {

// posix_spawn's file actions, released however Start leaves.
struct FileActions {
    posix_spawn_file_actions_t actions;
    FileActions() { posix_spawn_file_actions_init(&actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
};

int Redirect(FileActions& fa, int fd, const std::string& path) {
    const char* target = path.empty() ? "/dev/null" : path.c_str();
    const int flags = fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
    return posix_spawn_file_actions_addopen(&fa.actions, fd, target, flags, 0644);
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                                                  const std::string& stdoutPath, const std::string& stderrPath) {
    FileActions fa;
    int rc = Redirect(fa, 0, {});
    if (rc == 0) rc = Redirect(fa, 1, stdoutPath);
    if (rc == 0) rc = Redirect(fa, 2, stderrPath);
    if (rc != 0) {
        SetLastError(Win32FromErrno(rc));
        return nullptr;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    rc = posix_spawn(&pid, program.c_str(), &fa.actions, nullptr, argv.data(), environ);
    if (rc != 0) {
        SetLastError(Win32FromErrno(rc));
        return nullptr;
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid));
}

ChildProcess::~ChildProcess() {
    if (reaped_) return;
    ::kill(pid_, SIGKILL);
    ChildExit ignored;
    Reap(true, ignored);
}

bool ChildProcess::Signal(int signal) {
    if (reaped_) {
        SetLastError(Win32FromErrno(ESRCH));
        return false;
    }
    if (::kill(pid_, signal) != 0) {
        SetLastError(Win32FromErrno(errno));
        return false;
    }
    return true;
}

bool ChildProcess::Wait(ChildExit& out) { return Reap(true, out); }

bool ChildProcess::HasEnded(ChildExit& out) { return Reap(false, out); }

bool ChildProcess::Reap(bool block, ChildExit& out) {
    if (!reaped_) {
        int status = 0;
        pid_t r;
        do {
            r = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
        } while (r < 0 && errno == EINTR);
        if (r < 0) {
            SetLastError(Win32FromErrno(errno));
            return false;
        }
        if (r == 0) return false;  // still running (only without blocking)
        reaped_ = true;
        exit_.exited = WIFEXITED(status);
        exit_.code = exit_.exited ? WEXITSTATUS(status) : 0;
        exit_.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    out = exit_;
    return true;
}

}  // namespace plat
