#include "ui/WaveformView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

constexpr int kRulerHeight = 16;
constexpr int kLaneGap = 2;
constexpr int kMinRulerLabelSpacing = 56;  // pixels between second labels
constexpr double kZoomPerNotch = 1.25;     // one wheel notch (120 eighths of a degree)
constexpr uint64_t kMinShownFrames = 32;
constexpr int kDragThreshold = 3;  // pixels a press may move and still be a click

const QColor kLaneBackground(250, 250, 252);
const QColor kCentreLine(190, 190, 200);
const QColor kEnvelope(70, 120, 190);
const QColor kRms(30, 70, 130);
const QColor kClipped(215, 30, 30);
const QColor kLoopShade(255, 190, 60, 70);
const QColor kLoopEdge(200, 120, 0);
const QColor kPlayLine(20, 150, 60);
const QColor kRulerText(80, 80, 90);

// Seconds between ruler ticks: 1, 2 or 5 times a power of ten, the smallest
// that keeps labels this far apart.
double rulerStep(double secondsPerPixel) {
    const double least = secondsPerPixel * kMinRulerLabelSpacing;
    double power = std::pow(10.0, std::floor(std::log10(std::max(least, 1e-6))));
    for (;;) {
        for (double factor : {1.0, 2.0, 5.0})
            if (factor * power >= least) return factor * power;
        power *= 10;
    }
}

QString secondsText(double seconds, double step) {
    const int decimals = step >= 1 ? 0 : std::min(6, int(std::ceil(-std::log10(step))));
    return QStringLiteral("%1 s").arg(seconds, 0, 'f', decimals);
}

// The pixel row of a level (-1 to 1) in a lane: full scale reaches its edges.
int levelY(const QRect& lane, float level) {
    const double span = lane.height() - 1;
    const double down = (1.0 - std::clamp(double(level), -1.0, 1.0)) * span / 2;
    return lane.top() + int(std::lround(down));
}

}  // namespace

CWaveformView::CWaveformView(QWidget* parent) : QWidget(parent) {
    setObjectName("waveformView");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setMessage(QString());
}

void CWaveformView::setPeaks(std::shared_ptr<const PeakSummary> peaks) {
    const bool same = peaks_ == peaks;
    peaks_ = std::move(peaks);
    message_.clear();
    if (!same) {
        playFrame_.reset();
        showAll();
    }
    update();
}

void CWaveformView::setMessage(const QString& text) {
    peaks_.reset();
    message_ = text;
    playFrame_.reset();
    showAll();
    update();
}

void CWaveformView::setLoop(std::optional<Loop> loop) {
    loop_ = loop;
    update();
}

void CWaveformView::setSelectedCount(int count) {
    if (selectedCount_ == count) return;
    selectedCount_ = count;
    update();
}

void CWaveformView::setPlayFrame(std::optional<uint64_t> frame) {
    if (playFrame_ == frame) return;
    playFrame_ = frame;
    update();
}

QString CWaveformView::infoText() const {
    QStringList parts;
    if (selectedCount_ > 1) parts << tr("%1 samples selected").arg(selectedCount_);
    if (peaks_) {
        const double dbfs = peaks_->peakDbfs();
        parts << tr("%1 s (%2 frames)")
                     .arg(peaks_->seconds(), 0, 'f', 3)
                     .arg(qulonglong(peaks_->frames));
        parts << (std::isinf(dbfs) ? tr("peak -inf dBFS")
                                   : tr("peak %1 dBFS").arg(dbfs, 0, 'f', 1));
        if (peaks_->clipped) parts << tr("clipped");
        parts << QString::fromStdString(peaks_->format);
    }
    return parts.join(QStringLiteral(" · "));
}

// --- Geometry -----------------------------------------------------------------------

QRect CWaveformView::rulerRect() const {
    return {0, 0, width(), kRulerHeight};
}

QRect CWaveformView::infoRect() const {
    const int height = fontMetrics().height() + 4;
    return {0, this->height() - height, width(), height};
}

QRect CWaveformView::wavesRect() const {
    return QRect(QPoint(0, rulerRect().bottom() + 1), QPoint(width() - 1, infoRect().top() - 1));
}

QRect CWaveformView::laneRect(int channel) const {
    const QRect waves = wavesRect();
    const int channels = peaks_ ? std::max<int>(peaks_->channels, 1) : 1;
    const int laneHeight = (waves.height() - kLaneGap * (channels - 1)) / channels;
    return {waves.left(), waves.top() + channel * (laneHeight + kLaneGap), waves.width(),
            laneHeight};
}

double CWaveformView::xOfFrame(uint64_t frame) const {
    if (viewFrames_ == 0) return 0;
    return (double(frame) - double(viewFirst_)) * width() / double(viewFrames_);
}

uint64_t CWaveformView::frameAtX(double x) const {
    if (width() <= 0) return viewFirst_;
    const double frame = double(viewFirst_) + x * double(viewFrames_) / width();
    return uint64_t(std::max(0.0, std::floor(frame)));
}

void CWaveformView::showAll() {
    viewFirst_ = 0;
    viewFrames_ = peaks_ ? peaks_->frames : 0;
}

void CWaveformView::scrollTo(double firstFrame) {
    if (!peaks_) return;
    const double last = double(peaks_->frames - viewFrames_);
    viewFirst_ = uint64_t(std::clamp(firstFrame, 0.0, last));
    update();
}

// --- Painting -----------------------------------------------------------------------

