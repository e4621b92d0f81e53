#include "platform/gui/animation_control.h"

#include <QPainter>

#include "platform/gui/resource_images.h"
#include "resources/resource_set.h"

namespace gui {

AnimationControl::AnimationControl(QWidget* parent) : QWidget(parent) {
    connect(&timer_, &QTimer::timeout, this, [this] { Advance(); });
}

bool AnimationControl::Open(std::uint32_t id) {
    Close();
    const auto animation = FindResource<Animation>(id);
    if (!animation) return false;
    std::vector<QImage> frames = AnimationFrames(*animation);
    if (frames.empty()) return false;
    SetFrames(std::move(frames), animation->framesPerSecond);
    return true;
}

void AnimationControl::SetFrames(std::vector<QImage> frames, int framesPerSecond) {
    timer_.stop();
    frames_ = std::move(frames);
    intervalMs_ = framesPerSecond > 0 ? std::max(1, 1000 / framesPerSecond) : 100;
    current_ = frames_.empty() ? -1 : 0;
    update();
}

void AnimationControl::Close() { SetFrames({}, 0); }

bool AnimationControl::Play(int first, int last, int repeat) {
    const int count = FrameCount();
    if (last < 0) last = count - 1;
    if (count == 0 || first < 0 || first > last || last >= count) return false;
    timer_.stop();
    first_ = first;
    last_ = last;
    repeatsLeft_ = repeat < 0 ? -1 : repeat;
    current_ = first;
    update();
    // One frame, or no pass at all: it is shown and nothing moves.
    if (first != last && repeat != 0) timer_.start(intervalMs_);
    return true;
}

void AnimationControl::Stop() { timer_.stop(); }

bool AnimationControl::Seek(int frame) {
    if (frame < 0 || frame >= FrameCount()) return false;
    timer_.stop();
    current_ = frame;
    update();
    return true;
}

// Each pass shows first..last; reaching the last frame ends a pass, and after the last
// pass the control stops there.
void AnimationControl::Advance() {
    current_ = current_ >= last_ ? first_ : current_ + 1;
    if (current_ == last_ && repeatsLeft_ > 0 && --repeatsLeft_ == 0) timer_.stop();
    update();
}

QSize AnimationControl::sizeHint() const { return frames_.empty() ? QSize(0, 0) : frames_.front().size(); }

void AnimationControl::paintEvent(QPaintEvent*) {
    if (current_ < 0 || current_ >= FrameCount()) return;
    const QImage& frame = frames_[std::size_t(current_)];
    QPoint at(0, 0);
    if (centered_) at = QPoint((width() - frame.width()) / 2, (height() - frame.height()) / 2);
    QPainter(this).drawImage(at, frame);
}

}  // namespace gui
