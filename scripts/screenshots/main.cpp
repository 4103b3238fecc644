// quillon-screenshots: draws the editor on an Xvfb server of its own and saves
// a capture of the screen, the pictures the README shows.
//
//   quillon-screenshots main|editing|waveform|undo <file.png>
//
// Needs Xvfb, xwd, xwdtopnm and pnmtopng. scripts/screenshots/make runs it for
// every picture in docs/.
#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <map>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"

using namespace quillon::shots;

int main(int argc, char** argv) {
    const std::map<std::string, QImage (*)(const ShotPlace&)> shots = {{"main", shootMain},
                                                                       {"editing", shootEditing},
                                                                       {"waveform", shootWaveform},
                                                                       {"undo", shootUndo}};
    if (argc != 3 || !shots.contains(argv[1])) {
        std::fprintf(stderr, "usage: %s main|editing|waveform|undo <file.png>\n", argv[0]);
        return 2;
    }
    if (!haveCaptureTools()) {
        std::fprintf(stderr, "xwd, xwdtopnm or pnmtopng is not installed\n");
        return 1;
    }
    XServer server;
    if (!server.start()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    // The platform is chosen when the application starts.
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("DISPLAY", server.display().toUtf8());
    QTemporaryDir home;
    quillon::test::usePrivateHome(home.path());
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quillon");

    const QImage shot = shots.at(argv[1])({server.display(), home.path()});
    if (shot.isNull() || shot.size() != QSize(kScreenWidth, kScreenHeight) ||
        distinctColours(shot) <= 20) {
        std::fprintf(stderr, "%s: the screen never showed the editor\n", argv[1]);
        return 1;
    }
    const QString target = QString::fromLocal8Bit(argv[2]);
    if (!shot.save(target)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s\n", qPrintable(QFileInfo(target).absoluteFilePath()));
    return 0;
}
