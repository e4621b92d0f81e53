#include "controls/resizable_dialog.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/registry_profile.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/system_metrics.h"

using gui::Rect;
using gui::Size;

namespace {

constexpr char16_t kPlacementValue[] = u"WindowPlacement";
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMAXIMIZED = 3;

// A whole number in int's range and nothing else.
bool ParseInt(std::u16string_view field, int& value) {
    std::string digits;
    for (char16_t c : field) {
        if (c > 0x7F) return false;
        digits.push_back(static_cast<char>(c));
    }
    // A sign or a digit first: strtoll would skip leading white space, which we never write.
    if (digits.empty() || !(digits[0] == '-' || digits[0] == '+' || (digits[0] >= '0' && digits[0] <= '9'))) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(digits.c_str(), &end, 10);
    if (end == digits.c_str() || *end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

// --- grip

bool CResizableGrip::CreateSizeGrip() {
    if (grip_) return true;
    QWidget* window = GetResizableWnd();
    if (!window) return false;
    grip_ = new QSizeGrip(window);
    grip_->resize(gui::GetSystemMetrics(gui::SM_CXVSCROLL), gui::GetSystemMetrics(gui::SM_CYHSCROLL));
    return true;
}

void CResizableGrip::UpdateSizeGrip() {
    QWidget* window = GetResizableWnd();
    if (!grip_ || !window) return;
    grip_->move(window->width() - grip_->width(), window->height() - grip_->height());
    grip_->raise();
    grip_->setVisible(!window->isMaximized());
}

// --- limits

void CResizableMinMax::SetMinTrackSize(Size size) {
    min_ = size;
    useMin_ = true;
    if (QWidget* window = GetResizableWnd()) window->setMinimumSize(size.cx, size.cy);
}

void CResizableMinMax::SetMaxTrackSize(Size size) {
    max_ = size;
    useMax_ = true;
    if (QWidget* window = GetResizableWnd()) window->setMaximumSize(size.cx, size.cy);
}

// --- placement

bool CResizableState::ParsePlacement(std::u16string_view text, Rect& rect, int& showCommand, int& flags) {
    int v[6];
    std::size_t start = 0;
    for (int i = 0; i < 6; ++i) {
        const std::size_t comma = text.find(u',', start);
        if ((i < 5) != (comma != std::u16string_view::npos)) return false;  // exactly five commas
        const std::u16string_view field = text.substr(start, i < 5 ? comma - start : std::u16string_view::npos);
        if (!ParseInt(field, v[i])) return false;
        start = comma + 1;
    }
    rect = Rect(v[0], v[1], v[2], v[3]);
    showCommand = v[4];
    flags = v[5];
    return true;
}

bool CResizableState::LoadWindowRect(const RegistryProfile& settings, std::u16string_view section, bool rectOnly) {
    QWidget* window = GetResizableWnd();
    Rect rect;
    int show = 0, flags = 0;
    if (!window || !ParsePlacement(settings.GetProfileString(section, kPlacementValue), rect, show, flags)) return false;
    // A saved rectangle is used only when it can show the window: of positive size, at least
    // the minimum, no larger than the screen and on it (a monitor may be gone since).
    if (rect.Width() <= 0 || rect.Height() <= 0) return false;
    const Size least = MinimumRestoreSize();
    QSize size(std::max(rect.Width(), least.cx), std::max(rect.Height(), least.cy));
    size = size.boundedTo(window->maximumSize());
    QRect place(rect.left, rect.top, size.width(), size.height());
    QScreen* screen = QGuiApplication::screenAt(place.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        place.setSize(place.size().boundedTo(area.size()));
        place.moveLeft(std::clamp(place.left(), area.left(), area.right() + 1 - place.width()));
        place.moveTop(std::clamp(place.top(), area.top(), area.bottom() + 1 - place.height()));
    }
    if (auto* dialog = dynamic_cast<gui::Dialog*>(window)) dialog->PlaceWindow(gui::Point(place.left(), place.top()));
    window->setGeometry(place);
    // Hidden or minimised would look like a hung program for a modal dialog: only maximised
    // is kept, everything else shows normal.
    const bool maximized = !rectOnly && show == SW_SHOWMAXIMIZED;
    window->setWindowState(maximized ? (window->windowState() | Qt::WindowMaximized)
                                     : (window->windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized)));
    return true;
}

bool CResizableState::SaveWindowRect(RegistryProfile& settings, std::u16string_view section, bool rectOnly) {
    QWidget* window = GetResizableWnd();
    if (!window) return false;
    QRect r = window->geometry();
    int show = SW_SHOWNORMAL;
    if (!rectOnly && window->isMaximized()) {
        r = window->normalGeometry().isValid() ? window->normalGeometry() : r;
        show = SW_SHOWMAXIMIZED;
    }
    const CString text =
        CString::Format(u"%d,%d,%d,%d,%d,%d", r.left(), r.top(), r.left() + r.width(), r.top() + r.height(), show, 0);
    return settings.WriteProfileString(section, kPlacementValue, text);
}

// --- dialog

CResizableDialog::CResizableDialog(gui::Window* owner, std::uint32_t templateId) : Dialog(owner, templateId) {}

CResizableDialog::~CResizableDialog() {
    // A dialog that goes while shown has no hide event of its own any more.
    if (isVisible()) SaveIfEnabled();
}

bool CResizableDialog::OnInitDialog() {
    // A fixed-size template becomes resizable; the size it was made with is the least.
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const Size present(width(), height());
    SetMinTrackSize(present);
    SetLayoutBaseSize(present);
    CreateSizeGrip();
    UpdateSizeGrip();
    layoutReady_ = true;
    return true;
}

void CResizableDialog::EnableSaveRestore(RegistryProfile& settings, std::u16string_view section, bool rectOnly) {
    settings_ = &settings;
    section_ = CString(section);
    rectOnly_ = rectOnly;
    LoadWindowRect(settings, section, rectOnly);
}

void CResizableDialog::resizeEvent(QResizeEvent* event) {
    Dialog::resizeEvent(event);
    if (!layoutReady_) return;
    UpdateSizeGrip();
    ArrangeLayout();
}

void CResizableDialog::changeEvent(QEvent* event) {
    Dialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && layoutReady_) UpdateSizeGrip();
}

void CResizableDialog::hideEvent(QHideEvent* event) {
    // Not when the desktop hides it (minimised): the dialog's end hides it itself.
    if (!event->spontaneous()) SaveIfEnabled();
    Dialog::hideEvent(event);
}

void CResizableDialog::SaveIfEnabled() {
    if (settings_) SaveWindowRect(*settings_, section_, rectOnly_);
}
