// What the screenshot tests share: a bank of named sounds made on the spot, an
// Xvfb server on a display it picks itself, and captures of its screen.
#pragma once

#include <sys/types.h>

#include <QImage>
#include <QString>
#include <cstdint>
#include <span>
#include <string>

namespace quillon::test {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;

struct SoundSpec {
    const char* name;
    const char* description;
    const char* keys;  // the WAV comment: property keys
};

// A WAV file per sound in `folder`, each `frameStep` frames longer than the
// one before (the first firstFrames + frameStep), saved as a bank titled
// `title`.
void makeSoundBank(const std::string& bank, const std::string& folder,
                   std::span<const SoundSpec> sounds, const char* title, uint32_t firstFrames,
                   uint32_t frameStep);

// xwd, xwdtopnm and pnmtopng: what a capture needs besides the server.
bool haveCaptureTools();

// The whole screen of `display`, by way of the PNG file `png`; null on failure.
QImage captureScreen(const QString& display, const QString& png);

// True for a null image or one of a single colour: a bare screen.
bool isUniform(const QImage& image);
int distinctColours(const QImage& image);

// An Xvfb server of kScreenWidth by kScreenHeight on a display it picks itself
// (-displayfd); ended with the object.
class XServer {
  public:
    XServer() = default;
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    ~XServer();

    // False when Xvfb is missing or names no display.
    bool start();
    const std::string& display() const { return display_; }

  private:
    pid_t pid_ = 0;
    std::string display_;
};

}  // namespace quillon::test
