#pragma once
// Child processes for tests and tools: start a program with arguments, send it a signal,
// wait for its end. Used by the tests that drive the command-line tools and by the
// crash-safety test that kills a running synchronisation.
//
// Arguments and paths are bytes as the kernel takes them (UTF-8 for the system's text).
// Error contract: Start returns null and sets the calling thread's last error to a Win32
// code when the program cannot be started; Signal and Wait return false with the last
// error set on failure. Nothing throws except std::bad_alloc.
//
// Ownership: a ChildProcess that is destroyed before it was waited for kills the child
// (SIGKILL) and waits for it, so no test leaves a process or a zombie behind.
// Threads: one thread uses one ChildProcess at a time.
#include <memory>
#include <string>
#include <vector>

namespace plat {

// How a child ended.
struct ChildExit {
    bool exited = false;  // returned from main or called exit: code is valid
    int code = 0;         // exit code when exited
    int signal = 0;       // the signal that ended it when not exited
};

class ChildProcess {
public:
    static constexpr int kKill = 9;        // SIGKILL
    static constexpr int kTerminate = 15;  // SIGTERM

    // Starts program (a path; not looked up in PATH) with args (without the program
    // name, which becomes argv[0]) in the current environment. Standard output and
    // standard error go to the files named (created or truncated, mode 0644); an empty
    // name sends the stream to /dev/null. Standard input is /dev/null.
    static std::unique_ptr<ChildProcess> Start(const std::string& program, const std::vector<std::string>& args,
                                               const std::string& stdoutPath = {}, const std::string& stderrPath = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Sends signal (kKill, kTerminate, ...) unless the child has been waited for.
    bool Signal(int signal);
    // Blocks until the child ends; a second call returns the same result.
    bool Wait(ChildExit& out);
    // Whether the child has ended, without blocking; fills out when it has.
    bool HasEnded(ChildExit& out);

private:
    explicit ChildProcess(int pid) : pid_(pid) {}
    bool Reap(bool block, ChildExit& out);

    int pid_;
    bool reaped_ = false;
    ChildExit exit_;
};

}  // namespace plat
