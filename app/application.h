#pragma once
// The application object, as far as the windows built so far read it: the AutoSync-running
// flag, the unattended run's answer to errors ("AutoSyncOnError"), the settings the windows
// keep their placement in, and the notification-area functions, which reach the main frame
// through a CTrayHost that the main frame (tests: a plain window) installs.
//
// Tray tips are keyed: every window that wants its caption as the tip sets it under its own
// key and removes it (an empty text) when it goes; the tip shown is the one set last of those
// still set, the application's title when none is.
//
// Threads: user-interface thread only.
#include <cstdint>
#include <utility>
#include <vector>
#include "platform/core/cstring.h"

class RegistryProfile;

class CTrayHost {
public:
    virtual ~CTrayHost() = default;
    // Hides the main window to the notification area.
    virtual void HideToTray() = 0;
    virtual bool IsInTray() const = 0;
    // Shows the main window again.
    virtual void RestoreFromTray() = 0;
    // The notification icon's tip.
    virtual void ShowTrayTip(const CString& text) = 0;
};

class CApp {
public:
    bool IsAutoSyncRunning() const { return autoSyncRunning_; }
    void SetAutoSyncRunning(bool running) { autoSyncRunning_ = running; }
    // The "AutoSyncOnError" preference: 1 ignores every error of an unattended run.
    std::int32_t AutoSyncOnError() const { return autoSyncOnError_; }
    void SetAutoSyncOnError(std::int32_t value) { autoSyncOnError_ = value; }

    // The application's settings (placements); null while none is open. Not owned.
    RegistryProfile* Settings() const { return settings_; }
    void SetSettings(RegistryProfile* settings) { settings_ = settings; }

    // Not owned; null removes it. Without a host the tray functions do nothing (IsInTray: false).
    void SetTrayHost(CTrayHost* host) { tray_ = host; }
    void HideToTray();
    bool IsInTray() const;
    void RestoreFromTray();
    // Sets (empty: removes) the tip under key and shows the tip now in force.
    void SetTrayTipText(std::uintptr_t key, const CString& text);
    // The tip in force: the last one set, or the application's title.
    CString TrayTipText() const;

private:
    bool autoSyncRunning_ = false;
    std::int32_t autoSyncOnError_ = 0;
    RegistryProfile* settings_ = nullptr;
    CTrayHost* tray_ = nullptr;
    std::vector<std::pair<std::uintptr_t, CString>> tips_;  // in the order set
};

// The one application object.
CApp& GetApp();
