// Hearing samples and the whole bank in the editor, on the loopback device
// (nothing sounds; a voice plays until it is stopped): playing a row from its
// image and from Space, Stop All and its enabled state, the playback and group
// commands, the status panes, shut-down, and the ambient and music test with
// its bar.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>

#include "UiTestSupport.h"
#include "audio/BankTest.h"
#include "bank/CellEdit.h"
#include "bank/Columns.h"
#include "bank/RowCells.h"
#include "operations/MpegImport.h"
#include "operations/SampleOps.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "support/BankInspector.h"
#include "support/MpegTools.h"
#include "support/RecordingEditorAudio.h"
#include "support/TempFolder.h"
#include "ui/MainFrame.h"
#include "ui/MusicBarDialog.h"
#include "ui/QuillonView.h"
#include "ui/ScriptExportDialog.h"

using namespace quillon;
using namespace quillon::test;
using enum quillon::CommandId;

namespace {

ZQ_AudioSystem& systemOf(Editor& e) {
    return *e.app().audio().system();
}

uint32_t playing(Editor& e) {
    return systemOf(e).ZQSampleGetNumberPlaying();
}

// The sample numbers of the voices that sound.
std::vector<uint32_t> playingSamples(Editor& e) {
    ZQ_AudioSystem& system = systemOf(e);
    std::vector<uint32_t> numbers;
    ZQ_SampleInfo* last = system.ZQSampleGetLastInfoStruct();
    for (ZQ_SampleInfo* info = system.ZQSampleGetFirstInfoStruct(); info && info <= last; ++info)
        if (system.ZQSampleIsPlaying(info)) numbers.push_back(info->SampleNumber);
    return numbers;
}

void clickRowImage(Editor& e, int row) {
    QPoint at = rowImagePoint(e.view(), row);
    QVERIFY(!at.isNull());
    QTest::mouseClick(e.view().viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
}

void setCellOfRow(Editor& e, int row, int column, const std::string& text) {
    RowList& rows = e.doc().rows();
    rows.clearSelection();
    rows.setSelected(row, true);
    CommitCellEdit(e.doc(), column, text);
    rows.clearSelection();
}

void writeText(const std::string& path, const std::string& text) {
    writeFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<bool> checkBoxes(Editor& e) {
    std::vector<bool> checked;
    for (int r = 0; r < e.doc().rows().size(); ++r)
        checked.push_back(e.doc().rows().row(r).checked);
    return checked;
}

// An editor whose audio records the test's calls, with its private temporary
// folder inside its home.
struct RecordedEditor {
    RecordedEditor()
        : audio(new RecordingEditorAudio), e({}, {}, std::unique_ptr<EditorAudio>(audio)) {
        QDir().mkpath(QString::fromStdString(e.file("tmp")));
        tmp = std::make_unique<ScopedTmpDir>(e.file("tmp"));
    }
    RecordingEditorAudio* audio;
    Editor e;
    std::unique_ptr<ScopedTmpDir> tmp;
};

// A music bank of three sections, imported and saved; false when sox or
// twolame is missing.
bool openMusicBank(Editor& e, const TempFolder& folder) {
    std::optional<std::string> mp2 = makeLayer2Stream(folder, "music", 44100, 2, 192, 1.5);
    if (!mp2) return false;
    if (!importMpegFile(e.doc(), *mp2) || e.doc().rows().size() != 3) return false;
    if (!e.doc().OnSaveDocument(e.file("music.sad"))) return false;
    e.doc().rows().clearSelection();
    e.frame().updateCommandUI();
    return true;
}

}  // namespace

class AudioTest : public QObject {
    Q_OBJECT
  private slots:
    void withoutASoundDeviceTheStatusBarSaysSo();
    void clickOnTheImagePlaysAndClickOnTheTextDoesNot();
    void spacePlaysTheFirstSelectedRowOnly();
    void stopAllIsEnabledWhileASampleOfTheListPlays();
    void enableAndDisablePlaybackSetTheSelectedCheckBoxes();
    void createGroupGivesTheNextGroupAtEachUse();
    void statusPanesShowTheFiguresAndTheStatusText();
    void customExportPlaysTheLineAndStopsAll();
    void shutDownReleasesTheBankAndDestroysTheSystem();
    void musicTestPlaysTheSelectedTrackAndPutsEverythingBack();
    void ambientTestSpinnerAndSliderReachTheLibrary();
    void aNeverSavedBankPlaysAndItsRowsSaveAfterwards();
    void theListHasTheKeysAgainAfterATest();
};

void AudioTest::withoutASoundDeviceTheStatusBarSaysSo() {
    // The tests run with OpenAL Soft's null driver: no sound device.
    Editor e({}, {}, std::make_unique<EditorAudio>());
    QCOMPARE(e.frame().paneText(kPanePrompt), QString("No sound device - silent output"));
    QVERIFY(systemOf(e).ZQIsSilent());
}

void AudioTest::clickOnTheImagePlaysAndClickOnTheTextDoesNot() {
    Editor e;
    openBank(e, 3);
    clickRow(e.view(), 2, kColName);
    QCOMPARE(playing(e), 0u);
    clickRowImage(e, 1);
    QCOMPARE(playingSamples(e), std::vector<uint32_t>{2});
    QCOMPARE(e.doc().selectedItem().name, std::string("wave02.wav"));
    QCOMPARE(e.view().cellEditSession().rememberedColumn(), 0);

    // A row added since the save plays its file, on the preview voice.
    std::string wav = makeWav(e.file("added.wav"), 4000);
    QVERIFY(addWaveFiles(e.doc(), {wav}));
    QCoreApplication::processEvents();
    clickRowImage(e, 3);
    QVERIFY(systemOf(e).ZQPreviewIsPlaying());
    QCOMPARE(playing(e), 1u);

    // One whose path is stored relative to the bank's folder plays the file
    // beside the bank, not one below the working folder.
    std::string beside = makeWav(e.file("waves/beside.wav"), 3000);
    QVERIFY(addWaveFiles(e.doc(), {beside}));
    e.doc().rows().update(4, [](Row& row) { setCell(row, kColLocation, "waves"); });
    QVERIFY(!pathExists("waves/beside.wav"));
    clickRowImage(e, 4);
    QVERIFY(systemOf(e).ZQPreviewIsPlaying());
    std::optional<PreviewPlayer::PlayPosition> at = e.app().audio().playPosition();
    QVERIFY(at && at->sourceKey.starts_with(beside + "|"));
}

void AudioTest::spacePlaysTheFirstSelectedRowOnly() {
    Editor e;
    openBank(e, 4);
    e.view().setFocus();
    QTest::keyClick(&e.view(), Qt::Key_Space);
    QCOMPARE(playing(e), 0u);
    QCOMPARE(e.doc().rows().selectedCount(), 0);
    selectRows(e.view(), {3, 1});
    QTest::keyClick(&e.view(), Qt::Key_Space);
    QCOMPARE(playingSamples(e), std::vector<uint32_t>{2});
    // Space plays; it never toggles a check box.
    QCOMPARE(checkBoxes(e), std::vector<bool>(4, true));
    QVERIFY(!e.doc().isModified());
}

void AudioTest::stopAllIsEnabledWhileASampleOfTheListPlays() {
    Editor e;
    openBank(e, 3);
    QAction* stopAll = e.frame().action(StopAll);
    QVERIFY(!stopAll->isEnabled());
    clickRowImage(e, 0);
    QTRY_VERIFY(stopAll->isEnabled());
    QCOMPARE(e.frame().paneText(kPanePlaying), QString("    1"));
    clickToolbar(e.frame(), StopAll);
    QCOMPARE(playing(e), 0u);
    QVERIFY(!stopAll->isEnabled());
}

void AudioTest::enableAndDisablePlaybackSetTheSelectedCheckBoxes() {
    Editor e;
    openBank(e, 4);
    selectRows(e.view(), {1, 3});
    clickToolbar(e.frame(), DisablePlayback);
    QCOMPARE(checkBoxes(e), (std::vector<bool>{true, false, true, false}));
    QVERIFY(e.doc().isModified());
    selectRows(e.view(), {0, 1});
    clickToolbar(e.frame(), DisablePlayback);
    selectRows(e.view(), {1, 3});
    clickToolbar(e.frame(), EnablePlayback);
    QCOMPARE(checkBoxes(e), (std::vector<bool>{false, true, true, true}));
}

void AudioTest::createGroupGivesTheNextGroupAtEachUse() {
    Editor e;
    openBank(e, 4);
    setCellOfRow(e, 0, kColGroup, "4");
    QVERIFY(e.doc().OnSaveDocument(e.file("bank.sad")));
    QVERIFY(e.app().OpenDocumentFile(e.file("bank.sad")));
    selectRows(e.view(), {1, 3});
    clickToolbar(e.frame(), CreateGroup);
    selectRows(e.view(), {2});
    clickToolbar(e.frame(), CreateGroup);
    QStringList groups;
    for (int r = 0; r < 4; ++r)
        groups << QString::fromStdString(e.doc().rows().cell(r, kColGroup));
    QCOMPARE(groups, (QStringList{"4", "5", "6", "5"}));
    QCOMPARE(std::string(sortKey(e.doc().rows().row(2), kColGroup)), std::string("0006"));
}

void AudioTest::statusPanesShowTheFiguresAndTheStatusText() {
    Editor e;
    e.view().timer().stop();
    openBank(e, 3);
    selectRows(e.view(), {0, 2});
    e.frame().updateCommandUI();
    // The files hold 1064, 1084 and 1104 bytes.
    QCOMPARE(e.frame().paneText(kPanePlaying), QString("    0"));
    QCOMPARE(e.frame().paneText(kPaneRows), QString("    3"));
    QCOMPARE(e.frame().paneText(kPaneSelectedBytes), QString("         2,168"));
    QCOMPARE(e.frame().paneText(kPaneTotalBytes), QString("         3,252"));

    // The timer shows the status text; the next refresh empties it.
    e.app().audio().setStatusText("   section 1 of 3");
    e.view().OnTimer();
    QCOMPARE(e.frame().paneText(kPaneStatus), QString("   section 1 of 3"));
    e.frame().updateCommandUI();
    QCOMPARE(e.frame().paneText(kPaneStatus), QString());
    QCOMPARE(e.app().audio().statusText(), std::string());

    // Without rows panes 2 to 5 stay empty, the timer's playing count too.
    e.app().OnFileNew();
    e.frame().updateCommandUI();
    e.view().OnTimer();
    for (int pane = kPanePlaying; pane <= kPaneTotalBytes; ++pane)
        QCOMPARE(e.frame().paneText(pane), QString());
}

void AudioTest::customExportPlaysTheLineAndStopsAll() {
    Editor e;
    QDir().mkpath(QString::fromStdString(e.file("waves")));
    std::string wav = makeWav(e.file("waves/HELP_TEXT_LOST.wav"), 3000);
    QVERIFY(addWaveFiles(e.doc(), {wav}));
    QVERIFY(e.doc().OnSaveDocument(e.file("bank.sad")));
    writeText(e.file("AudioSFX.h"),
              "enum AUDIO_SFX_BANK_TYPE\n{\n\tBANK_NONE,\n\tBANK_TOWN,\n};\n");
    writeText(e.file("Help.h"),
              "enum HELP_TEXT\n{\n\tHELP_TEXT_NONE = 0,\n\tHELP_TEXT_GATE = 1,\n};\n");
    e.shell().useScriptDialog = [&](CScriptExportDialog& dialog) {
        dialog.bankListEdit()->setText(QString::fromStdString(e.file("AudioSFX.h")));
        dialog.scriptEnumEdit()->setText(QString::fromStdString(e.file("Help.h")));
        dialog.clearOutputBox()->setChecked(true);
        dialog.accept();
    };
    e.frame().updateCommandUI();

    // "couldn't match LOST! do you want to play the line?": Yes plays it, and
    // the question comes again; Cancel ends the export.
    e.shell().fileAnswers.push_back({{e.file("table.h")}, e.file("")});
    e.shell().answers = {MessageAnswer::Yes, MessageAnswer::Cancel};
    QVERIFY(chooseMenuItem(e.frame(), CustomExport));
    QCOMPARE(playingSamples(e), std::vector<uint32_t>{1});
    // No stops every sample and goes on.
    e.shell().fileAnswers.push_back({{e.file("table.h")}, e.file("")});
    e.shell().answers = {MessageAnswer::No};
    QVERIFY(chooseMenuItem(e.frame(), CustomExport));
    QCOMPARE(playing(e), 0u);
}

void AudioTest::shutDownReleasesTheBankAndDestroysTheSystem() {
    Editor e;
    openBank(e, 2);
    clickRowImage(e, 0);
    QCOMPARE(e.app().audio().registeredBankPath(), e.file("bank.sad"));
    e.app().ShutDown();
    QVERIFY(!e.view().timer().isActive());
    QCOMPARE(e.app().audio().system(), nullptr);
    QCOMPARE(e.app().audio().registeredBankPath(), std::string());
    QVERIFY(!e.doc().previousFile().IsOpen());
    QVERIFY(e.doc().rows().empty());
    e.frame().updateCommandUI();  // a refresh after it reaches nothing
}

void AudioTest::musicTestPlaysTheSelectedTrackAndPutsEverythingBack() {
    TempFolder folder;
    RecordedEditor r;
    Editor& e = r.e;
    if (!openMusicBank(e, folder)) QSKIP("sox or twolame is missing");
    const std::string bank = e.file("music.sad");
    std::string registeredDuringTest;
    bool listEnabledDuringTest = true;
    QPoint barAt, statusBarAt;
    e.shell().useMusicBar = [&](CMusicBarDialog& bar) {
        registeredDuringTest = e.app().audio().registeredBankPath();
        listEnabledDuringTest = e.view().isEnabled();
        barAt = bar.pos();
        statusBarAt = e.frame().statusBar()->mapToGlobal(QPoint(0, 0));
        QVERIFY(bar.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(bar.isModal());
        bar.volumeSlider()->setValue(64);
        QCOMPARE(systemOf(e).ZQMusicGetMasterVolume(), 64);
        QTest::mouseClick(bar.cancelButton(), Qt::LeftButton);
    };
    clickToolbar(e.frame(), PlayMusic);
    QCOMPARE(e.shell().musicBarsShown, 1);
    QCOMPARE(QString::fromStdString(splitAtLastSeparator(registeredDuringTest).name),
             QString("ZQATMOS.TMP"));
    QVERIFY(!listEnabledDuringTest);
    QCOMPARE(barAt, statusBarAt);
    QCOMPARE(r.audio->calls, (std::vector<std::string>{"music play 1", "music volume 64",
                                                       "music stop", "music volume 127"}));
    QCOMPARE(systemOf(e).ZQMusicGetMasterVolume(), 127);
    QCOMPARE(e.app().audio().registeredBankPath(), bank);
    QVERIFY(e.view().isEnabled());
    QVERIFY(!QFile::exists(QString::fromStdString(registeredDuringTest)));

    // The third row selected: track 3, also for "Restart Music".
    clickRow(e.view(), 2);
    r.audio->calls.clear();
    e.shell().useMusicBar = [](CMusicBarDialog& bar) {
        QTest::mouseClick(bar.restartButton(), Qt::LeftButton);
    };
    clickToolbar(e.frame(), PlayMusic);
    QCOMPARE(r.audio->calls, (std::vector<std::string>{"music play 3", "music stop", "music play 3",
                                                       "music stop", "music volume 127"}));
    QVERIFY(!systemOf(e).ZQMusicIsPlaying());
    QVERIFY(e.shell().messages.empty());
}

void AudioTest::ambientTestSpinnerAndSliderReachTheLibrary() {
    RecordedEditor r;
    Editor& e = r.e;
    e.view().timer().stop();
    openBank(e, 3);
    setCellOfRow(e, 0, kColAtmos, "0");
    e.frame().updateCommandUI();
    QString playingPane;
    int downFrom0 = -1, upFrom127 = -1;
    e.shell().useMusicBar = [&](CMusicBarDialog& bar) {
        e.view().OnTimer();
        playingPane = e.frame().paneText(kPanePlaying);
        CGroupSpinner* spinner = bar.groupSpinner();
        QTest::keyClick(spinner, Qt::Key_Down);
        downFrom0 = spinner->value();
        // Typed into its edit, the number calls nothing.
        spinner->selectAll();
        QTest::keyClicks(spinner, "127");
        QTest::keyClick(spinner, Qt::Key_Up);
        upFrom127 = spinner->value();
        bar.volumeSlider()->setValue(30);
        QTest::keyClick(&bar, Qt::Key_Escape);
    };
    clickToolbar(e.frame(), PlayAtmos);
    QCOMPARE(playingPane, QString("    1"));
    QCOMPARE(downFrom0, 0);
    QCOMPARE(upFrom127, 127);
    QCOMPARE(r.audio->calls,
             (std::vector<std::string>{"atmos volume 127", "atmos group 128", "atmos volume 30"}));
    QCOMPARE(playing(e), 0u);
    QCOMPARE(e.app().audio().registeredBankPath(), e.file("bank.sad"));
}

void AudioTest::aNeverSavedBankPlaysAndItsRowsSaveAfterwards() {
    RecordedEditor r;
    Editor& e = r.e;
    e.view().timer().stop();
    std::vector<std::string> wavs;
    QDir().mkpath(QString::fromStdString(e.file("waves")));
    for (int i = 1; i <= 3; ++i)
        wavs.push_back(makeWav(e.file(format("waves/w%d.wav", i)), 1000 * uint32_t(i)));
    QVERIFY(addWaveFiles(e.doc(), wavs));
    setCellOfRow(e, 1, kColAtmos, "0");
    e.frame().updateCommandUI();
    std::string temp;
    QString playingPane;
    e.shell().useMusicBar = [&](CMusicBarDialog&) {
        temp = e.app().audio().registeredBankPath();
        e.view().OnTimer();
        playingPane = e.frame().paneText(kPanePlaying);
    };
    clickToolbar(e.frame(), PlayAtmos);
    QVERIFY(!temp.empty());
    QCOMPARE(playingPane, QString("    1"));
    QCOMPARE(e.app().audio().registeredBankPath(), std::string());
    QVERIFY(!QFile::exists(QString::fromStdString(temp)));
    QVERIFY(e.view().isEnabled());

    e.shell().fileAnswers.push_back({{e.file("new.sad")}, e.file("")});
    QVERIFY(chooseMenuItem(e.frame(), FileSaveAs));
    InspectedBank saved = inspectBank(e.file("new.sad"));
    QCOMPARE(saved.records.size(), size_t(3));
    for (size_t i = 0; i < 3; ++i)
        QCOMPARE(waveImage(saved, saved.records[i]), readFileBytes(wavs[i]));
    QCOMPARE(saved.records[1].atmos, 0);
    QVERIFY(e.shell().messages.empty());
}

// The list is disabled while the bar is open, which sends the keyboard focus
// on to the side panel's "Allow Save". Afterwards Space must play a row
// again, not clear "Allow Save".
void AudioTest::theListHasTheKeysAgainAfterATest() {
    Editor e;
    QDir().mkpath(QString::fromStdString(e.file("tmp")));
    ScopedTmpDir tmp(e.file("tmp"));  // the test bank goes to this editor's own folder
    openBank(e, 3);
    setCellOfRow(e, 1, kColAtmos, "5");
    clickRow(e.view(), 1);
    QCOMPARE(QApplication::focusWidget(), &e.view());
    clickToolbar(e.frame(), PlayAtmos);
    QCOMPARE(e.shell().musicBarsShown, 1);
    QCOMPARE(e.frame().focusWidget(), &e.view());
    QApplication::setActiveWindow(&e.frame());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(e.doc().values().allowSave);
    QCOMPARE(playingSamples(e), std::vector<uint32_t>{2});
}

QTEST_MAIN(AudioTest)
#include "test_ui_audio.moc"
