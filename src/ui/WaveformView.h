// The waveform of one sample, painted from its peak summary: one lane per
// channel with the min/max envelope of every pixel column and its RMS shaded
// inside, full-scale columns in red, the loop region shaded between its two
// edges, a time ruler in seconds above and the length, peak level and format
// below. Without peaks it shows one line of text instead (a placeholder while
// they are computed, or why the sample cannot be drawn).
//
// A click asks for a preview from the frame under the pointer, the wheel zooms
// around the pointer and a drag scrolls while zoomed in.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

#include "audio/Waveform.h"

namespace quillon {

class CWaveformView : public QWidget {
    Q_OBJECT
  public:
    explicit CWaveformView(QWidget* parent = nullptr);

    // The sample to draw; the zoom goes back to the whole sample when it changes.
    void setPeaks(std::shared_ptr<const PeakSummary> peaks);
    // One line of text in place of the waveform.
    void setMessage(const QString& text);
    // The loop region: frames first to last, inclusive; none without a loop.
    struct Loop {
        uint64_t first = 0;
        uint64_t last = 0;
    };
    void setLoop(std::optional<Loop> loop);
    // How many rows are selected: more than one says so under the waveform.
    void setSelectedCount(int count);
    // The frame the output plays; none while nothing of this sample plays.
    void setPlayFrame(std::optional<uint64_t> frame);

    [[nodiscard]] const PeakSummary* peaks() const { return peaks_.get(); }
    [[nodiscard]] const QString& message() const { return message_; }
    [[nodiscard]] QString infoText() const;
    [[nodiscard]] std::optional<uint64_t> playFrame() const { return playFrame_; }
    // The frames shown, first and count.
    [[nodiscard]] uint64_t firstShownFrame() const { return viewFirst_; }
    [[nodiscard]] uint64_t shownFrames() const { return viewFrames_; }
    // The x position of a frame, and the frame at an x position.
    [[nodiscard]] double xOfFrame(uint64_t frame) const;
    [[nodiscard]] uint64_t frameAtX(double x) const;
    // The rectangle of a channel's lane.
    [[nodiscard]] QRect laneRect(int channel) const;

    QSize sizeHint() const override { return {160, 120}; }
    QSize minimumSizeHint() const override { return {80, 72}; }

  signals:
    void previewRequested(uint64_t frame);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    [[nodiscard]] QRect rulerRect() const;
    [[nodiscard]] QRect wavesRect() const;
    [[nodiscard]] QRect infoRect() const;
    void paintRuler(QPainter& painter) const;
    void paintLane(QPainter& painter, int channel) const;
    void paintLoop(QPainter& painter) const;
    void paintPlayFrame(QPainter& painter) const;
    void showAll();
    void scrollTo(double firstFrame);

    std::shared_ptr<const PeakSummary> peaks_;
    QString message_;
    std::optional<Loop> loop_;
    std::optional<uint64_t> playFrame_;
    int selectedCount_ = 0;
    uint64_t viewFirst_ = 0;
    uint64_t viewFrames_ = 0;
    // A press: where it began, the first frame shown then, and whether it moved.
    std::optional<QPointF> pressAt_;
    uint64_t pressFirst_ = 0;
    bool dragged_ = false;
};

}  // namespace quillon
