#pragma once
// The launcher: what the program hands to the desktop. "Open with the desktop" gives a link
// (a URL such as "https://..." or "mailto:...") or an absolute path to the desktop's handler
// for it, whole, as one argument: no command line is built and no shell runs.
//
// Results, numbered as the Windows design's callers read them: above 32 success; 2 the file
// or folder does not exist (also for an empty or malformed target); 31 nothing handles the
// target; 0 the handler could not be started for lack of resources.
//
// The program's launcher is the desktop one; tests install a recording one
// (testing/recording_launcher.h) the same way as a prompt runner, so no test opens anything.
// User-interface thread only.
#include "platform/core/cstring.h"

namespace gui {

inline constexpr int kLaunchNotFound = 2;
inline constexpr int kLaunchNoHandler = 31;
inline constexpr int kLaunchNoResources = 0;
inline constexpr int kLaunchDone = 42;

constexpr bool LaunchSucceeded(int result) { return result > 32; }

class Launcher {
public:
    virtual ~Launcher() = default;
    virtual int OpenWithDesktop(const CString& target) = 0;
};

// Over QDesktopServices: a path (or a file: URL) must exist; any other target must be a valid
// URL with a scheme.
class DesktopLauncher final : public Launcher {
public:
    int OpenWithDesktop(const CString& target) override;
};

// The installed launcher; the desktop one until another is installed.
Launcher& CurrentLauncher();

// Installs a launcher for the scope's life and puts the previous one back afterwards. The
// launcher is not owned and must outlive the scope.
class ScopedLauncher {
public:
    explicit ScopedLauncher(Launcher& launcher);
    ~ScopedLauncher();
    ScopedLauncher(const ScopedLauncher&) = delete;
    ScopedLauncher& operator=(const ScopedLauncher&) = delete;

private:
    Launcher* previous_;
};

}  // namespace gui
