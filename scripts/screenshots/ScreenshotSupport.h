// What the screenshots share: banks of named sounds made on the spot, the
// editor in a private home, an Xvfb server on a display it picks itself, and
// captures of its screen.
#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "ui/QuillonApp.h"

namespace quillon::shots {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;

struct SoundSpec {
    const char* name;
    const char* description;
    const char* keys;  // the WAV comment: property keys
};

// A WAV file per sound in `folder`, each `frameStep` frames longer than the
// one before (the first firstFrames + frameStep), saved as a bank titled
// `title`; false when the bank cannot be made.
bool makeSoundBank(const std::string& bank, const std::string& folder,
                   std::span<const SoundSpec> sounds, const char* title, uint32_t firstFrames,
                   uint32_t frameStep);

// The editor in this process, showing `bank`, its window exposed; null when
// the bank does not open. Its audio plays on the loopback device, so the
// status bar does not say the machine has no sound device.
std::unique_ptr<CQuillonApp> startEditor(const std::string& bank);

// A left click on a row's Name cell, as a user's.
void clickRow(CQuillonApp& editor, int row);

// xwd, xwdtopnm and pnmtopng: what a capture needs besides the server.
bool haveCaptureTools();

// The whole screen of `display`, by way of the PNG file `png`; null on failure.
QImage captureScreen(const QString& display, const QString& png);

// The screen of `display` once two captures a quarter of a second apart agree
// and show more than a bare screen; null when it never settles within fifteen
// seconds.
QImage captureSettledScreen(const QString& display, const QString& png);

int distinctColours(const QImage& image);

// An Xvfb server of kScreenWidth by kScreenHeight on a display it picks itself
// (-displayfd); ended with the object.
class XServer {
  public:
    ~XServer();
    // False when Xvfb is missing or names no display.
    bool start();
    const QString& display() const { return display_; }

  private:
    QProcess server_;
    QString display_;
};

// Where a shot draws: the X display, and a private home for its files.
struct ShotPlace {
    QString display;
    QString home;
};

// Each shot sets the scene and returns the settled capture; null, after
// saying why on stderr, when it fails.
QImage shootMain(const ShotPlace& place);
QImage shootEditing(const ShotPlace& place);
QImage shootWaveform(const ShotPlace& place);
QImage shootUndo(const ShotPlace& place);

}  // namespace quillon::shots
