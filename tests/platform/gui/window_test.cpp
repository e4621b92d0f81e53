// The window base: messages sent and posted on the user-interface thread, commands and
// notifications to the owner, timers by id, capture, enabling and control ids.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <vector>

#include "platform/gui/window.h"

using namespace gui;

namespace {

constexpr UINT WM_TEST = WM_USER + 7;

// Records every message, command, notification and timer it gets.
class Probe : public Window {
public:
    using Window::Window;
    struct Event {
        std::string what;
        std::intptr_t a = 0, b = 0;
        bool operator==(const Event&) const = default;
    };
    std::vector<Event> events;
    int captureLost = 0;

protected:
    bool OnCommand(int id, int code, HWND from) override {
        events.push_back({"command", id, code});
        lastFrom = from;
        return true;
    }
    bool OnNotify(int id, NMHDR& header, LRESULT& result) override {
        events.push_back({"notify", id, header.code});
        lastFrom = header.hwndFrom;
        result = 99;
        return true;
    }
    void OnTimer(std::uintptr_t id) override { events.push_back({"timer", static_cast<std::intptr_t>(id), 0}); }
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override {
        events.push_back({"message", static_cast<std::intptr_t>(msg - WM_USER), static_cast<std::intptr_t>(w + l)});
        return static_cast<LRESULT>(w * 10);
    }
    void OnCaptureChanged() override { ++captureLost; }

public:
    HWND lastFrom = 0;
};

void ProcessUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

TEST(WindowTest, SendIsDirectAndPostWaitsForTheEventLoop) {
    Probe probe;
    EXPECT_EQ(probe.SendMessage(WM_TEST, 4, 1), 40);
    ASSERT_EQ(probe.events.size(), 1u);
    EXPECT_TRUE(PostMessage(probe.Handle(), WM_TEST, 1, 0));
    EXPECT_TRUE(probe.PostMessage(WM_TEST, 2, 0));
    EXPECT_EQ(probe.events.size(), 1u);  // not yet: a post is queued
    ProcessUntil([&] { return probe.events.size() == 3; });
    EXPECT_EQ(probe.events, (std::vector<Probe::Event>{{"message", 7, 5}, {"message", 7, 1}, {"message", 7, 2}}));
    EXPECT_EQ(SendMessage(probe.Handle(), WM_TEST, 3, 0), 30);
}

TEST(WindowTest, MessagesToAWindowThatWentAreDropped) {
    HWND gone;
    {
        Probe probe;
        gone = probe.Handle();
        EXPECT_TRUE(probe.PostMessage(WM_TEST, 1, 0));
        EXPECT_TRUE(IsWindow(gone));
    }
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(Window::FromHandle(gone), nullptr);
    EXPECT_FALSE(PostMessage(gone, WM_TEST, 1, 0));
    EXPECT_EQ(SendMessage(gone, WM_TEST, 1, 0), 0);
    QCoreApplication::processEvents();  // the dropped post is not delivered anywhere
    Probe next;
    EXPECT_NE(next.Handle(), gone);  // numbers are never given twice
}

TEST(WindowTest, CommandsAndNotificationsGoToTheOwner) {
    Probe parent;
    Probe child(&parent);
    child.SetDlgCtrlID(1000);
    child.SendCommandToOwner(BN_CLICKED);
    NMHDR header;
    header.code = NM_CLICK;
    EXPECT_EQ(child.SendNotifyToOwner(header), 99);
    EXPECT_EQ(header.idFrom, 1000u);
    EXPECT_EQ(parent.lastFrom, child.Handle());
    EXPECT_TRUE(child.PostCommandToOwner(5));
    ProcessUntil([&] { return parent.events.size() == 3; });
    EXPECT_EQ(parent.events, (std::vector<Probe::Event>{{"command", 1000, 0}, {"notify", 1000, -2}, {"command", 1000, 5}}));
    // An owner set explicitly takes the place of the parent.
    Probe other;
    child.SetOwner(&other);
    child.SendCommandToOwner(1);
    EXPECT_EQ(other.events.size(), 1u);
    EXPECT_EQ(parent.events.size(), 3u);
}

TEST(WindowTest, TimersByIdUntilKilled) {
    Probe probe;
    probe.SetTimer(513, 1);
    probe.SetTimer(7, 1);
    ProcessUntil([&] {
        int a = 0, b = 0;
        for (const auto& e : probe.events) (e.a == 513 ? a : b)++;
        return a >= 2 && b >= 2;
    });
    EXPECT_TRUE(probe.KillTimer(513));
    EXPECT_FALSE(probe.KillTimer(513));
    probe.events.clear();
    ProcessUntil([&] { return probe.events.size() >= 3; });
    for (const auto& e : probe.events) EXPECT_EQ(e, (Probe::Event{"timer", 7, 0}));
}

TEST(WindowTest, CaptureMovesAndIsLost) {
    Probe a, b;
    a.show();
    b.show();
    a.SetCapture();
    EXPECT_EQ(Window::GetCapture(), &a);
    b.SetCapture();
    EXPECT_EQ(Window::GetCapture(), &b);
    EXPECT_EQ(a.captureLost, 1);
    b.hide();
    EXPECT_EQ(Window::GetCapture(), nullptr);
    EXPECT_EQ(b.captureLost, 1);
    a.SetCapture();
    Window::ReleaseCapture();
    EXPECT_EQ(a.captureLost, 2);
    {
        Probe gone;
        gone.SetCapture();
    }
    EXPECT_EQ(Window::GetCapture(), nullptr);
}

TEST(WindowTest, EnablingAndControlIds) {
    Probe probe;
    EXPECT_FALSE(probe.EnableWindow(false));  // it was enabled
    EXPECT_FALSE(probe.IsWindowEnabled());
    EXPECT_TRUE(probe.EnableWindow(true));  // it was disabled
    auto* button = new QPushButton(&probe);
    SetControlId(button, 12);
    auto* nested = new QWidget(button);
    SetControlId(nested, 13);
    EXPECT_EQ(probe.GetDlgItem(12), button);
    EXPECT_EQ(probe.GetDlgItem(13), nested);
    EXPECT_EQ(probe.GetDlgItem(14), nullptr);
    EXPECT_EQ(ControlId(button), 12);
    EXPECT_EQ(probe.GetDlgCtrlID(), 0);
}
