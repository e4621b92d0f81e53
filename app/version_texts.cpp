#include "app/version_texts.h"

#include "platform/core/system_info.h"

CString GetOSVersionText() {
    plat::OsVersion v;
    plat::GetOsVersion(v);
    return CString::Format(u"MajorVersion: %i\nMinorVersion: %i\nBuildNumber: %i\nPlatformId: %i\nCSDVersion: %s\n",
                           v.major, v.minor, v.build, 0, v.name);
}

int GetShell32MajorVersion() { return 6; }
