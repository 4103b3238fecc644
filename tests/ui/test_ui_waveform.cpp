// The waveform view rendered offscreen from known signals, read back pixel by
// pixel; and the waveform in the editor: following the selection, saying why a
// sample cannot be drawn, previewing from a click, and the dock's View menu
// switch remembered across a restart.
#include <QDockWidget>
#include <QTest>
#include <cmath>

#include "UiTestSupport.h"
#include "bank/Columns.h"
#include "operations/SampleOps.h"
#include "support/WavBuilder.h"
#include "ui/MainFrame.h"
#include "ui/QuillonView.h"
#include "ui/SidePanelBar.h"
#include "ui/WaveformPanel.h"
#include "ui/WaveformView.h"

using namespace quillon;
using namespace quillon::test;

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 180;

std::shared_ptr<const PeakSummary> peaksOf(const Bytes& image) {
    PeaksResult result = peaksOfWavImage(image);
    return result.peaks;
}

QImage render(CWaveformView& view) {
    view.resize(kWidth, kHeight);
    return view.grab().toImage();
}

// A mono or stereo 16-bit sine WAV image at 44.1 kHz.
Bytes sineWave(double frequency, uint32_t frames, uint32_t rate = 44100, double amplitude = 0.5,
               uint16_t channels = 1) {
    SineWave sine;
    sine.frequency = frequency;
    sine.rate = rate;
    sine.channels = channels;
    sine.frames = frames;
    sine.amplitude = amplitude;
    return waveRiff({fmtChunk(pcmFormat(channels, rate, 16)), dataChunk(sinePcm(sine))}).encode();
}

bool isRed(QRgb pixel) {
    return qRed(pixel) > 180 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
}

// A pixel of the waveform's own colours (envelope, RMS, clipping), not the lane's.
bool isDrawn(QRgb pixel) {
    return isRed(pixel) || (qBlue(pixel) > qRed(pixel) + 40);
}

}  // namespace

class WaveformTest : public QObject {
    Q_OBJECT
  private slots:
    void fullScaleSineFillsTheLaneAndIsMarkedClipped();
    void silenceIsAFlatCentreLine();
    void loopIsShadedBetweenItsFrames();
    void stereoShowsTwoLanes();
    void editorFollowsTheSelection();
    void undecodableRowSaysWhy();
    void clickPreviewsFromThatFrame();
    void playLineFollowsACountedLoopIntoItsNextPass();
    void dockChoiceIsRemembered();
};

void WaveformTest::fullScaleSineFillsTheLaneAndIsMarkedClipped() {
    CWaveformView view;
    view.setPeaks(peaksOf(sineWave(1000, 44100, 44100, 1.0)));
    const QImage image = render(view);
    const QRect lane = view.laneRect(0);
    // Every column reaches both edges; those holding a sample at full scale
    // (one peak in ten periods lands on it) are red.
    int redColumns = 0;
    for (int x = 0; x < kWidth; ++x) {
        QVERIFY2(isDrawn(image.pixel(x, lane.top())), qPrintable(QString::number(x)));
        QVERIFY2(isDrawn(image.pixel(x, lane.bottom())), qPrintable(QString::number(x)));
        if (isRed(image.pixel(x, lane.top()))) ++redColumns;
    }
    QVERIFY(redColumns >= kWidth / 5);
    QVERIFY(view.infoText().contains("peak 0.0 dBFS"));
    QVERIFY(view.infoText().contains("clipped"));
}

void WaveformTest::silenceIsAFlatCentreLine() {
    CWaveformView view;
    view.setPeaks(peaksOf(sineWave(1000, 44100, 44100, 0.0)));
    const QImage image = render(view);
    const QRect lane = view.laneRect(0);
    const int centre = lane.top() + (lane.height() - 1) / 2 + ((lane.height() - 1) % 2);
    for (int x = 0; x < kWidth; ++x) {
        int drawnRows = 0;
        for (int y = lane.top(); y <= lane.bottom(); ++y)
            if (isDrawn(image.pixel(x, y))) {
                ++drawnRows;
                QVERIFY2(std::abs(y - centre) <= 1, qPrintable(QString("x %1 y %2").arg(x).arg(y)));
            }
        QCOMPARE(drawnRows, 1);
    }
    QVERIFY(view.infoText().contains("peak -inf dBFS"));
}

void WaveformTest::loopIsShadedBetweenItsFrames() {
    CWaveformView view;
    view.setPeaks(peaksOf(sineWave(1000, 44100, 44100, 0.0)));
    view.setLoop(CWaveformView::Loop{11025, 22050});
    const QImage image = render(view);
    const QRect lane = view.laneRect(0);
    // A row clear of the centre line: only the loop's shade and edges differ.
    const int y = lane.top() + lane.height() / 4;
    const QRgb plain = image.pixel(kWidth - 1, y);
    int first = -1, last = -1;
    for (int x = 0; x < kWidth; ++x) {
        if (image.pixel(x, y) == plain) continue;
        if (first < 0) first = x;
        last = x;
    }
    QVERIFY(std::abs(first - kWidth / 4) <= 1);
    QVERIFY(std::abs(last - kWidth / 2) <= 1);
}

