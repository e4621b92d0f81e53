#pragma once
// Version texts of the program and the system for the about box and error reports.
// Thread-safe; nothing throws except std::bad_alloc.
#include "platform/core/cstring.h"

// "MajorVersion: %i\nMinorVersion: %i\nBuildNumber: %i\nPlatformId: %i\nCSDVersion: %s\n"
// from the kernel: the first three numbers of its release, platform 0 (no Windows
// platform) and its name, release and version; all zero and empty when unknown.
CString GetOSVersionText();
// The shell level whose features the main frame's tray icon may use: 6 (balloon tips
// with a timeout and the newer notification messages are available here).
int GetShell32MajorVersion();