void CWaveformView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QRect info = infoRect();
    painter.setPen(palette().windowText().color());
    const QString line = fontMetrics().elidedText(infoText(), Qt::ElideRight, info.width() - 4);
    painter.drawText(info.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, line);
    if (!peaks_) {
        const QRect area = QRect(rulerRect().topLeft(), wavesRect().bottomRight());
        painter.drawText(area.adjusted(4, 0, -4, 0), Qt::AlignCenter | Qt::TextWordWrap, message_);
        return;
    }
    paintRuler(painter);
    for (int c = 0; c < peaks_->channels; ++c)
        paintLane(painter, c);
    paintLoop(painter);
    paintPlayFrame(painter);
}

void CWaveformView::paintRuler(QPainter& painter) const {
    const QRect ruler = rulerRect();
    painter.fillRect(ruler, palette().base());
    if (peaks_->rate == 0 || viewFrames_ == 0) return;
    const double secondsPerPixel = double(viewFrames_) / peaks_->rate / std::max(width(), 1);
    const double step = rulerStep(secondsPerPixel);
    const double firstSecond = double(viewFirst_) / peaks_->rate;
    const double lastSecond = firstSecond + double(viewFrames_) / peaks_->rate;
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.8));
    painter.setFont(small);
    painter.setPen(kRulerText);
    for (double s = std::ceil(firstSecond / step) * step; s <= lastSecond; s += step) {
        const int x = int(std::lround((s - firstSecond) * peaks_->rate * width() / viewFrames_));
        painter.drawLine(x, ruler.bottom() - 4, x, ruler.bottom());
        painter.drawText(QRect(x + 2, ruler.top(), kMinRulerLabelSpacing, ruler.height() - 2),
                         Qt::AlignLeft | Qt::AlignVCenter, secondsText(s, step));
    }
    painter.setFont(font());
}

void CWaveformView::paintLane(QPainter& painter, int channel) const {
    const QRect lane = laneRect(channel);
    if (lane.height() <= 0) return;
    painter.fillRect(lane, kLaneBackground);
    const int centre = levelY(lane, 0);
    painter.fillRect(QRect(lane.left(), centre, lane.width(), 1), kCentreLine);
    const auto c = uint16_t(channel);
    for (int x = 0; x < lane.width(); ++x) {
        const uint64_t first = frameAtX(x);
        if (first >= peaks_->frames) break;
        const PeakColumn column = peaks_->column(c, first, frameAtX(x + 1));
        const int top = levelY(lane, column.max);
        const int bottom = levelY(lane, column.min);
        painter.fillRect(QRect(lane.left() + x, top, 1, bottom - top + 1),
                         column.clipped ? kClipped : kEnvelope);
        // The RMS band, inside the envelope.
        const int rmsTop = std::max(top, levelY(lane, column.rms));
        const int rmsBottom = std::min(bottom, levelY(lane, -column.rms));
        if (rmsBottom > rmsTop && !column.clipped)
            painter.fillRect(QRect(lane.left() + x, rmsTop, 1, rmsBottom - rmsTop + 1), kRms);
    }
}

void CWaveformView::paintLoop(QPainter& painter) const {
    if (!loop_ || loop_->last < loop_->first) return;
    const QRect waves = wavesRect();
    const int left = int(std::lround(xOfFrame(loop_->first)));
    const int right = int(std::lround(xOfFrame(loop_->last + 1)));
    if (right < 0 || left > waves.right()) return;
    painter.fillRect(QRect(QPoint(left, waves.top()), QPoint(right, waves.bottom())), kLoopShade);
    painter.fillRect(QRect(left, waves.top(), 1, waves.height()), kLoopEdge);
    painter.fillRect(QRect(right, waves.top(), 1, waves.height()), kLoopEdge);
}

void CWaveformView::paintPlayFrame(QPainter& painter) const {
    if (!playFrame_) return;
    const int x = int(std::lround(xOfFrame(*playFrame_)));
    if (x < 0 || x >= width()) return;
    const QRect waves = wavesRect();
    painter.fillRect(QRect(x, waves.top(), 2, waves.height()), kPlayLine);
}

// --- Mouse --------------------------------------------------------------------------

void CWaveformView::wheelEvent(QWheelEvent* event) {
    if (!peaks_ || peaks_->frames == 0) return;
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) return;
    const double x = event->position().x();
    const double atPointer = double(viewFirst_) + x * double(viewFrames_) / std::max(width(), 1);
    const double wanted = double(viewFrames_) / std::pow(kZoomPerNotch, notches);
    const double least = double(std::min<uint64_t>(kMinShownFrames, peaks_->frames));
    viewFrames_ = uint64_t(std::clamp(wanted, least, double(peaks_->frames)));
    scrollTo(atPointer - x * double(viewFrames_) / std::max(width(), 1));
    event->accept();
}

void CWaveformView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !peaks_) return;
    pressAt_ = event->position();
    pressFirst_ = viewFirst_;
    dragged_ = false;
}

void CWaveformView::mouseMoveEvent(QMouseEvent* event) {
    if (!pressAt_ || !peaks_) return;
    const double dx = event->position().x() - pressAt_->x();
    if (!dragged_ && std::abs(dx) < kDragThreshold) return;
    dragged_ = true;
    if (viewFrames_ < peaks_->frames)
        scrollTo(double(pressFirst_) - dx * double(viewFrames_) / std::max(width(), 1));
}

void CWaveformView::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressAt_ || event->button() != Qt::LeftButton) return;
    pressAt_.reset();
    if (dragged_ || !peaks_) return;
    const uint64_t frame = frameAtX(event->position().x());
    if (frame < peaks_->frames) emit previewRequested(frame);
}

}  // namespace quillon
