#include "platform/gui/launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "platform/gui/qt_convert.h"

namespace gui {

namespace {

Launcher* g_launcher = nullptr;

DesktopLauncher& Desktop() {
    static DesktopLauncher launcher;
    return launcher;
}

}  // namespace

int DesktopLauncher::OpenWithDesktop(const CString& target) {
    QString text = ToQString(target);
    if (text.isEmpty()) return kLaunchNotFound;
    QUrl url = text.startsWith(u'/') ? QUrl::fromLocalFile(text) : QUrl(text, QUrl::TolerantMode);
    if (!url.isValid() || url.scheme().isEmpty()) return kLaunchNotFound;
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return kLaunchNotFound;
    // The desktop's opener gets the URL as one argument of its own; nothing is run by a shell.
    return QDesktopServices::openUrl(url) ? kLaunchDone : kLaunchNoHandler;
}

Launcher& CurrentLauncher() { return g_launcher ? *g_launcher : Desktop(); }

ScopedLauncher::ScopedLauncher(Launcher& launcher) : previous_(g_launcher) { g_launcher = &launcher; }

ScopedLauncher::~ScopedLauncher() { g_launcher = previous_; }

}  // namespace gui
