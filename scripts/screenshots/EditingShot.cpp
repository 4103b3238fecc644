// The editor in use: a bank of harbour sounds is open, a row is shown in the
// side panel, and a Volume cell is being typed into.
#include <QApplication>
#include <QTest>
#include <cstdio>

#include "ScreenshotSupport.h"
#include "bank/Columns.h"
#include "ui/CellEdit.h"
#include "ui/QuillonView.h"

namespace quillon::shots {

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

}  // namespace

QImage shootEditing(const ShotPlace& place) {
    QApplication::setCursorFlashTime(0);  // a steady caret: captures can agree
    std::string bank = (place.home + "/Harbour.sad").toStdString();
    if (!makeSoundBank(bank, (place.home + "/harbour").toStdString(), kSounds,
                       "Harbour - ambience and effects", 6000, 2111))
        return {};
    std::unique_ptr<CQuillonApp> editor = startEditor(bank);
    if (!editor) return {};
    CQuillonView& view = *editor->view();
    clickRow(*editor, 5);  // "Ship's bell" fills the side panel
    QModelIndex volume = view.model()->index(5, kColVolume);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(volume).center());
    if (!view.isCellEditOpen()) {
        std::fprintf(stderr, "the cell editor did not open\n");
        return {};
    }
    QTest::keyClicks(view.cellEdit(), "96");
    return captureSettledScreen(place.display, place.home + "/capture.png");
}

}  // namespace quillon::shots
