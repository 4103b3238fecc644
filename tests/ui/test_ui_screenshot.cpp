// The real editor program on a real X server: quillon starts on Xvfb with a
// 20-row bank named on its command line, and the screen is captured once the
// window has settled. The capture is kept as screenshot-main.png in the test's
// working folder (or at $QUILLON_SCREENSHOT). The editor inherits
// QT_SCALE_FACTOR: docs/screenshot-scale-1.5.png is this capture at 1.5.
//
// The test starts its own Xvfb on a free display; with $QUILLON_TEST_DISPLAY
// set it uses that server instead. Without Xvfb, xwd, xwdtopnm and pnmtopng it
// is skipped.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "ScreenshotSupport.h"

using namespace quillon;

namespace {

const test::SoundSpec kSounds[] = {
    {"door_open.wav", "Heavy door opens", "ZQ_PRIORITY=5 ZQ_VOLUME=110 ZQ_PLAYBACK_TYPE=2"},
    {"door_close.wav", "Heavy door shuts", "ZQ_PRIORITY=5 ZQ_VOLUME=110 ZQ_PLAYBACK_TYPE=2"},
    {"footstep_grass_01.wav", "Step on grass", "ZQ_PRIORITY=2 ZQ_GROUP=1 ZQ_PITCH_VAR=8"},
    {"footstep_grass_02.wav", "Step on grass", "ZQ_PRIORITY=2 ZQ_GROUP=1 ZQ_PITCH_VAR=8"},
    {"footstep_stone_01.wav", "Step on stone", "ZQ_PRIORITY=2 ZQ_GROUP=2 ZQ_PITCH_VAR=6"},
    {"footstep_stone_02.wav", "Step on stone", "ZQ_PRIORITY=2 ZQ_GROUP=2 ZQ_PITCH_VAR=6"},
    {"wind_loop.wav", "Wind in the pines", "ZQ_ATMOS_GROUP=1 ZQ_ATMOS_WHEN=40 ZQ_LOOP_COUNT=-1"},
    {"birds_morning.wav", "Birdsong", "ZQ_ATMOS_GROUP=1 ZQ_ATMOS_WHEN=120 ZQ_PAN=40"},
    {"river_flow.wav", "River, close", "ZQ_ATMOS_GROUP=2 ZQ_ATMOS_WHEN=0 ZQ_LOOP_COUNT=-1"},
    {"sword_draw.wav", "Blade leaves sheath", "ZQ_PRIORITY=8 ZQ_VOLUME=120 ZQ_PLAYBACK_TYPE=3"},
    {"sword_hit_metal.wav", "Clash", "ZQ_PRIORITY=9 ZQ_VOLUME=127 ZQ_PITCH_VAR=12"},
    {"shield_block.wav", "Block", "ZQ_PRIORITY=9 ZQ_VOLUME=120"},
    {"coin_pickup.wav", "Coins", "ZQ_PRIORITY=4 ZQ_VOLUME=90 ZQ_PLAYBACK_TYPE=1"},
    {"chest_open.wav", "Chest creaks open", "ZQ_PRIORITY=5 ZQ_VOLUME=100"},
    {"fire_crackle.wav", "Campfire",
     "ZQ_ATMOS_GROUP=3 ZQ_LOOP_COUNT=-1 ZQ_MIN_DIST=1 ZQ_MAX_DIST=30"},
    {"horse_neigh.wav", "Horse", "ZQ_PRIORITY=6 ZQ_3D_X_POS=-120 ZQ_3D_Z_POS=40"},
    {"bell_tower.wav", "Distant bell", "ZQ_PRIORITY=3 ZQ_MIN_DIST=10 ZQ_MAX_DIST=400"},
    {"menu_click.wav", "Menu click", "ZQ_PRIORITY=1 ZQ_VOLUME=80 ZQ_PAN=90"},
    {"menu_back.wav", "Menu back", "ZQ_PRIORITY=1 ZQ_VOLUME=80 ZQ_PAN=90"},
    {"thunder_far.wav", "Thunder rolls", "ZQ_PRIORITY=7 ZQ_SCALE=15 ZQ_USER_PARAM=200"},
};

}  // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT
  private slots:
    void editorOnAnXServer();
};

void ScreenshotTest::editorOnAnXServer() {
    if (!test::haveCaptureTools()) QSKIP("xwd, xwdtopnm or pnmtopng is not installed");
    test::XServer server;
    QString display = qEnvironmentVariable("QUILLON_TEST_DISPLAY");
    if (display.isEmpty()) {
        if (!server.start()) QSKIP("Xvfb is not installed");
        display = QString::fromStdString(server.display());
    }

    QTemporaryDir home(QDir::tempPath() + "/castle-XXXXXX");
    std::string bank = home.filePath("Courtyard.sad").toStdString();
    test::makeSoundBank(bank, home.filePath("sounds").toStdString(), kSounds,
                        "Castle courtyard - ambience and effects", 4000, 1733);

    QProcess editor;
    editor.setProcessEnvironment(test::editorEnvironment(home.path(), display));
    editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    editor.start(QStringLiteral(QUILLON_EDITOR_PATH), {QString::fromStdString(bank)});
    QVERIFY2(editor.waitForStarted(5000), qPrintable(editor.errorString()));

    // The window has settled when two captures in a row agree and show more
    // than a bare screen.
    QString png = home.filePath("capture.png");
    QImage last, shot;
    for (int attempt = 0; attempt < 60 && shot.isNull(); ++attempt) {
        QTest::qWait(500);
        QVERIFY2(editor.state() == QProcess::Running, "the editor ended early");
        QImage now = test::captureScreen(display, png);
        if (!test::isUniform(now) && now == last) shot = now;
        last = now;
    }
    editor.terminate();
    editor.waitForFinished(5000);
    QVERIFY2(!shot.isNull(), "the screen never settled");
    QCOMPARE(shot.size(), QSize(test::kScreenWidth, test::kScreenHeight));
    QVERIFY2(test::distinctColours(shot) > 20, "the capture shows no window");

    QString target = qEnvironmentVariable("QUILLON_SCREENSHOT", "screenshot-main.png");
    QFile::remove(target);
    QVERIFY(shot.save(target));
    qInfo("screenshot saved to %s", qPrintable(QFileInfo(target).absoluteFilePath()));
}

QTEST_MAIN(ScreenshotTest)
#include "test_ui_screenshot.moc"
