// The editor in use on a real X server: a bank of harbour sounds is open, a
// row is shown in the side panel, and a Volume cell is being typed into. The
// screen is captured once it has settled and kept as screenshot-editing.png
// in the test's working folder (or at $QUILLON_SCREENSHOT_EDITING).
//
// The editor runs inside this test, on an Xvfb server the test starts before
// the application exists (the platform is chosen then). Without Xvfb, xwd,
// xwdtopnm and pnmtopng the test runs offscreen and is skipped.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "bank/Columns.h"
#include "ui/CellEdit.h"
#include "ui/MainFrame.h"
#include "ui/QuillonView.h"

using namespace quillon;
using namespace quillon::test;

namespace {

const SoundSpec kSounds[] = {
    {"gull_cry_01.wav", "Gull overhead", "ZQ_PRIORITY=3 ZQ_VOLUME=90 ZQ_PITCH_VAR=10"},
    {"gull_cry_02.wav", "Gull, far", "ZQ_PRIORITY=3 ZQ_VOLUME=70 ZQ_PITCH_VAR=10"},
    {"waves_pier.wav", "Waves on the pier", "ZQ_ATMOS_GROUP=1 ZQ_LOOP_COUNT=-1"},
    {"waves_hull.wav", "Water on a hull", "ZQ_ATMOS_GROUP=1 ZQ_ATMOS_WHEN=30"},
    {"rope_creak.wav", "Mooring rope creaks", "ZQ_PRIORITY=4 ZQ_PAN=60"},
    {"ship_bell.wav", "Ship's bell, two strokes", "ZQ_PRIORITY=6 ZQ_VOLUME=110"},
    {"crate_drop.wav", "Crate dropped on boards", "ZQ_PRIORITY=7 ZQ_VOLUME=120"},
    {"chain_rattle.wav", "Anchor chain", "ZQ_PRIORITY=6 ZQ_LOOP_COUNT=2"},
    {"market_crowd.wav", "Fish market crowd", "ZQ_ATMOS_GROUP=2 ZQ_LOOP_COUNT=-1"},
    {"barrel_roll.wav", "Barrel rolls away", "ZQ_PRIORITY=5 ZQ_3D_X_POS=40"},
    {"foghorn.wav", "Foghorn, distant", "ZQ_PRIORITY=8 ZQ_MIN_DIST=20 ZQ_MAX_DIST=900"},
    {"oars_splash.wav", "Oars in the water", "ZQ_PRIORITY=2 ZQ_GROUP=1"},
    {"sail_flap.wav", "Sail in the wind", "ZQ_PRIORITY=2 ZQ_GROUP=1 ZQ_SCALE=12"},
    {"tavern_door.wav", "Tavern door swings", "ZQ_PRIORITY=5 ZQ_PLAYBACK_TYPE=2"},
    {"coins_count.wav", "Coins counted out", "ZQ_PRIORITY=4 ZQ_PLAYBACK_TYPE=1"},
    {"cart_wheels.wav", "Cart on cobbles", "ZQ_PRIORITY=3 ZQ_3D_Z_POS=-60"},
    {"dog_bark.wav", "Harbour dog", "ZQ_PRIORITY=5 ZQ_PITCH_VAR=6"},
    {"hammer_nails.wav", "Shipwright at work", "ZQ_PRIORITY=3 ZQ_USER_PARAM=120"},
};

XServer* gServer = nullptr;

}  // namespace

class EditingScreenshotTest : public QObject {
    Q_OBJECT
  private slots:
    void editorInUseOnAnXServer();
};

void EditingScreenshotTest::editorInUseOnAnXServer() {
    if (!gServer) QSKIP("Xvfb and the capture tools are not installed");
    QApplication::setCursorFlashTime(0);  // a steady caret: captures can agree
    QTemporaryDir home;
    usePrivateHome(home.path());
    std::string bank = home.filePath("Harbour.sad").toStdString();
    makeSoundBank(bank, home.filePath("harbour").toStdString(), kSounds,
                  "Harbour - ambience and effects", 6000, 2111);
    Editor e({QString::fromStdString(bank)}, home.path());
    QVERIFY(e.started());
    QVERIFY(QTest::qWaitForWindowExposed(&e.frame(), 30000));

    CQuillonView& view = e.view();
    clickRow(view, 5);  // "Ship's bell" fills the side panel
    QModelIndex volume = view.model()->index(5, kColVolume);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(volume).center());
    QVERIFY(view.isCellEditOpen());
    QTest::keyClicks(view.cellEdit(), "96");

    QString display = QString::fromStdString(gServer->display());
    QString png = home.filePath("capture.png");
    QImage shot = captureSettledScreen(display, png);
    QVERIFY2(!shot.isNull(), "the screen never settled");
    QCOMPARE(shot.size(), QSize(kScreenWidth, kScreenHeight));
    QVERIFY2(distinctColours(shot) > 20, "the capture shows no window");
    QVERIFY(view.isCellEditOpen());

    QVERIFY(saveScreenshot(shot, "QUILLON_SCREENSHOT_EDITING", "screenshot-editing.png"));
}

int main(int argc, char** argv) {
    return runScreenshotTest<EditingScreenshotTest>(argc, argv, gServer);
}

#include "test_ui_screenshot_editing.moc"
