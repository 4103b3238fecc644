// The waveform dock in use: a bank of engine sounds is open, a stereo sample
// with a loop region is selected, and the dock below the list shows it with
// its loop shaded.
#include <QDir>
#include <QDockWidget>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ScreenshotSupport.h"
#include "bank/QuillonDoc.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/WavBuilder.h"
#include "ui/MainFrame.h"
#include "ui/WaveformView.h"

namespace quillon::shots {

using namespace quillon::test;

namespace {

constexpr uint32_t kRate = 22050;

struct Sound {
    const char* name;
    double seconds;
    double frequency;
    double loopFrom, loopTo;  // fractions of the length; equal: no loop
};

const Sound kSounds[] = {
    {"engine_start.wav", 1.6, 55, 0, 0},     {"engine_idle_loop.wav", 2.0, 48, 0.3, 0.8},
    {"engine_rev.wav", 1.2, 80, 0, 0},       {"engine_stop.wav", 1.4, 40, 0, 0},
    {"horn_short.wav", 0.5, 440, 0, 0},      {"horn_long.wav", 1.5, 440, 0.2, 0.7},
    {"door_slam.wav", 0.7, 120, 0, 0},       {"tyre_squeal.wav", 1.1, 900, 0, 0},
    {"gear_shift.wav", 0.4, 300, 0, 0},      {"wipers_loop.wav", 1.8, 65, 0.1, 0.9},
    {"indicator_tick.wav", 0.3, 1200, 0, 0}, {"handbrake.wav", 0.6, 200, 0, 0},
};

// A stereo tone that swells in, wavers and dies away, the right channel a
// little behind the left: something to look at.
Bytes shapedWav(const Sound& sound) {
    const auto frames = uint32_t(sound.seconds * kRate);
    Bytes pcm;
    for (uint32_t i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double attack = std::min(1.0, t / 0.08);
        const double decay = std::exp(-2.2 * t / sound.seconds);
        const double waver = 0.75 + 0.25 * std::sin(2 * M_PI * 3.1 * t);
        for (int c = 0; c < 2; ++c) {
            const double phase = 2 * M_PI * sound.frequency * (t - c * 0.002);
            const double value =
                attack * decay * waver * (0.7 * std::sin(phase) + 0.25 * std::sin(phase * 2.01));
            const auto sample = int16_t(std::lrint(std::clamp(value, -1.0, 1.0) * 32767));
            pcm.push_back(uint8_t(uint16_t(sample) & 0xFF));
            pcm.push_back(uint8_t(uint16_t(sample) >> 8));
        }
    }
    std::vector<RiffChunkSpec> chunks = {fmtChunk(pcmFormat(2, kRate, 16)), dataChunk(pcm)};
    if (sound.loopTo > sound.loopFrom) {
        PcmWavSpec spec;
        spec.frames = frames;
        LoopSpec loop;
        loop.startFrame = uint32_t(sound.loopFrom * frames);
        loop.lengthFrames = uint32_t((sound.loopTo - sound.loopFrom) * frames);
        spec.loop = loop;
        std::vector<RiffChunkSpec> marked = pcmWavChunks(spec);
        chunks.insert(chunks.end(), marked.begin() + 2, marked.end());
    }
    return waveRiff(chunks).encode();
}

std::string makeEngineBank(const QString& home) {
    const std::string folder = (home + "/engine").toStdString();
    QDir().mkpath(QString::fromStdString(folder));
    std::vector<std::string> paths;
    for (const Sound& sound : kSounds) {
        paths.push_back(folder + "/" + sound.name);
        writeFile(paths.back(), shapedWav(sound));
    }
    FakeShell shell;
    CQuillonDoc doc(shell, nullptr);
    const std::string bank = (home + "/Garage.sad").toStdString();
    if (!addWaveFiles(doc, paths)) return {};
    doc.setTitle("Garage - vehicle sounds");
    return doc.OnSaveDocument(bank) ? bank : std::string();
}

}  // namespace

QImage shootWaveform(const ShotPlace& place) {
    const std::string bank = makeEngineBank(place.home);
    if (bank.empty()) return {};
    std::unique_ptr<CQuillonApp> editor = startEditor(bank);
    if (!editor) return {};
    CMainFrame& frame = *editor->mainFrame();
    frame.waveformDock()->show();
    frame.resizeDocks({frame.waveformDock()}, {230}, Qt::Vertical);
    clickRow(*editor, 1);  // "engine_idle_loop.wav", looped from 30 % to 80 %
    CWaveformView& dock = *frame.waveformDockView();
    if (!QTest::qWaitFor([&dock] { return dock.peaks() != nullptr; }, 10000)) {
        std::fprintf(stderr, "the dock drew no waveform\n");
        return {};
    }
    return captureSettledScreen(place.display, place.home + "/capture.png");
}

}  // namespace quillon::shots
