#pragma once
// The window base of the controls and windows: a QWidget with a control id, the Windows
// design's message protocol between windows and threads, timers by id, mouse capture, focus
// and enabling. Controls paint with a Canvas (canvas.h) in their paintEvent and take
// Qt's input events directly; only what crosses windows or threads goes through messages.
//
// Messages (numbers in window_messages.h):
// - `SendMessage` on the user-interface thread calls the window's `WindowProc` at once and
//   returns its result. From another thread it queues the message, wakes the user-interface
//   thread and blocks until the window answered; a window that is gone, or goes before it
//   answers, gives 0 at once.
// - `PostMessage` queues the message on every thread (also on the user-interface thread:
//   it is delivered once the event loop runs, in the order posted) and returns false when
//   the window is gone or 10000 messages wait already.
// - Cross-thread calls pass the layer's mutex-guarded queue (message_queue.h), never Qt's
//   cross-thread event queue, so the thread sanitizer sees every hand-over.
// - Workers address a window by its `Handle()` (an HWND number, never reused); only the
//   user-interface thread turns a number back into a window (`FromHandle`).
// - `WindowProc` hands WM_COMMAND to `OnCommand` (id in the low word of WPARAM, code in the
//   high word, the sender's HWND in LPARAM), WM_NOTIFY to `OnNotify` (LPARAM points to the
//   NMHDR of the record), WM_TIMER to `OnTimer` and everything else (the WM_USER + n
//   messages) to `OnMessage`.
// - Notifications and commands of a control go to its owner window: the one set with
//   SetOwner, else the nearest Window among its parents.
//
// Threads: everything but PostMessage, SendMessage(HWND, ...) and IsWindow is for the
// user-interface thread.
#include <QPointer>
#include <QWidget>
#include <map>

#include "platform/gui/window_messages.h"

namespace gui {

class Window : public QWidget {
    Q_OBJECT

public:
    explicit Window(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~Window() override;

    HWND Handle() const { return hwnd_; }
    // The live window of a number, null when it is gone.
    static Window* FromHandle(HWND hwnd);

    // Control ids (any widget can carry one; a control without an id has 0).
    int GetDlgCtrlID() const;
    void SetDlgCtrlID(int id);
    // The first widget below this one with the id (children first, then their children).
    QWidget* GetDlgItem(int id) const;

    void SetOwner(Window* owner) { owner_ = owner; }
    // The window that receives this one's commands and notifications; null when none.
    Window* GetOwner() const;

    LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) { return DeliverMessage(msg, w, l); }
    bool PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0);
    // WM_COMMAND (this window's id, code) to the owner, sent or posted.
    LRESULT SendCommandToOwner(int code);
    bool PostCommandToOwner(int code);
    // Fills the record's sender and id and sends it to the owner as WM_NOTIFY.
    LRESULT SendNotifyToOwner(NMHDR& header);

    // Starts (or restarts) the timer `id`, which calls OnTimer(id) every `milliseconds`.
    void SetTimer(std::uintptr_t id, int milliseconds);
    // False when no such timer runs.
    bool KillTimer(std::uintptr_t id);

    // Mouse capture: every mouse event goes to the capturing window until released; a window
    // that loses the capture (another takes it, it is released, the window hides or goes)
    // hears OnCaptureChanged.
    void SetCapture();
    static void ReleaseCapture();
    static Window* GetCapture();

    void SetFocus() { setFocus(Qt::OtherFocusReason); }
    static QWidget* GetFocus();
    // Returns whether the window was disabled before, as EnableWindow does.
    bool EnableWindow(bool enable);
    bool IsWindowEnabled() const { return isEnabled(); }

    // The message entry point of the queue and of SendMessage.
    LRESULT DeliverMessage(UINT msg, WPARAM w, LPARAM l) { return WindowProc(msg, w, l); }

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l);
    // True when handled.
    virtual bool OnCommand(int id, int code, HWND from);
    // True when handled; `result` is what the sender gets.
    virtual bool OnNotify(int id, NMHDR& header, LRESULT& result);
    virtual void OnTimer(std::uintptr_t id);
    virtual LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);
    virtual void OnCaptureChanged() {}

    void timerEvent(QTimerEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    HWND hwnd_ = 0;
    QPointer<Window> owner_;
    std::map<std::uintptr_t, int> timers_;  // our id -> Qt's timer id
};

// From any thread (the rules above).
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM w = 0, LPARAM l = 0);
bool PostMessage(HWND hwnd, UINT msg, WPARAM w = 0, LPARAM l = 0);
bool IsWindow(HWND hwnd);

// Control ids of widgets that are not Windows (buttons, edits of a dialog).
void SetControlId(QWidget* widget, int id);
int ControlId(const QWidget* widget);

}  // namespace gui
