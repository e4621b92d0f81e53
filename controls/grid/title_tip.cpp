#include "controls/grid/title_tip.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

#include "platform/gui/canvas.h"
#include "platform/gui/qpainter_canvas.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/system_metrics.h"

CTitleTip::CTitleTip() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    doubleClickTime_ = QApplication::doubleClickInterval();
}

CTitleTip::~CTitleTip() = default;

bool CTitleTip::Create(QWidget* parent) {
    if (created_ && parent == parent_) return true;
    parent_ = parent;
    setParent(parent, Qt::ToolTip | Qt::FramelessWindowHint);
    created_ = true;
    return true;
}

void CTitleTip::Show(gui::Rect titleRect, const CString& text, int xOffset, const gui::Rect* hoverRect,
                     const gui::LogFont* font, gui::COLORREF textColour, gui::COLORREF backColour) {
    if (!created_ || !parent_) return;
    if (titleRect.IsEmpty() || isVisible()) return;
    // Only while this program has the keyboard focus.
    if (!QApplication::focusWidget() && !QApplication::activeWindow()) return;

    const QPoint corner = parent_->mapToGlobal(QPoint(titleRect.left, titleRect.top));
    gui::Rect hover = hoverRect ? *hoverRect : titleRect;
    const QPoint hoverCorner = parent_->mapToGlobal(QPoint(hover.left, hover.top));
    const int left = corner.x() + xOffset, top = corner.y();
    // The hover rectangle in the tip's coordinates, one pixel larger to the right and bottom.
    hoverRect_ = gui::Rect(hoverCorner.x() - left, hoverCorner.y() - top, hoverCorner.x() - left + hover.Width() + 1,
                           hoverCorner.y() - top + hover.Height() + 1);
    textRect_ = gui::Rect(-xOffset - 1, -1, titleRect.Width() - xOffset, titleRect.Height() + 1);

    text_ = CString(u" ") + text + CString(u" ");
    ownFont_ = font != nullptr;
    font_ = font ? *font : gui::FromQFont(parent_->font());
    textColour_ = textColour;
    backColour_ = backColour;
    QFont qfont = gui::ToQFont(font_);
    QFontMetrics metrics(qfont);
    const int width = metrics.horizontalAdvance(gui::ToQString(text_)) + xOffset;
    // Shown only when the text does not fit in the cell.
    if (left + width - 1 <= corner.x() + titleRect.Width() - xOffset) return;
    setFont(qfont);
    setGeometry(left, top, width, titleRect.Height());
    show();
    raise();
    grabMouse();
}

void CTitleTip::Hide() {
    if (!created_) return;
    if (QWidget::mouseGrabber() == this) releaseMouse();
    hide();
}

void CTitleTip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    gui::QPainterCanvas dc(painter);
    const gui::COLORREF back = backColour_ != gui::CLR_DEFAULT ? backColour_ : gui::GetSysColor(gui::COLOR_INFOBK);
    const gui::COLORREF textColour =
        textColour_ != gui::CLR_DEFAULT ? textColour_ : gui::GetSysColor(gui::COLOR_INFOTEXT);
    dc.FillRect(gui::Rect(0, 0, width(), height()), back);
    painter.setPen(QColor(0, 0, 0));
    painter.drawRect(0, 0, width() - 1, height() - 1);
    dc.SetTextColor(textColour);
    dc.SetBkMode(gui::TRANSPARENT);
    dc.SetFont(font_);
    gui::Rect r(0, 0, width(), height());
    dc.DrawText(text_, r, 0x24 | 0x800);  // one line, centred vertically, no prefixes
}

QWidget* CTitleTip::TargetAt(QPoint global) const {
    QWidget* w = QApplication::widgetAt(global);
    if (!w || w == this) return parent_;
    return w;
}

void CTitleTip::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (hoverRect_.Contains(gui::Point(p.x(), p.y()))) return;
    Hide();
    const QPoint global = event->globalPosition().toPoint();
    if (QWidget* target = TargetAt(global)) {
        const QPoint local = target->mapFromGlobal(global);
        QApplication::postEvent(target, new QMouseEvent(QEvent::MouseMove, local, global, Qt::NoButton,
                                                        event->buttons(), event->modifiers()));
    }
}

void CTitleTip::PassPress(QMouseEvent* event, bool doubleClick) {
    Hide();
    const QPoint global = event->globalPosition().toPoint();
    QWidget* target = TargetAt(global);
    if (!target) return;
    const QPoint local = target->mapFromGlobal(global);
    if (doubleClick) {
        QApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonDblClick, local, global, event->button(),
                                                        event->buttons(), event->modifiers()));
    } else {
        QApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonPress, local, global, event->button(),
                                                        event->buttons(), event->modifiers()));
    }
}

void CTitleTip::mousePressEvent(QMouseEvent* event) {
    bool doubleClick = false;
    if (event->button() == Qt::LeftButton) {
        doubleClick = lastClick_.isValid() && lastClick_.elapsed() <= doubleClickTime_;
        lastClick_.start();
    }
    PassPress(event, doubleClick);
}

void CTitleTip::mouseDoubleClickEvent(QMouseEvent* event) { PassPress(event, true); }

void CTitleTip::mouseReleaseEvent(QMouseEvent* event) {
    if (!QApplication::focusWidget()) {
        Hide();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CTitleTip::wheelEvent(QWheelEvent* event) {
    if (!QApplication::focusWidget()) {
        Hide();
        return;
    }
    QWidget::wheelEvent(event);
}

void CTitleTip::keyPressEvent(QKeyEvent* event) {
    Hide();
    if (parent_)
        QApplication::postEvent(parent_, new QKeyEvent(event->type(), event->key(), event->modifiers(), event->text(),
                                                       event->isAutoRepeat(), static_cast<quint16>(event->count())));
}
