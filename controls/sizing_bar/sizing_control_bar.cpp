#include "controls/sizing_bar/sizing_control_bar.h"

#include <QEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QResizeEvent>
#include <algorithm>
#include <vector>

#include "app/registry_profile.h"
#include "controls/sizing_bar/sizing_bar_sizes.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/system_metrics.h"
#include "platform/gui/window.h"

namespace sizing_bar {

namespace {

constexpr const char16_t* kValueNames[6] = {u"sizeHorzCX", u"sizeHorzCY", u"sizeVertCX",
                                            u"sizeVertCY", u"sizeFloatCX", u"sizeFloatCY"};

bool IsHorizontalArea(Qt::DockWidgetArea area) {
    return area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea;
}

}  // namespace

CSizingControlBar::CSizingControlBar() : QDockWidget(nullptr) {
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    connect(this, &QDockWidget::topLevelChanged, this, &CSizingControlBar::OnTopLevelChanged);
    connect(this, &QDockWidget::dockLocationChanged, this, [this](Qt::DockWidgetArea) { OnLocationChanged(); });
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible && !IsFloating()) ApplyDockedSize();
    });
}

CSizingControlBar::~CSizingControlBar() = default;

bool CSizingControlBar::Create(const CString& title, QMainWindow* parent, int id, std::uint32_t style) {
    if (!parent || mainWindow_) return false;
    mainWindow_ = parent;
    id_ = id;
    barStyle_ = style & CBRS_ALL;
    setParent(parent);
    setObjectName(QStringLiteral("SCBar-%1").arg(id));
    gui::SetControlId(this, id);
    setWindowTitle(gui::ToQString(title));
    Qt::DockWidgetAreas areas;
    if (style & CBRS_ALIGN_LEFT) areas |= Qt::LeftDockWidgetArea;
    if (style & CBRS_ALIGN_TOP) areas |= Qt::TopDockWidgetArea;
    if (style & CBRS_ALIGN_RIGHT) areas |= Qt::RightDockWidgetArea;
    if (style & CBRS_ALIGN_BOTTOM) areas |= Qt::BottomDockWidgetArea;
    setAllowedAreas(areas ? areas : Qt::AllDockWidgetAreas);
    // Separator drags are the main window's own mouse events; their end writes sizes back.
    parent->installEventFilter(this);
    ReplaceTitleBar();
    UpdateMinimum();
    setVisible((style & WS_VISIBLE) != 0);
    return true;
}

bool CSizingControlBar::CreateSized(const CString& title, QMainWindow* parent, gui::Size size, bool, int id,
                                    std::uint32_t style) {
    horz_ = vert_ = float_ = size;
    return Create(title, parent, id, style);
}

CString CSizingControlBar::StateSection(std::u16string_view name) const {
    return CString::Format(u"%s-SCBar-%d", CString(name), id_);
}

void CSizingControlBar::LoadState(const RegistryProfile& profile, std::u16string_view name) {
    CString section = StateSection(name);
    int screenX = std::max(gui::GetSystemMetrics(gui::SM_CXSCREEN), 1);
    int screenY = std::max(gui::GetSystemMetrics(gui::SM_CYSCREEN), 1);
    gui::Size* sizes[3] = {&horz_, &vert_, &float_};
    const gui::Size minimums[3] = {kMinHorz, kMinVert, kMinFloat};
    for (int i = 0; i < 3; ++i) {
        gui::Size& s = *sizes[i];
        // A missing value keeps the size as it is.
        s.cx = BoundDimension(profile.GetProfileInt(section, kValueNames[2 * i], s.cx), minimums[i].cx, screenX);
        s.cy = BoundDimension(profile.GetProfileInt(section, kValueNames[2 * i + 1], s.cy), minimums[i].cy, screenY);
    }
}

bool CSizingControlBar::SaveState(RegistryProfile& profile, std::u16string_view name) const {
    CString section = StateSection(name);
    const int values[6] = {horz_.cx, horz_.cy, vert_.cx, vert_.cy, float_.cx, float_.cy};
    bool ok = true;
    for (int i = 0; i < 6; ++i) ok = profile.WriteProfileInt(section, kValueNames[i], values[i]) && ok;
    return ok;
}

bool CSizingControlBar::IsFloating() const {
    return !mainWindow_ || isFloating() || mainWindow_->dockWidgetArea(const_cast<CSizingControlBar*>(this)) ==
                                                Qt::NoDockWidgetArea;
}

bool CSizingControlBar::IsHorzDocked() const {
    return !IsFloating() && IsHorizontalArea(mainWindow_->dockWidgetArea(const_cast<CSizingControlBar*>(this)));
}

