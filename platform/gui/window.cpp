#include "platform/gui/window.h"

#include <QApplication>
#include <QThread>
#include <QTimerEvent>
#include <QVariant>

#include "platform/gui/message_queue.h"

namespace gui {

namespace {

constexpr char kControlIdProperty[] = "wkControlId";

// The window holding the mouse capture; user-interface thread only.
QPointer<Window> g_capture;

bool OnUserInterfaceThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

}  // namespace

void SetControlId(QWidget* widget, int id) {
    if (widget) widget->setProperty(kControlIdProperty, id);
}

int ControlId(const QWidget* widget) {
    if (!widget) return 0;
    QVariant v = widget->property(kControlIdProperty);
    return v.isValid() ? v.toInt() : 0;
}

Window::Window(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {
    hwnd_ = MessageQueue::Instance().Register(this);
}

Window::~Window() {
    if (g_capture == this) {
        g_capture = nullptr;
        releaseMouse();
    }
    // From here on the number is dead: sends waiting for it answer 0, posts are dropped.
    MessageQueue::Instance().Unregister(hwnd_);
}

Window* Window::FromHandle(HWND hwnd) { return hwnd ? MessageQueue::Instance().Find(hwnd) : nullptr; }

int Window::GetDlgCtrlID() const { return ControlId(this); }

void Window::SetDlgCtrlID(int id) { SetControlId(this, id); }

QWidget* Window::GetDlgItem(int id) const {
    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (ControlId(w) == id) return w;
    for (QWidget* w : findChildren<QWidget*>())
        if (ControlId(w) == id) return w;
    return nullptr;
}

Window* Window::GetOwner() const {
    if (owner_) return owner_;
    for (QWidget* p = parentWidget(); p; p = p->parentWidget())
        if (Window* w = qobject_cast<Window*>(p)) return w;
    return nullptr;
}

bool Window::PostMessage(UINT msg, WPARAM w, LPARAM l) { return MessageQueue::Instance().Post(hwnd_, msg, w, l); }

LRESULT Window::SendCommandToOwner(int code) {
    Window* owner = GetOwner();
    return owner ? owner->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(GetDlgCtrlID()), code),
                                      static_cast<LPARAM>(hwnd_))
                 : 0;
}

bool Window::PostCommandToOwner(int code) {
    Window* owner = GetOwner();
    return owner && owner->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(GetDlgCtrlID()), code),
                                       static_cast<LPARAM>(hwnd_));
}

LRESULT Window::SendNotifyToOwner(NMHDR& header) {
    header.hwndFrom = hwnd_;
    header.idFrom = static_cast<std::uintptr_t>(GetDlgCtrlID());
    Window* owner = GetOwner();
    return owner ? owner->SendMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)) : 0;
}

void Window::SetTimer(std::uintptr_t id, int milliseconds) {
    KillTimer(id);
    timers_[id] = startTimer(std::max(milliseconds, 0));
}

bool Window::KillTimer(std::uintptr_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return false;
    killTimer(it->second);
    timers_.erase(it);
    return true;
}

void Window::timerEvent(QTimerEvent* event) {
    for (const auto& [id, qtId] : timers_) {
        if (qtId == event->timerId()) {
            DeliverMessage(WM_TIMER, id, 0);
            return;
        }
    }
    QWidget::timerEvent(event);
}

void Window::SetCapture() {
    if (g_capture == this) return;
    QPointer<Window> previous = g_capture;
    g_capture = this;
    if (previous) {
        previous->releaseMouse();
        previous->OnCaptureChanged();
    }
    grabMouse();
}

void Window::ReleaseCapture() {
    QPointer<Window> previous = g_capture;
    g_capture = nullptr;
    if (previous) {
        previous->releaseMouse();
        previous->OnCaptureChanged();
    }
}

Window* Window::GetCapture() { return g_capture; }

void Window::hideEvent(QHideEvent* event) {
    if (g_capture == this) ReleaseCapture();
    QWidget::hideEvent(event);
}

QWidget* Window::GetFocus() { return QApplication::focusWidget(); }

bool Window::EnableWindow(bool enable) {
    bool wasDisabled = !isEnabled();
    setEnabled(enable);
    return wasDisabled;
}

LRESULT Window::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_COMMAND:
            OnCommand(static_cast<int>(LOWORD(w)), static_cast<int>(static_cast<std::int16_t>(HIWORD(w))),
                      static_cast<HWND>(l));
            return 0;
        case WM_NOTIFY: {
            NMHDR* header = reinterpret_cast<NMHDR*>(l);
            LRESULT result = 0;
            if (header) OnNotify(static_cast<int>(header->idFrom), *header, result);
            return result;
        }
        case WM_TIMER: OnTimer(w); return 0;
        default: return OnMessage(msg, w, l);
    }
}

bool Window::OnCommand(int, int, HWND) { return false; }

bool Window::OnNotify(int, NMHDR&, LRESULT&) { return false; }

void Window::OnTimer(std::uintptr_t) {}

LRESULT Window::OnMessage(UINT, WPARAM, LPARAM) { return 0; }

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (OnUserInterfaceThread()) {
        Window* window = Window::FromHandle(hwnd);
        return window ? window->DeliverMessage(msg, w, l) : 0;
    }
    return MessageQueue::Instance().SendFromWorker(hwnd, msg, w, l);
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l) { return MessageQueue::Instance().Post(hwnd, msg, w, l); }

bool IsWindow(HWND hwnd) { return hwnd && MessageQueue::Instance().IsAlive(hwnd); }

}  // namespace gui
