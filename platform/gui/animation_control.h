#pragma once
// The animation control of dialogs: shows the frames of an animation resource
// (resources/image_resources.h) one after another at the resource's rate, as the progress
// dialogs do while they work.
//
// Threads: GUI thread only (a QWidget with a QTimer).
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace gui {

class AnimationControl : public QWidget {
public:
    explicit AnimationControl(QWidget* parent = nullptr);

    // Loads animation resource id (FindResource: a language's first) and shows its first
    // frame; false, showing nothing, when there is no such resource or it does not decode.
    bool Open(std::uint32_t id);
    // Takes the frames directly (tests, run-time animations).
    void SetFrames(std::vector<QImage> frames, int framesPerSecond);
    // Drops the frames and stops.
    void Close();

    // Plays frames first..last (last -1: the final frame) repeat times (-1: until Stop);
    // false when nothing is open or the range lies outside the frames.
    bool Play(int first, int last, int repeat);
    // Stops at the frame shown.
    void Stop();
    // Shows one frame and stops; false outside the frames.
    bool Seek(int frame);

    // Frames centred in the control (else at its top-left).
    void SetCentered(bool centered) { centered_ = centered; }

    bool IsPlaying() const { return timer_.isActive(); }
    int CurrentFrame() const { return current_; }
    int FrameCount() const { return int(frames_.size()); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Advance();

    std::vector<QImage> frames_;
    int intervalMs_ = 100;
    int current_ = -1;
    int first_ = 0;
    int last_ = 0;
    int repeatsLeft_ = 0;  // -1: forever
    bool centered_ = false;
    QTimer timer_;
};

}  // namespace gui
