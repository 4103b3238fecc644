// The Edit menu naming the step Undo takes back: three of a night forest's six
// sounds were deleted, and the menu is open over the list.
#include <QMenuBar>
#include <QTest>
#include <cstdio>

#include "ScreenshotSupport.h"
#include "ui/MainFrame.h"
#include "ui/QuillonView.h"

namespace quillon::shots {

namespace {

const SoundSpec kSounds[] = {
    {"owl_hoot.wav", "Tawny owl", "ZQ_PRIORITY=4 ZQ_VOLUME=90"},
    {"crickets_loop.wav", "Crickets", "ZQ_ATMOS_GROUP=1 ZQ_LOOP_COUNT=-1"},
    {"branch_snap.wav", "Twig underfoot", "ZQ_PRIORITY=6 ZQ_VOLUME=110"},
    {"wolf_howl.wav", "Wolf, far off", "ZQ_PRIORITY=7 ZQ_MIN_DIST=20 ZQ_MAX_DIST=600"},
    {"leaves_rustle.wav", "Leaves in the wind", "ZQ_ATMOS_GROUP=1 ZQ_ATMOS_WHEN=20"},
    {"stream_trickle.wav", "Stream over stones", "ZQ_ATMOS_GROUP=2 ZQ_LOOP_COUNT=-1"},
};

}  // namespace

QImage shootUndo(const ShotPlace& place) {
    std::string bank = (place.home + "/Night forest.sad").toStdString();
    if (!makeSoundBank(bank, (place.home + "/forest").toStdString(), kSounds, "Night forest", 3000,
                       4410))
        return {};
    std::unique_ptr<CQuillonApp> editor = startEditor(bank);
    if (!editor) return {};
    CQuillonView& view = *editor->view();
    for (int row : {0, 2, 4})
        QTest::mouseClick(view.viewport(), Qt::LeftButton,
                          row == 0 ? Qt::NoModifier : Qt::ControlModifier,
                          view.visualRect(view.model()->index(row, 1)).center());
    QTest::keyClick(&view, Qt::Key_Delete);
    CMainFrame& frame = *editor->mainFrame();
    frame.menuBar()->setActiveAction(frame.menu(MenuPlace::Edit)->menuAction());
    if (!QTest::qWaitFor([&frame] { return frame.menu(MenuPlace::Edit)->isVisible(); }, 5000)) {
        std::fprintf(stderr, "the Edit menu did not open\n");
        return {};
    }
    return captureSettledScreen(place.display, place.home + "/capture.png");
}

}  // namespace quillon::shots
