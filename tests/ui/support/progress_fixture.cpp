#include "tests/ui/support/progress_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "controls/text_progress_ctrl.h"
#include "platform/gui/dialog_builder.h"

namespace progress_test {

void PrepareDialogs() {
    gui::InstallDialogTemplateBuilder();
    RegisterTextProgressControlClass();
}

void LogRecorder::Receive(CLogger*, const ErrorInfo& entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(entry);
}

std::vector<ErrorInfo> LogRecorder::Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

void Gate::Arm(plat::FsOp op, std::u16string part, int nth) {
    std::lock_guard lock(mutex_);
    op_ = op;
    part_ = std::move(part);
    left_ = nth;
    reached_ = false;
}

void Gate::OnCall(plat::FsOp op, const CString& path) {
    std::unique_lock lock(mutex_);
    if (op != op_ || left_ <= 0 || path.view().find(part_) == std::u16string_view::npos) return;
    if (--left_ > 0) return;
    reached_ = true;
    changed_.notify_all();
    const std::uint64_t waitFor = releases_ + 1;
    changed_.wait(lock, [&] { return releases_ >= waitFor; });
}

bool Gate::WaitReached() {
    return WaitUntil([&] {
        std::lock_guard lock(mutex_);
        return reached_;
    });
}

void Gate::Release() {
    std::lock_guard lock(mutex_);
    ++releases_;
    op_ = plat::FsOp::Count;
    reached_ = false;
    changed_.notify_all();
}

void Gate::ReleaseAndArm(plat::FsOp op, std::u16string part, int nth) {
    std::lock_guard lock(mutex_);
    ++releases_;
    op_ = op;
    part_ = std::move(part);
    left_ = nth;
    reached_ = false;
    changed_.notify_all();
}

Profile::Profile() {
    std::filesystem::create_directories(dir.Path("left"));
    std::filesystem::create_directories(dir.Path("right"));
    logger.AddView(&log);
    fs.SetCallHook([this](plat::FsOp op, const CString& path) { gate.OnCall(op, path); });
    db.SetFileSystem(&fs);
    ErrorInfo error;
    EXPECT_EQ(db.Create(dir.Root() + u"left/", dir.Root() + u"right/", error), 0);
}

Profile::~Profile() {
    gate.Release();
    logger.RemoveView(&log);
}

void Profile::Write(const std::string& side, const std::string& relative, const std::string& content) {
    const auto path = dir.Path(side + "/" + relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string Profile::Read(const std::string& side, const std::string& relative) const {
    std::ifstream in(dir.Path(side + "/" + relative), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Profile::Exists(const std::string& side, const std::string& relative) const {
    return std::filesystem::exists(dir.Path(side + "/" + relative));
}

void Profile::ScanNow(bool binary) { ASSERT_EQ(db.Scan(&proxy, nullptr, binary), 0u); }

gui::LRESULT RecordingView::OnMessage(gui::UINT msg, gui::WPARAM w, gui::LPARAM l) {
    if (msg == gui::WM_USER + 102) events.emplace_back(static_cast<std::uint32_t>(w), static_cast<std::uintptr_t>(l));
    return 0;
}

MainWindowTray::MainWindowTray() : view(new RecordingView) {
    view->setParent(&main);
    main.resize(300, 200);
    main.show();
    GetApp().SetTrayHost(this);
}

MainWindowTray::~MainWindowTray() { GetApp().SetTrayHost(nullptr); }

void MainWindowTray::HideToTray() {
    inTray_ = true;
    main.hide();
}

void MainWindowTray::RestoreFromTray() {
    inTray_ = false;
    main.show();
}

int RunDialog(gui::ScriptedPromptRunner& prompts, gui::Dialog& dialog, const std::vector<int>& answers,
              const std::function<void(QWidget& window)>& during) {
    prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
        if (during && host.Widget()) during(*host.Widget());
        if (!WaitUntil([&] { return !host.IsModalRunning(); })) {
            ADD_FAILURE() << "the dialog did not end by itself";
            host.EndModal(gui::IDCANCEL);
        }
    });
    for (int id : answers) prompts.Answer(id);
    return dialog.DoModal();
}

void ProcessEventsFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool WaitUntil(const std::function<bool()>& pred) {
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > 20000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

}  // namespace progress_test
