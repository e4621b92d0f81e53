#include "controls/hyperlink/hyper_link.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "controls/msgbox/ecx_msg_box.h"
#include "engine/log/captions.h"
#include "engine/log/message_type.h"
#include "platform/gui/launcher.h"
#include "platform/gui/qpainter_canvas.h"
#include "platform/gui/qt_convert.h"

namespace hyperlink {

namespace {

struct ResultText {
    int result;
    const char16_t* text;
};

// The texts of the launcher's results, as the program has always shown them.
constexpr ResultText kResultTexts[] = {
    {0, u"The operating system is out\nof memory or resources."},
    {2, u"The specified file was not found."},
    {3, u"The specified path was not found."},
    {5, u"The operating system denied\naccess to the specified file."},
    {8, u"There was not enough memory to complete the operation."},
    {11, u"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {26, u"A sharing violation occurred. "},
    {27, u"The filename association is\nincomplete or invalid."},
    {28, u"The DDE transaction could not\nbe completed because the request timed out."},
    {29, u"The DDE transaction failed."},
    {30, u"The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
    {31, u"There is no application associated\nwith the given filename extension."},
    {32, u"The specified dynamic-link library was not found."},
};

}  // namespace

gui::COLORREF LinkColor(bool hovering, bool focused, bool visited, std::uint32_t style) {
    if (hovering && (style & kUseHover)) return kHoverColor;
    if (focused && !(style & kNoFocusColor)) return kFocusColor;
    return visited ? kVisitedColor : kLinkColor;
}

CString OpenFailureText(int result) {
    CString text = u"Can't open link:\n\n";
    for (const ResultText& entry : kResultTexts)
        if (entry.result == result) return text + entry.text;
    return text + CString::Format(u"Unknown Error (%d) occurred.", result);
}

gui::Rect FitToText(const gui::Rect& window, gui::Size text, std::uint32_t alignment) {
    gui::Rect r = window;
    if (alignment & SS_RIGHT) {
        r.left = r.right - text.cx;
    } else if (alignment & SS_CENTER) {
        r.left = (window.left + window.right - text.cx) / 2;
        r.right = r.left + text.cx;
    } else {
        r.right = r.left + text.cx;
    }
    if (alignment & SS_CENTERIMAGE) {
        r.top = (window.top + window.bottom - text.cy) / 2;
        r.bottom = r.top + text.cy;
    } else {
        r.bottom = r.top + text.cy;
    }
    return r;
}

CHyperLink::CHyperLink(QWidget* parent) : gui::Window(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_TranslucentBackground);
}

CHyperLink::~CHyperLink() = default;

CHyperLink* CHyperLink::Subclass(QLabel* label, const CString& link, std::uint32_t style) {
    if (!label) return nullptr;
    auto* control = new CHyperLink(label->parentWidget());
    control->style_ = style;
    control->link_ = link;
    control->text_ = gui::FromQString(label->text());
    control->setGeometry(label->geometry());
    control->setFont(label->font());
    gui::SetControlId(control, gui::ControlId(label));
    Qt::Alignment align = label->alignment();
    control->alignment_ = (align & Qt::AlignRight)     ? SS_RIGHT
                          : (align & Qt::AlignHCenter) ? SS_CENTER
                                                       : SS_LEFT;
    if (align & Qt::AlignVCenter) control->alignment_ |= SS_CENTERIMAGE;
    // Keep the label's place in the focus order.
    QWidget::setTabOrder(label, control);
    control->setVisible(!label->isHidden());
    delete label;
    control->ApplyLinkSettings();
    return control;
}

void CHyperLink::ApplyLinkSettings() {
    if (link_.IsEmpty()) link_ = text_;
    if (text_.IsEmpty()) text_ = link_;
    setCursor(style_ & kStandardCursor ? Qt::ArrowCursor : Qt::PointingHandCursor);
    setToolTip(gui::ToQString(link_));
    if (style_ & kFitToText) FitWindow();
    update();
}

void CHyperLink::SetLink(const CString& link) {
    link_ = link;
    setToolTip(gui::ToQString(link_));
}

void CHyperLink::SetLinkText(const CString& text) {
    bool shown = isVisible();
    hide();
    text_ = text;
    if (style_ & kFitToText) FitWindow();
    if (shown) show();
    update();
}

QFont CHyperLink::LinkFont() const {
    QFont f = font();
    f.setUnderline((style_ & kUnderline) != 0);
    return f;
}

void CHyperLink::FitWindow() {
    QFontMetrics metrics(LinkFont());
    gui::Size extent(metrics.horizontalAdvance(gui::ToQString(text_)), metrics.height());
    setGeometry(gui::ToQRect(FitToText(gui::FromQRect(geometry()), extent, alignment_)));
}

void CHyperLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    gui::QPainterCanvas canvas(painter);
    canvas.SetFont(gui::FromQFont(LinkFont()));
    canvas.SetTextColor(CurrentColor());
    canvas.SetBkMode(gui::TRANSPARENT);
    gui::Rect r(0, 0, width(), height());
    std::uint32_t format = gui::DT_SINGLELINE | gui::DT_NOPREFIX;
    format |= (alignment_ & SS_RIGHT) ? gui::DT_RIGHT : (alignment_ & SS_CENTER) ? gui::DT_CENTER : gui::DT_LEFT;
    if (alignment_ & SS_CENTERIMAGE) format |= gui::DT_VCENTER;
    canvas.DrawText(text_.view(), r, format);
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event) {
    bool inside = rect().contains(event->position().toPoint());
    if (inside && !hovering_) {
        hovering_ = true;
        update();
    } else if (!inside && hovering_) {
        hovering_ = false;
        update();
    }
}

void CHyperLink::leaveEvent(QEvent*) {
    if (!hovering_) return;
    hovering_ = false;
    update();
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (style_ & kFocusOnClick) setFocus(Qt::MouseFocusReason);
    if (style_ & kOpenOnButtonDown) OpenLink();
    focused_ = true;
    update();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (focused_ && !(style_ & kOpenOnButtonDown)) OpenLink();
}

void CHyperLink::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        OpenLink();
        return;
    }
    gui::Window::keyPressEvent(event);
}

void CHyperLink::focusInEvent(QFocusEvent* event) {
    gui::Window::focusInEvent(event);
    focused_ = true;
    update();
}

void CHyperLink::focusOutEvent(QFocusEvent* event) {
    gui::Window::focusOutEvent(event);
    focused_ = false;
    hovering_ = false;
    update();
}

bool CHyperLink::OpenLink() {
    const CString& target = link_.IsEmpty() ? text_ : link_;
    if (target.IsEmpty()) return false;
    int result = gui::CurrentLauncher().OpenWithDesktop(target);
    if (gui::LaunchSucceeded(result)) {
        visited_ = true;
        update();
        return true;
    }
    // The box beeps its exclamation sound as it shows.
    CEcxMsgBox box(this);
    box.SetTitle(ApplicationTitle());
    box.SetMsgButtons(MB_OK | MB_ICONEXCLAMATION);
    CString text = OpenFailureText(result);
    box.SetMsgText(text.c_str());
    box.DoModal();
    return false;
}

}  // namespace hyperlink