void CSizingControlBar::SetChild(QWidget* child) {
    if (scbStyle_ & SCBS_SIZECHILD) {
        setWidget(child);
        return;
    }
    // Without the style the child keeps its own geometry inside a plain client.
    auto* client = new QWidget;
    if (child) child->setParent(client);
    setWidget(client);
}

QWidget* CSizingControlBar::MakeTitleBar() { return new QWidget; }

void CSizingControlBar::ReplaceTitleBar() {
    // QDockWidget neither owns a replaced title bar nor deletes it.
    QWidget* old = titleBarWidget();
    setTitleBarWidget(isFloating() ? nullptr : MakeTitleBar());
    if (old) old->deleteLater();
}

void CSizingControlBar::UpdateMinimum() {
    gui::Size minimum = IsFloating() ? kMinFloat : (IsHorzDocked() ? kMinHorz : kMinVert);
    setMinimumSize(minimum.cx, minimum.cy);
}

void CSizingControlBar::OnTopLevelChanged(bool floating) {
    ReplaceTitleBar();
    UpdateMinimum();
    if (floating) {
        applying_ = true;
        resize(std::max(float_.cx, kMinFloat.cx), std::max(float_.cy, kMinFloat.cy));
        applying_ = false;
    } else {
        ApplyDockedSize();
    }
}

void CSizingControlBar::OnLocationChanged() {
    if (!IsFloating()) {
        // A docked title bar depends on the side (vertical at top and bottom).
        setFeatures(IsHorzDocked() ? features() | QDockWidget::DockWidgetVerticalTitleBar
                                   : features() & ~QDockWidget::DockWidgetVerticalTitleBar);
        ReplaceTitleBar();
    }
    UpdateMinimum();
    ApplyDockedSize();
}

void CSizingControlBar::ApplyDockedSize() {
    if (!mainWindow_ || IsFloating() || isHidden()) return;
    Qt::DockWidgetArea area = mainWindow_->dockWidgetArea(this);
    bool horizontal = IsHorizontalArea(area);
    std::vector<CSizingControlBar*> row;
    for (CSizingControlBar* bar : mainWindow_->findChildren<CSizingControlBar*>()) {
        if (bar->MainWindow() == mainWindow_ && !bar->IsFloating() && !bar->isHidden() &&
            mainWindow_->dockWidgetArea(bar) == area)
            row.push_back(bar);
    }
    std::sort(row.begin(), row.end(), [horizontal](CSizingControlBar* a, CSizingControlBar* b) {
        return horizontal ? a->x() < b->x() : a->y() < b->y();
    });
    int thickness = horizontal ? horz_.cy : vert_.cx;
    QList<QDockWidget*> docks;
    QList<int> thicknesses, lengths;
    std::vector<RowBar> bars;
    int rowLength = 0;
    for (CSizingControlBar* bar : row) {
        docks.push_back(bar);
        thicknesses.push_back(thickness);
        if (horizontal) {
            bar->horz_.cy = thickness;
            bars.push_back({bar->horz_.cx, kMinHorz.cx});
            rowLength += bar->width();
        } else {
            bar->vert_.cx = thickness;
            bars.push_back({bar->vert_.cy, kMinVert.cy});
            rowLength += bar->height();
        }
    }
    for (CSizingControlBar* bar : row) bar->applying_ = true;
    mainWindow_->resizeDocks(docks, thicknesses, horizontal ? Qt::Vertical : Qt::Horizontal);
    // The lengths only where the row shares its length among several bars and has one yet.
    if (row.size() > 1 && rowLength > 0) {
        for (int length : FitRowLengths(rowLength, bars)) lengths.push_back(length);
        mainWindow_->resizeDocks(docks, lengths, horizontal ? Qt::Horizontal : Qt::Vertical);
    }
    for (CSizingControlBar* bar : row) bar->applying_ = false;
}

void CSizingControlBar::WriteBackSize() {
    if (IsFloating()) {
        float_ = gui::Size(std::max(width(), kMinFloat.cx), std::max(height(), kMinFloat.cy));
    } else if (IsHorzDocked()) {
        horz_ = gui::Size(std::max(width(), kMinHorz.cx), std::max(height(), kMinHorz.cy));
    } else {
        vert_ = gui::Size(std::max(width(), kMinVert.cx), std::max(height(), kMinVert.cy));
    }
}

void CSizingControlBar::resizeEvent(QResizeEvent* event) {
    QDockWidget::resizeEvent(event);
    // A floating bar is sized by the user alone; a docked one also by the layout, so only the
    // end of a separator drag writes a docked size back.
    if (!applying_ && isFloating() && isVisible()) WriteBackSize();
}

bool CSizingControlBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mainWindow_) {
        if (event->type() == QEvent::MouseButtonPress) {
            separatorDrag_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease && separatorDrag_) {
            separatorDrag_ = false;
            if (!IsFloating() && isVisible()) WriteBackSize();
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

}  // namespace sizing_bar
