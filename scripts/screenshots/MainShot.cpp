// The real editor program on the X server: quillon starts with a 20-row bank
// named on its command line, and the screen is captured once the window has
// settled. The editor inherits QT_SCALE_FACTOR: docs/screenshot-scale-1.5.png
// is this shot at 1.5.
#include <QTest>
#include <cstdio>

#include "ScreenshotSupport.h"

namespace quillon::shots {

namespace {

const SoundSpec kSounds[] = {
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

QImage shootMain(const ShotPlace& place) {
    std::string bank = (place.home + "/Courtyard.sad").toStdString();
    if (!makeSoundBank(bank, (place.home + "/sounds").toStdString(), kSounds,
                       "Castle courtyard - ambience and effects", 4000, 1733))
        return {};
    QProcess editor;
    editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    editor.start(QStringLiteral(QUILLON_EDITOR_PATH), {QString::fromStdString(bank)});
    if (!editor.waitForStarted(5000)) {
        std::fprintf(stderr, "cannot start the editor: %s\n", qPrintable(editor.errorString()));
        return {};
    }
    QTest::qWait(1000);
    QImage shot = captureSettledScreen(place.display, place.home + "/capture.png");
    if (editor.state() != QProcess::Running) {
        std::fprintf(stderr, "the editor ended early\n");
        return {};
    }
    editor.terminate();
    editor.waitForFinished(5000);
    return shot;
}

}  // namespace quillon::shots
