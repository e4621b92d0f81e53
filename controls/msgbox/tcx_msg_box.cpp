#include "controls/msgbox/tcx_msg_box.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include "engine/log/captions.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/resource_images.h"
#include "platform/gui/system_metrics.h"

using gui::Rect;
using gui::Size;

namespace {

const MsgBoxTextMeasure* g_measure = nullptr;

const MsgBoxTextMeasure& TextMeasure() {
    static const DocumentTextMeasure document;
    return g_measure ? *g_measure : document;
}

}  // namespace

void CTcxMsgBox::SetTextMeasure(const MsgBoxTextMeasure* measure) { g_measure = measure; }

CTcxMsgBox::CTcxMsgBox(gui::Window* parent) : gui::Dialog(parent), title_(ApplicationTitle()) {
    setWindowTitle(".");
}

CTcxMsgBox::~CTcxMsgBox() = default;

void CTcxMsgBox::AddButton(std::uint32_t id, bool bDefault, bool bEscape, std::uint32_t textId) {
    AddButton(id, bDefault, bEscape, LoadString(textId == kCaptionFromId ? id : textId));
}

void CTcxMsgBox::AddButton(std::uint32_t id, bool bDefault, bool bEscape, const CString& caption) {
    buttons_.push_back({id, caption});
    if (bDefault) defaultId_ = static_cast<int>(id);
    if (bEscape) escapeId_ = static_cast<int>(id);
}

void CTcxMsgBox::RemoveAllButtons() {
    buttons_.clear();
    defaultId_ = -1;
    escapeId_ = -1;
}

void CTcxMsgBox::SetMsgText(std::uint32_t stringId) {
    CString text = LoadString(stringId);
    if (!text.IsEmpty()) text_ = text;
}

void CTcxMsgBox::SetMsgText(const char16_t* text) { text_ = CString(text); }

CString CTcxMsgBox::LoadedTemplate(std::uint32_t id, bool& exists) const {
    CString format = LoadTemplate(id);
    exists = !format.IsEmpty();
    return format;
}

void CTcxMsgBox::SetFormattedText(std::uint32_t formatId, const CString& text) {
    text_ = text;
    SetHelpID(formatId);
}

void CTcxMsgBox::SetIcon(const QIcon& icon) {
    icon_ = icon;
    iconId_ = 0;
    QSize size = icon.isNull() ? QSize() : icon.actualSize(QSize(gui::GetSystemMetrics(gui::SM_CXICON),
                                                                  gui::GetSystemMetrics(gui::SM_CYICON)));
    iconSize_ = size.isValid() ? Size(size.width(), size.height()) : Size();
}

void CTcxMsgBox::SetIcon(std::uint32_t iconResourceId) {
    SetIcon(gui::LoadResourceIcon(iconResourceId));
    if (!icon_.isNull()) iconId_ = iconResourceId;
}

void CTcxMsgBox::SetIcon(SystemIcon icon) {
    // The system's message icons are pictures of the program's own under the same ids.
    SetIcon(icon.id);
}

QPushButton* CTcxMsgBox::ButtonControl(std::uint32_t id) const {
    return qobject_cast<QPushButton*>(GetDlgItem(static_cast<int>(id)));
}

gui::PromptRequest CTcxMsgBox::DescribePrompt() {
    gui::PromptRequest request;
    request.kind = gui::PromptKind::MessageBox;
    request.title = title_.str();
    request.text = text_.str();
    for (const BTNDATA& b : buttons_) request.buttons.push_back({static_cast<int>(b.id), b.caption.str()});
    request.defaultId = defaultId_;
    request.escapeId = escapeId_;
    request.icon = static_cast<int>(iconId_);
    request.helpId = GetHelpID();
    return request;
}

