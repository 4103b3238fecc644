// What the screenshot tests share: a bank of named sounds made on the spot, an
// Xvfb server on a display it picks itself, and captures of its screen.
#pragma once

#include <sys/types.h>

#include <QApplication>
#include <QImage>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTest>
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

// The screen of `display` once two captures a quarter of a second apart agree;
// null when it never settles within ten seconds.
QImage captureSettledScreen(const QString& display, const QString& png);

// Saves a capture at $envName, or at fileName in the working folder, and
// says where; false when it cannot be written.
bool saveScreenshot(const QImage& shot, const char* envName, const char* fileName);

// True for a null image or one of a single colour: a bare screen.
bool isUniform(const QImage& image);
int distinctColours(const QImage& image);

// The environment of the editor program started on `display`: the X
// platform, and $HOME and the XDG folders below `home`.
QProcessEnvironment editorEnvironment(const QString& home, const QString& display);

// Runs a program to its end; its exit status, or -1 when it did not end
// within 30 seconds.
int run(const QString& program, const QStringList& arguments,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// xdotool on the display; true when it succeeds. "search --sync" waits for
// a window, so a window that never comes fails after run()'s limit.
bool xdotool(const QString& display, const QStringList& arguments);

// Waits for a shown window whose name matches, gives it the keyboard and
// presses the keys there as a person would.
bool keysTo(const QString& display, const QString& window, const QStringList& keys);

// A cell of the bank on disk as a fresh open reads it; "(unreadable)" when
// the bank or the row cannot be read.
std::string cellOnDisk(const std::string& bank, int row, int column);

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

// The main() of a screenshot test that draws in its own process: on a fresh
// Xvfb server when one and the capture tools are there (*server then points
// at it), offscreen otherwise, where the test skips.
template <typename Test>
int runScreenshotTest(int argc, char** argv, XServer*& server) {
    XServer own;
    if (haveCaptureTools() && own.start()) {
        server = &own;
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", QByteArray::fromStdString(own.display()));
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace quillon::test
