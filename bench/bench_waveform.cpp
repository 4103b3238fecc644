// The waveform's three figures against their targets, each beside a baseline
// measured here:
//   peaks of a 10-minute 44.1 kHz 16-bit stereo WAV file (read, decode,
//     summarise): median at most 150 ms; baseline: the decoding alone;
//   one paint of the view of that file, 1200 by 240 pixels: median at most
//     5 ms; baseline: a paint of its one line of text;
//   changing the selection across 100 rows while their peaks are computed: no
//     step blocks the list's thread more than 16 ms; baseline: the same steps
//     once every row's peaks are cached.
// Qt runs offscreen. Built with the editor, since it paints.
#include <QApplication>
#include <QImage>
#include <cmath>
#include <filesystem>

#include "BenchSupport.h"
#include "UiBench.h"
#include "audio/WaveDecoder.h"
#include "bank/Columns.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"
#include "ui/WaveformPanel.h"
#include "ui/WaveformView.h"

using namespace quillon;

namespace {

constexpr uint32_t kRate = 44100;
constexpr int kRuns = 9;
constexpr int kRows = 100;

// Stereo 16-bit PCM of a tone that swells and fades, so no two buckets agree.
test::Bytes toneWav(uint32_t frames) {
    test::Bytes pcm;
    pcm.reserve(size_t(frames) * 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double level = 0.2 + 0.7 * std::abs(std::sin(t * 0.7));
        for (int c = 0; c < 2; ++c) {
            const auto sample =
                int16_t(std::lrint(level * std::sin(t * (440 + c * 3) * 6.2832) * 32767));
            pcm.push_back(uint8_t(uint16_t(sample) & 0xFF));
            pcm.push_back(uint8_t(uint16_t(sample) >> 8));
        }
    }
    return test::waveRiff({test::fmtChunk(test::pcmFormat(2, kRate, 16)), test::dataChunk(pcm)})
        .encode();
}

WaveformSource fileSource(const std::string& path, size_t size) {
    WaveformSource source;
    source.path = path;
    source.size = uint32_t(size);
    return source;
}

void report(const char* what, double figure, double baseline, double target) {
    std::printf("%-44s %8.2f ms  (baseline %8.2f ms, target <= %5.1f ms)  %s\n", what, figure,
                baseline, target, figure <= target ? "met" : "MISSED");
}

std::shared_ptr<const PeakSummary> peaksFigure(const std::string& path, size_t size) {
    const WaveformSource source = fileSource(path, size);
    std::vector<double> peaks, decodeOnly;
    PeaksResult result;
    for (int run = 0; run < kRuns; ++run)
        peaks.push_back(bench::millisecondsOf([&] { result = loadPeaks(source); }));
    // The baseline: the preview's whole-image decoding of the same file.
    for (int run = 0; run < kRuns; ++run) {
        decodeOnly.push_back(bench::millisecondsOf([&] {
            const auto image = readWaveformImage(source);
            (void)decodeWaveImage(*image);
        }));
    }
    if (!result.peaks) {
        std::fprintf(stderr, "no peaks: %s\n", result.error.c_str());
        std::exit(1);
    }
    report("peaks of 10 min 44.1 kHz 16-bit stereo", bench::median(peaks),
           bench::median(decodeOnly), 150);
    return result.peaks;
}

void paintFigure(std::shared_ptr<const PeakSummary> peaks) {
    CWaveformView view;
    view.resize(1200, 240);
    view.setLoop(CWaveformView::Loop{peaks->frames / 4, peaks->frames / 2});
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    auto paintOnce = [&] { view.render(&image); };
    std::vector<double> paints, textOnly;
    view.setMessage(QStringLiteral("Reading the waveform..."));
    for (int run = 0; run < kRuns * 3; ++run)
        textOnly.push_back(bench::millisecondsOf(paintOnce));
    view.setPeaks(peaks);
    view.setPlayFrame(peaks->frames / 3);
    for (int run = 0; run < kRuns * 3; ++run)
        paints.push_back(bench::millisecondsOf(paintOnce));
    report("one paint of the view, 1200 x 240", bench::median(paints), bench::median(textOnly), 5);
}

// Each step selects the next row and runs what the list's thread then runs:
// the panel's look at the selection and the events that are due.
double longestSelectionStep(RowList& rows, CWaveformPanel& panel) {
    double longest = 0;
    for (int i = 0; i < rows.size(); ++i) {
        longest = std::max(longest, bench::millisecondsOf([&] {
                               rows.clearSelection();
                               rows.setSelected(i, true);
                               QCoreApplication::processEvents();
                           }));
    }
    (void)panel;
    return longest;
}

void selectionFigure(const test::TempFolder& folder) {
    RowList rows;
    // Rows of one minute each, every one its own file: nothing is cached.
    const test::Bytes minute = toneWav(kRate * 60);
    for (int i = 0; i < kRows; ++i) {
        const std::string name = "row" + std::to_string(i) + ".wav";
        test::writeFile(folder.file(name), minute);
        Row row;
        for (int c = 0; c < kColumnCount; ++c)
            setCell(row, c, "*");
        setCell(row, kColLocation, folder.path());
        setCell(row, kColName, name);
        setCell(row, kColSize, std::to_string(minute.size()));
        rows.append(row);
    }
    CWaveformPanel panel(rows);
    CWaveformView side, dock;
    panel.addView(&side);
    panel.addView(&dock);
    const double computing = longestSelectionStep(rows, panel);
    // Then every row's peaks, cached, for the baseline.
    for (int i = 0; i < rows.size(); ++i) {
        rows.clearSelection();
        rows.setSelected(i, true);
        panel.refresh();
        while (panel.waiting())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    const double cached = longestSelectionStep(rows, panel);
    report("longest selection step, 100 rows computing", computing, cached, 16);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const test::TempFolder folder;
    const test::Bytes tenMinutes = toneWav(kRate * 600);
    const std::string path = folder.file("ten-minutes.wav");
    test::writeFile(path, tenMinutes);

    const std::shared_ptr<const PeakSummary> peaks = peaksFigure(path, tenMinutes.size());
    paintFigure(peaks);
    selectionFigure(folder);
    return 0;
}