bool CTcxMsgBox::OnInitDialog() {
    setWindowTitle(gui::ToQString(title_));

    Rect thousand(0, 0, 1000, 1000);
    MapDialogRect(thousand);

    // The message font; without the system's metrics the controls keep the default font
    // and the caption rule is skipped.
    gui::NonClientMetrics ncm;
    const bool haveMetrics = gui::GetNonClientMetrics(ncm);
    const QFont messageFont = haveMetrics ? gui::ToQFont(ncm.messageFont) : font();

    textControl_ = new QTextEdit(this);
    gui::SetControlId(textControl_, kStaticId);
    textControl_->setReadOnly(true);
    textControl_->setFrameShape(QFrame::NoFrame);
    textControl_->setFocusPolicy(Qt::NoFocus);
    textControl_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textControl_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textControl_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    textControl_->document()->setDocumentMargin(0);
    textControl_->setFont(messageFont);
    textControl_->document()->setDefaultFont(messageFont);
    QPalette palette = textControl_->palette();
    palette.setColor(QPalette::Base, gui::ToQColor(gui::GetSysColor(gui::COLOR_BTNFACE)));
    textControl_->setPalette(palette);
    textControl_->setPlainText(gui::ToQString(text_));

    MsgBoxMetrics metrics;
    metrics.pixelsPer1000X = thousand.Width();
    metrics.pixelsPer1000Y = thousand.Height();
    metrics.fullScreenWidth = gui::GetSystemMetrics(gui::SM_CXFULLSCREEN);
    metrics.text = NarrowestTextSize(TextMeasure(), text_.view(), messageFont, metrics.fullScreenWidth);

    if (!icon_.isNull()) {
        iconControl_ = new QLabel(this);
        gui::SetControlId(iconControl_, kStaticId);
        // The icon takes neither clicks nor focus. It is not disabled as a widget: a disabled
        // label would draw its picture greyed.
        iconControl_->setAttribute(Qt::WA_TransparentForMouseEvents);
        iconControl_->setFocusPolicy(Qt::NoFocus);
        iconControl_->setPixmap(icon_.pixmap(gui::ToQSize(iconSize_)));
        metrics.icon = iconSize_;
    }

    QFontMetrics captionMetrics(messageFont);
    std::vector<QPushButton*> controls;
    for (const BTNDATA& b : buttons_) {
        QString caption = gui::ToQString(b.caption);
        metrics.captionSizes.push_back({captionMetrics.horizontalAdvance(caption), captionMetrics.height()});
        auto* button = new QPushButton(caption, this);
        button->setFont(messageFont);
        button->setFocusPolicy(Qt::StrongFocus);
        BindControl(button, static_cast<int>(b.id));
        controls.push_back(button);
    }

    metrics.captionRule = haveMetrics;
    if (haveMetrics) {
        metrics.titleWidth = QFontMetrics(gui::ToQFont(ncm.captionFont)).horizontalAdvance(gui::ToQString(title_));
        metrics.borderWidth = ncm.borderWidth;
        metrics.captionButtonWidth = ncm.captionWidth;
    }
    metrics.hasEscape = escapeId_ >= 0;

    MsgBoxPlacement placement = LayoutMsgBox(layout_, metrics);
    setFixedSize(gui::ToQSize(placement.client));
    if (iconControl_) iconControl_->setGeometry(gui::ToQRect(placement.icon));
    textControl_->setGeometry(gui::ToQRect(placement.text));
    for (std::size_t i = 0; i < controls.size(); ++i) controls[i]->setGeometry(gui::ToQRect(placement.buttons[i]));

    // No close button without an escape id.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (escapeId_ >= 0) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    CenterWindow();

    if (defaultId_ >= 0) {
        SetDefID(defaultId_);
        if (QPushButton* def = ButtonControl(static_cast<std::uint32_t>(defaultId_))) def->setFocus();
        return false;
    }
    SetDefID(-1);
    return true;
}

bool CTcxMsgBox::OnCommand(int id, int, gui::HWND) {
    if (id == kStaticId) return false;
    EndDialog(id);
    return true;
}

void CTcxMsgBox::OnClose() {
    if (escapeId_ >= 0) EndDialog(escapeId_);
}

void CTcxMsgBox::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Cancel)) {
        if (escapeId_ >= 0) EndDialog(escapeId_);
        return;
    }
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        if (focused && isAncestorOf(focused) && gui::ControlId(focused) != kStaticId) {
            SetDefID(gui::ControlId(focused));
            EndDialog(gui::ControlId(focused));
        } else if (defaultId_ >= 0) {
            EndDialog(defaultId_);
        }
        return;
    }
    gui::Dialog::keyPressEvent(event);
}