void WaveformTest::stereoShowsTwoLanes() {
    CWaveformView view;
    view.setPeaks(peaksOf(sineWave(1000, 44100, 44100, 0.5, 2)));
    const QImage image = render(view);
    const QRect left = view.laneRect(0), right = view.laneRect(1);
    QVERIFY(left.bottom() < right.top());
    for (const QRect& lane : {left, right}) {
        // Half scale reaches a quarter of the lane's height from its centre.
        const int x = kWidth / 3;
        QVERIFY(isDrawn(image.pixel(x, lane.center().y() - lane.height() / 5)));
        QVERIFY(!isDrawn(image.pixel(x, lane.top() + 2)));
    }
    QVERIFY(view.infoText().contains("stereo"));
}

void WaveformTest::editorFollowsTheSelection() {
    Editor e;
    openBank(e, 3);
    CWaveformPanel& panel = *e.frame().waveformPanel();
    CWaveformView& side = *e.frame().sidePanel()->waveform();
    clickRow(e.view(), 1);
    QTRY_VERIFY(side.peaks() != nullptr);
    QCOMPARE(panel.shownRow(), 1);
    QVERIFY(side.peaks()->frames > 0);
    QCOMPARE(e.frame().waveformDockView()->peaks(), side.peaks());

    selectRows(e.view(), {0, 1, 2});
    QTRY_VERIFY(side.infoText().startsWith("3 samples selected"));
    QCOMPARE(panel.shownRow(), 0);
    QTRY_VERIFY(panel.cache().size() >= 2);  // row 0 is computed on the worker
}

void WaveformTest::undecodableRowSaysWhy() {
    Editor e;
    openBank(e, 2);
    writeFile(e.file("broken.wav"), Bytes(200, 'x'));
    RowList& rows = e.doc().rows();
    rows.setCell(1, kColBank, "No");
    rows.setCell(1, kColLocation, e.file(""));
    rows.setCell(1, kColName, "broken.wav");
    rows.setCell(1, kColSize, "200");
    clickRow(e.view(), 1);
    CWaveformView& side = *e.frame().sidePanel()->waveform();
    QTRY_COMPARE(side.message(), QString("Not a WAV image that can be decoded"));
    QVERIFY(side.peaks() == nullptr);
}

void WaveformTest::clickPreviewsFromThatFrame() {
    Editor e;
    openBank(e, 2);
    e.frame().waveformDock()->show();
    clickRow(e.view(), 1);
    CWaveformView& dock = *e.frame().waveformDockView();
    QTRY_VERIFY(dock.peaks() != nullptr);
    // The loopback device plays only what the test renders: the position
    // stays where the preview started.
    const QPoint middle(dock.width() / 2, dock.laneRect(0).center().y());
    const uint64_t frame = dock.frameAtX(middle.x());
    QTest::mouseClick(&dock, Qt::LeftButton, {}, middle);
    QTRY_VERIFY(dock.playFrame().has_value());
    QCOMPARE(*dock.playFrame(), frame);
}

// A row whose Loop cell is 3 plays its whole sample three times from queued
// pieces: the line stands where the engine plays in the second pass.
void WaveformTest::playLineFollowsACountedLoopIntoItsNextPass() {
    constexpr uint32_t kFrames = 22050;        // one second at the file's rate
    constexpr uint32_t kOutputFrames = 66150;  // a second and a half at the output's 44.1 kHz
    Editor e;
    QVERIFY(addWaveFiles(e.doc(), {makeWav(e.file("long.wav"), kFrames)}));
    QVERIFY(e.doc().OnSaveDocument(e.file("bank.sad")));
    e.doc().rows().setCell(0, kColLoop, "3");
    e.frame().waveformDock()->show();
    clickRow(e.view(), 0);
    CWaveformView& dock = *e.frame().waveformDockView();
    QTRY_VERIFY(dock.peaks() != nullptr);
    e.app().PlayRow(0);
    std::vector<float> out(size_t(kOutputFrames) * 2);
    QCOMPARE(e.app().audio().system()->ZQRender(out.data(), kOutputFrames), ZQAudioResult::Ok);
    const auto inTheSecondPass = [&dock] {
        return dock.playFrame() && std::abs(double(*dock.playFrame()) - kFrames / 2) < kFrames / 50;
    };
    QTRY_VERIFY(inTheSecondPass());
}

void WaveformTest::dockChoiceIsRemembered() {
    QTemporaryDir home;
    {
        Editor e({}, home.path());
        QVERIFY(e.frame().waveformDock()->isHidden());
        QVERIFY(chooseMenuItem(e.frame(), CommandId::ViewWaveform));
        QVERIFY(!e.frame().waveformDock()->isHidden());
    }
    Editor again({}, home.path());
    QVERIFY(!again.frame().waveformDock()->isHidden());
}

QTEST_MAIN(WaveformTest)
#include "test_ui_waveform.moc"
