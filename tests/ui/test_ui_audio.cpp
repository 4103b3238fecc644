// Hearing and seeing samples on the loopback device, where a voice plays until stopped.

#include "UiTestSupport.h"
#include "bank/CellEdit.h"
#include "platform/Paths.h"
#include "support/BankInspector.h"
#include "support/RecordingEditorAudio.h"
#include "ui/WaveformPanel.h"
#include "ui/WaveformView.h"

using namespace quillon;
using namespace quillon::test;
using enum quillon::CommandId;

namespace {

// The sample numbers of the voices that sound.
std::vector<uint32_t> playingSamples(Editor& e) {
    ZQ_AudioSystem& system = *e.app().audio().system();
    std::vector<uint32_t> numbers;
    ZQ_SampleInfo* last = system.ZQSampleGetLastInfoStruct();
    for (ZQ_SampleInfo* info = system.ZQSampleGetFirstInfoStruct(); info && info <= last; ++info)
        if (system.ZQSampleIsPlaying(info)) numbers.push_back(info->SampleNumber);
    return numbers;
}

void clickRowImage(Editor& e, int row) {
    QTest::mouseClick(e.view().viewport(), Qt::LeftButton, {}, rowImagePoint(e.view(), row));
    QCoreApplication::processEvents();
}

void setCellOfRow(Editor& e, int row, int column, const std::string& text) {
    e.doc().rows().clearSelection();
    e.doc().rows().setSelected(row, true);
    CommitCellEdit(e.doc(), column, text);
    e.doc().rows().clearSelection();
    e.frame().updateCommandUI();
}

std::vector<bool> checkBoxes(Editor& e) {
    std::vector<bool> checked;
    for (int r = 0; r < e.doc().rows().size(); ++r)
        checked.push_back(e.doc().rows().row(r).checked);
    return checked;
}

}  // namespace

class AudioTest : public QObject {
    Q_OBJECT
  private slots:
    void withoutASoundDeviceTheStatusBarSaysSo();
    void spaceAndStopAllPlayAndStopTheSelectedRow();
    void ambientTestOfANeverSavedBankPutsEverythingBack();
    void theListHasTheKeysAgainAfterATest();
    void waveformFollowsTheSelectionAndPreviewsFromAClick();
};

void AudioTest::withoutASoundDeviceTheStatusBarSaysSo() {
    Editor e({}, {}, std::make_unique<EditorAudio>());  // OpenAL Soft's null driver
    QCOMPARE(e.frame().paneText(kPanePrompt), QString("No sound device - silent output"));
}

void AudioTest::spaceAndStopAllPlayAndStopTheSelectedRow() {
    Editor e(4);
    QAction* stopAll = e.frame().action(StopAll);
    QTest::keyClick(&e.view(), Qt::Key_Space);
    QVERIFY(playingSamples(e).empty());
    selectRows(e.view(), {3, 1});
    QTest::keyClick(&e.view(), Qt::Key_Space);
    QCOMPARE(playingSamples(e), std::vector<uint32_t>{2});
    QCOMPARE(checkBoxes(e), std::vector<bool>(4, true));  // Space never toggles a check box
    QTRY_VERIFY(stopAll->isEnabled());
    QCOMPARE(e.frame().paneText(kPanePlaying), QString("    1"));
    clickToolbar(e.frame(), StopAll);
    QVERIFY(playingSamples(e).empty());
    QVERIFY(!stopAll->isEnabled());
    setCellOfRow(e, 0, kColGroup, "4");
    selectRows(e.view(), {1, 3});
    clickToolbar(e.frame(), DisablePlayback);
    QCOMPARE(checkBoxes(e), (std::vector<bool>{true, false, true, false}));
    selectRows(e.view(), {0, 1});
    clickToolbar(e.frame(), EnablePlayback);
    QCOMPARE(checkBoxes(e), (std::vector<bool>{true, true, true, false}));
    selectRows(e.view(), {1, 3});
    clickToolbar(e.frame(), CreateGroup);
    selectRows(e.view(), {2});
    clickToolbar(e.frame(), CreateGroup);
    QCOMPARE(cellOnScreen(e.view(), 3, kColGroup) + cellOnScreen(e.view(), 2, kColGroup),
             QString("56"));
}

