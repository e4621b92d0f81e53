#include "platform/gui/dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "platform/gui/qt_convert.h"

namespace gui {

namespace {

Dialog::TemplateBuilder& Builder() {
    static Dialog::TemplateBuilder builder;
    return builder;
}

Dialog::HelpHook& Help() {
    static Dialog::HelpHook hook;
    return hook;
}

}  // namespace

void Dialog::SetTemplateBuilder(TemplateBuilder builder) { Builder() = std::move(builder); }

void Dialog::SetHelpHook(HelpHook hook) { Help() = std::move(hook); }

Dialog::Dialog(Window* owner, std::uint32_t templateId)
    : Window(nullptr, Qt::Dialog), templateId_(templateId), owner_(owner), font_(QApplication::font()) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFont(font_);
}

Dialog::~Dialog() = default;

void Dialog::SetDialogFont(const QFont& font) {
    font_ = font;
    setFont(font);
}

void Dialog::MapDialogRect(Rect& r) const {
    QFontMetrics metrics(font_);
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const int baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    const int baseY = metrics.height();
    r.left = MulDiv(r.left, baseX, 4);
    r.right = MulDiv(r.right, baseX, 4);
    r.top = MulDiv(r.top, baseY, 8);
    r.bottom = MulDiv(r.bottom, baseY, 8);
}

void Dialog::SetDefID(int id) {
    defId_ = id;
    for (QPushButton* b : findChildren<QPushButton*>()) b->setDefault(ControlId(b) == id);
}

void Dialog::BindControl(QWidget* control, int id) {
    SetControlId(control, id);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        if (auto* push = qobject_cast<QPushButton*>(button)) {
            push->setAutoDefault(false);
            push->setDefault(id == defId_);
        }
        connect(button, &QAbstractButton::clicked, this, [this, button] {
            SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(ControlId(button)), BN_CLICKED), 0);
        });
    }
}

void Dialog::CenterWindow() {
    QRect frame = frameGeometry();
    QRect area;
    if (owner_ && owner_->window()->isVisible()) {
        area = owner_->window()->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (!area.isEmpty()) {
        frame.moveCenter(area.center());
        move(frame.topLeft());
    }
    placed_ = true;
}

void Dialog::PlaceWindow(Point topLeft) {
    move(ToQPoint(topLeft));
    placed_ = true;
}

bool Dialog::CreateDialogWindow() {
    if (created_) return true;
    if (templateId_ != 0) {
        if (!Builder() || !Builder()(*this, templateId_)) return false;
    }
    created_ = true;
    bool defaultFocus = OnInitDialog();
    if (defaultFocus) focusNextChild();
    if (!placed_) {
        adjustSize();
        CenterWindow();
    }
    if (owner_) {
        // Stays above its owner without being its child (a disabled parent would disable it).
        create();
        if (QWindow* mine = windowHandle(); mine && owner_->window()->windowHandle())
            mine->setTransientParent(owner_->window()->windowHandle());
    }
    return true;
}

int Dialog::RunModal() {
    ending_ = false;
    result_ = -1;
    if (!CreateDialogWindow()) return -1;
    running_ = true;
    QPointer<QWidget> ownerWindow = owner_ ? owner_->window() : nullptr;
    const bool disableOwner = ownerWindow && ownerWindow->isEnabled();
    if (disableOwner) ownerWindow->setEnabled(false);
    if (!ending_) {
        show();
        raise();
        activateWindow();
        QEventLoop loop;
        loop_ = &loop;
        loop.exec(QEventLoop::DialogExec);
        loop_ = nullptr;
    }
    running_ = false;
    hide();
    if (disableOwner && ownerWindow) {
        ownerWindow->setEnabled(true);
        ownerWindow->activateWindow();
    }
    return result_;
}

int Dialog::DoModal() { return RunPrompt(DescribePrompt(), *this).id; }

void Dialog::EndDialog(int result) {
    if (ending_) return;
    ending_ = true;
    result_ = result;
    if (loop_) loop_->exit();
}

PromptRequest Dialog::DescribePrompt() {
    PromptRequest request;
    request.kind = PromptKind::Dialog;
    request.title = FromQString(windowTitle()).str();
    request.dialogId = templateId_;
    request.defaultId = defId_;
    request.escapeId = IDCANCEL;
    request.helpId = helpId_;
    return request;
}

bool Dialog::OnCommand(int id, int, HWND) {
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

LRESULT Dialog::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_CLOSE) {
        OnClose();
        return 0;
    }
    return Window::WindowProc(msg, w, l);
}

void Dialog::OnClose() { SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

void Dialog::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~(Qt::KeypadModifier)) == Qt::NoModifier;
    switch (event->key()) {
        case Qt::Key_Escape:
            if (!plain) break;
            SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            if (!plain) break;
            auto* focused = qobject_cast<QPushButton*>(focusWidget());
            int id = (focused && isAncestorOf(focused)) ? ControlId(focused) : defId_;
            if (QWidget* control = GetDlgItem(id); control && !control->isEnabled()) return;
            SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), BN_CLICKED), 0);
            return;
        }
        case Qt::Key_F1:
            if (helpId_ != 0 && Help()) Help()(helpId_);
            return;
        default: break;
    }
    Window::keyPressEvent(event);
}

void Dialog::closeEvent(QCloseEvent* event) {
    // The window stays; what closing means is the dialog's decision.
    event->ignore();
    SendMessage(WM_CLOSE);
}

}  // namespace gui