// A never saved bank plays from a temporary bank that goes; its rows still save.
void AudioTest::ambientTestOfANeverSavedBankPutsEverythingBack() {
    auto* audio = new RecordingEditorAudio;
    Editor e({}, {}, std::unique_ptr<EditorAudio>(audio));
    QDir().mkpath(QString::fromStdString(e.file("tmp")));
    ScopedTmpDir tmp(e.file("tmp"));
    e.view().timer().stop();
    std::vector<std::string> wavs;
    for (int i = 1; i <= 3; ++i)
        wavs.push_back(makeWav(e.file("w" + std::to_string(i) + ".wav"), 1000 * uint32_t(i)));
    QVERIFY(addWaveFiles(e.doc(), wavs));
    setCellOfRow(e, 1, kColAtmos, "0");
    std::string temp;
    QString playingPane;
    e.shell().useMusicBar = [&](CMusicBarDialog& bar) {
        temp = e.app().audio().registeredBankPath();
        e.view().OnTimer();
        playingPane = e.frame().paneText(kPanePlaying);
        QTest::keyClick(bar.groupSpinner(), Qt::Key_Down);  // stays at 0
        bar.groupSpinner()->selectAll();
        QTest::keyClicks(bar.groupSpinner(),
                         "127");  // typed into its edit, the number calls nothing
        QTest::keyClick(bar.groupSpinner(), Qt::Key_Up);  // stays at 127
        bar.volumeSlider()->setValue(30);
        QTest::keyClick(&bar, Qt::Key_Escape);
    };
    clickToolbar(e.frame(), PlayAtmos);
    QCOMPARE(playingPane, QString("    1"));
    QCOMPARE(audio->calls,
             (std::vector<std::string>{"atmos volume 127", "atmos group 128", "atmos volume 30"}));
    QVERIFY(!temp.empty() && !QFile::exists(QString::fromStdString(temp)));
    e.shell().fileAnswers.push_back({{e.file("new.sad")}, e.file("")});
    QVERIFY(chooseMenuItem(e.frame(), FileSaveAs));
    InspectedBank saved = inspectBank(e.file("new.sad"));
    QCOMPARE(waveImage(saved, saved.records.at(2)), readFileBytes(wavs[2]));
}

// After the bar, Space must play a row again, not clear "Allow Save", which had the focus.
void AudioTest::theListHasTheKeysAgainAfterATest() {
    Editor e;
    QDir().mkpath(QString::fromStdString(e.file("tmp")));
    ScopedTmpDir tmp(e.file("tmp"));  // the test bank goes to this editor's own folder
    openBank(e, 3);
    setCellOfRow(e, 1, kColAtmos, "5");
    clickRow(e.view(), 1);
    clickToolbar(e.frame(), PlayAtmos);
    QCOMPARE(e.shell().musicBarsShown, 1);
    QApplication::setActiveWindow(&e.frame());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(e.doc().values().allowSave);
    QCOMPARE(playingSamples(e), std::vector<uint32_t>{2});
}

void AudioTest::waveformFollowsTheSelectionAndPreviewsFromAClick() {
    Editor e(3);
    clickRow(e.view(), 2, kColName);
    QVERIFY(playingSamples(e).empty());
    clickRowImage(e, 1);
    QCOMPARE(playingSamples(e), std::vector<uint32_t>{2});
    QCOMPARE(e.doc().selectedItem().name, std::string("wave02.wav"));
    // A relative path plays the file beside the bank, not one below the working folder.
    std::string beside = makeWav(e.file("waves/beside.wav"), 3000);
    QVERIFY(addWaveFiles(e.doc(), {beside}));
    e.doc().rows().update(3, [](Row& row) { setCell(row, kColLocation, "waves"); });
    QVERIFY(!pathExists("waves/beside.wav"));
    clickRowImage(e, 3);
    std::optional<PreviewPlayer::PlayPosition> at = e.app().audio().playPosition();
    QVERIFY(at && at->sourceKey.starts_with(beside + "|"));
    CWaveformView& side = *e.frame().sidePanel()->waveform();
    QVERIFY(chooseMenuItem(e.frame(), ViewWaveform));
    CWaveformView& dock = *e.frame().waveformDockView();
    clickRow(e.view(), 1);
    QTRY_VERIFY(dock.peaks() != nullptr);
    QCOMPARE(side.peaks(), dock.peaks());
    const QPoint middle(dock.width() / 2, dock.laneRect(0).center().y());
    const uint64_t frame = dock.frameAtX(middle.x());
    QTest::mouseClick(&dock, Qt::LeftButton, {}, middle);
    QTRY_VERIFY(dock.playFrame().has_value());
    QCOMPARE(*dock.playFrame(), frame);
    selectRows(e.view(), {0, 1, 2});
    QTRY_VERIFY(side.infoText().startsWith("3 samples selected"));
    QCOMPARE(e.frame().waveformPanel()->shownRow(), 0);
    writeFile(e.file("broken.wav"), Bytes(200, 'x'));
    e.doc().rows().setCell(2, kColBank, "No");
    e.doc().rows().setCell(2, kColLocation, e.file(""));
    e.doc().rows().setCell(2, kColName, "broken.wav");
    clickRow(e.view(), 2);
    QTRY_COMPARE(side.message(), QString("Not a WAV image that can be decoded"));
}

QTEST_MAIN(AudioTest)
#include "test_ui_audio.moc"
