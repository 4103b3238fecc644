// The editor's audio object and the steps of the ambient and music test around
// its bar, on the loopback device: the temporary bank written and registered,
// the bar's controls reaching the library, and the earlier bank back afterwards
// (or a message when it cannot be had again), with the rows still saving.
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "audio/BankTest.h"
#include "audio/EditorAudio.h"
#include "bank/CellEdit.h"
#include "bank/Columns.h"
#include "bank/QuillonDoc.h"
#include "operations/MpegImport.h"
#include "operations/SampleOps.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "support/BankInspector.h"
#include "support/FakeShell.h"
#include "support/MpegTools.h"
#include "support/RecordingEditorAudio.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using test::RecordingEditorAudio;

// --- Pure rules ---------------------------------------------------------------------------

TEST(MusicTrackNumber, IsTheFirstSelectedRowCountingFromOneElseOne) {
    RowList rows;
    for (int i = 0; i < 4; ++i)
        rows.append(Row{});
    EXPECT_EQ(musicTrackNumber(rows), 1u);
    rows.setSelected(3, true);
    rows.setSelected(2, true);
    EXPECT_EQ(musicTrackNumber(rows), 3u);
}

TEST(SpunGroup, IsPositionPlusStepAndNothingBelowZero) {
    struct Case {
        int position, step;
        std::optional<int> group;
    };
    const Case cases[] = {
        {0, -1, std::nullopt}, {0, 1, 1}, {5, -5, 0}, {127, 1, 128}, {127, 10, 137}, {3, -10, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(spunGroup(c.position, c.step), c.group) << c.position << " " << c.step;
}

// --- The editor's audio object --------------------------------------------------------------

TEST(EditorAudio, CreatesWithTheEditorsConfigurationAndTheGivenOutput) {
    EditorAudio audio(ZQ_OUTPUT_LOOPBACK);
    ASSERT_EQ(audio.create(), ZQAudioResult::Ok);
    const ZQ_AudioSystem& s = *audio.system();
    const uint32_t fields[] = {s.DistanceModel, s.OutputMode, s.DopplerFactor, s.MixUpdateHz,
                               s.RandomSeed,    s.VoiceCount, s.CacheBytes,    s.OutputRate};
    const uint32_t expected[] = {1, ZQ_OUTPUT_LOOPBACK, 1, 0, 0, 32, 0x1000000, 44100};
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(fields[i], expected[i]) << "field " << i;
    EXPECT_EQ(audio.outputNotice(), "") << "the loopback device's caller stands in for a card";
}

// The tests run with OpenAL Soft's null driver: the editor's default output
// finds no sound device.
TEST(EditorAudio, WithoutASoundDeviceSaysSoForTheStatusBar) {
    EditorAudio audio;
    ASSERT_EQ(audio.create(), ZQAudioResult::Ok);
    EXPECT_EQ(audio.outputNotice(), "No sound device - silent output");
}

TEST(EditorAudio, DoesNothingOnceTheSystemIsDestroyed) {
    test::TempFolder folder;
    auto audio = std::make_unique<EditorAudio>(ZQ_OUTPUT_LOOPBACK);
    ASSERT_EQ(audio->create(), ZQAudioResult::Ok);
    test::FakeShell shell;
    {
        CQuillonDoc doc(shell, audio.get());
        audio->destroySystem();
        EXPECT_EQ(audio->system(), nullptr);
        EXPECT_FALSE(audio->registerBank(folder.file("none.sad")));
        EXPECT_EQ(audio->tick(), "");
        EXPECT_EQ(audio->playMusic(1), nullptr);
        EXPECT_EQ(audio->playRow(doc, 0), RowPlayResult::NothingStarted);
    }  // the document stops and releases on its way out: nothing to reach
}

TEST(EditorAudio, RefreshEmptiesTheStatusTextAndTextsAreCutToFit) {
    EditorAudio audio(ZQ_OUTPUT_LOOPBACK);
    audio.setStatusText(std::string(40, 'x'));
    EXPECT_EQ(audio.statusText().size(), kStatusTextMaxChars);
    RowList rows;
    (void)audio.refreshFigures(rows);
    EXPECT_EQ(audio.statusText(), "");
}

// --- The test's steps ---------------------------------------------------------------------

class BankTestSteps : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(audio.create(), ZQAudioResult::Ok); }

    // Three WAV rows; the first plays as ambience (Atmos 0: kept sounding).
    void addRows() {
        std::vector<std::string> paths;
        for (int i = 1; i <= 3; ++i) {
            test::PcmWavSpec spec;
            spec.frames = 2000 + 100 * uint32_t(i);
            paths.push_back(folder.file(format("wave%d.wav", i)));
            test::writeFile(paths.back(), test::makePcmWav(spec));
        }
        ASSERT_TRUE(addWaveFiles(doc, paths));
        doc.rows().clearSelection();
        doc.rows().setSelected(0, true);
        CommitCellEdit(doc, kColAtmos, "0");
        doc.rows().clearSelection();
    }

    void saveBank() { ASSERT_TRUE(doc.OnSaveDocument(bankPath)); }

    std::unique_ptr<BankTest> startTest(BankTestKind kind) {
        auto bankTest = std::make_unique<BankTest>(doc, audio, kind);
        bankTest->setListEnabled = [this](bool enabled) { listStates.push_back(enabled); };
        return bankTest;
    }

    test::TempFolder folder;
    test::ScopedTmpDir tmp{folder.path()};
    RecordingEditorAudio audio;
    test::FakeShell shell;
    CQuillonDoc doc{shell, &audio};
    std::string bankPath = folder.file("bank.sad");
    std::vector<bool> listStates;
};

TEST_F(BankTestSteps, AmbientTestPlaysTheTemporaryBankAndBringsTheEarlierOneBack) {
    addRows();
    saveBank();
    auto bankTest = startTest(BankTestKind::Atmos);
    ASSERT_TRUE(bankTest->writeTemporaryBank());
    const std::string temp = bankTest->temporaryPath();
    EXPECT_EQ(splitAtLastSeparator(temp).name, "ZQATMOS.TMP");
    EXPECT_EQ(audio.registeredBankPath(), temp);
    EXPECT_TRUE(test::fileExists(temp));
    EXPECT_EQ(bankTest->rememberedBankPath(), bankPath);
    EXPECT_TRUE(shell.windowsEnabled) << "the frame is enabled again after the write";
    EXPECT_EQ(listStates, std::vector<bool>{false}) << "the list stays disabled";

    bankTest->startSound();
    EXPECT_EQ(audio.calls, std::vector<std::string>{"atmos volume 127"});
    (void)audio.tick();
    EXPECT_EQ(audio.system()->ZQSampleGetNumberPlaying(), 1u) << "the Atmos 0 row sounds";
    bankTest->volumeMoved(30);
    EXPECT_EQ(audio.calls.back(), "atmos volume 30") << "no music mode: the ambient volume";

    bankTest->end();
    EXPECT_FALSE(test::fileExists(temp));
    EXPECT_EQ(audio.registeredBankPath(), bankPath);
    ASSERT_TRUE(doc.previousFile().IsOpen());
    EXPECT_EQ(std::string(doc.previousFile().GetName()), bankPath);
    EXPECT_EQ(listStates, (std::vector<bool>{false, true}));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(audio.system()->ZQSampleGetNumberPlaying(), 0u);
}

TEST_F(BankTestSteps, SpinnerChangesReachTheLibraryAsPositionPlusStep) {
    addRows();
    auto bankTest = startTest(BankTestKind::Atmos);
    ASSERT_TRUE(bankTest->writeTemporaryBank());
    bankTest->groupSpun(0, -1);
    EXPECT_TRUE(audio.calls.empty()) << "below 0 calls nothing";
    bankTest->groupSpun(127, 1);
    bankTest->groupSpun(4, -1);
    EXPECT_EQ(audio.calls, (std::vector<std::string>{"atmos group 128", "atmos group 3"}));
}

TEST_F(BankTestSteps, ANeverSavedBankPlaysAndItsRowsStillSaveAfterwards) {
    addRows();
    auto bankTest = startTest(BankTestKind::Atmos);
    ASSERT_TRUE(bankTest->writeTemporaryBank());
    EXPECT_EQ(bankTest->rememberedBankPath(), "");
    EXPECT_EQ(audio.registeredBankPath(), bankTest->temporaryPath());
    bankTest->startSound();
    (void)audio.tick();
    EXPECT_EQ(audio.system()->ZQSampleGetNumberPlaying(), 1u);
    bankTest->end();
    EXPECT_EQ(audio.registeredBankPath(), "");
    EXPECT_FALSE(test::fileExists(bankTest->temporaryPath()));
    EXPECT_FALSE(doc.previousFile().IsOpen());
    EXPECT_EQ(listStates, (std::vector<bool>{false, true}));

    saveBank();
    const test::InspectedBank saved = test::inspectBank(bankPath);
    ASSERT_EQ(saved.records.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(test::waveImage(saved, saved.records[i]),
                  test::readFileBytes(folder.file(format("wave%zu.wav", i + 1))))
            << "row " << i;
    EXPECT_EQ(saved.records[0].atmos, 0);
    EXPECT_EQ(audio.registeredBankPath(), bankPath);
}

TEST_F(BankTestSteps, RowsOfASavedBankStillCopyTheirAudioAfterATest) {
    addRows();
    saveBank();
    // The WAV files go: a later save must copy every sample out of the bank.
    for (int i = 1; i <= 3; ++i)
        ::unlink(folder.file(format("wave%d.wav", i)).c_str());
    auto bankTest = startTest(BankTestKind::Atmos);
    ASSERT_TRUE(bankTest->writeTemporaryBank());
    bankTest->end();
    const test::InspectedBank before = test::inspectBank(bankPath);
    ASSERT_TRUE(doc.OnSaveDocument(folder.file("copy.sad")));
    const test::InspectedBank after = test::inspectBank(folder.file("copy.sad"));
    EXPECT_EQ(after.waveData, before.waveData);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(BankTestSteps, AnEarlierBankThatCannotBeOpenedAgainIsReportedAndTheListEnabled) {
    addRows();
    saveBank();
    auto bankTest = startTest(BankTestKind::Atmos);
    ASSERT_TRUE(bankTest->writeTemporaryBank());
    ASSERT_EQ(::rename(bankPath.c_str(), folder.file("moved.sad").c_str()), 0);
    bankTest->end();
    EXPECT_EQ(shell.messageTexts(),
              std::vector<std::string>{"Could not open " + bankPath +
                                       " again - save the bank under a new name"});
    EXPECT_EQ(listStates, (std::vector<bool>{false, true}));
    EXPECT_EQ(audio.registeredBankPath(), "");
    EXPECT_FALSE(test::fileExists(bankTest->temporaryPath()));
}

TEST_F(BankTestSteps, AFailedWriteRunsNoTestAndLeavesTheEarlierBank) {
    addRows();
    saveBank();
    // A row whose file is gone and that is not in the bank cannot be written.
    test::PcmWavSpec spec;
    const std::string extra = folder.file("extra.wav");
    test::writeFile(extra, test::makePcmWav(spec));
    ASSERT_TRUE(addWaveFiles(doc, {extra}));
    ::unlink(extra.c_str());
    auto bankTest = startTest(BankTestKind::Atmos);
    EXPECT_FALSE(bankTest->writeTemporaryBank());
    EXPECT_EQ(listStates, std::vector<bool>{true});
    EXPECT_TRUE(shell.windowsEnabled);
    EXPECT_EQ(audio.registeredBankPath(), bankPath);
    EXPECT_TRUE(doc.previousFile().IsOpen());
    EXPECT_FALSE(test::fileExists(bankTest->temporaryPath()));
    bankTest->startSound();
    EXPECT_TRUE(audio.calls.empty()) << "no test runs";
}

// --- Music --------------------------------------------------------------------------------

class MusicTestSteps : public BankTestSteps {
  protected:
    void SetUp() override {
        BankTestSteps::SetUp();
        const std::optional<std::string> mp2 =
            test::makeLayer2Stream(folder, "music", 44100, 2, 192, 1.5);
        if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
        ASSERT_TRUE(importMpegFile(doc, *mp2));
        ASSERT_EQ(doc.rows().size(), 3);
        doc.rows().clearSelection();
    }
};

TEST_F(MusicTestSteps, PlaysFromTheSelectedTrackAndPutsTheVolumeBack) {
    saveBank();
    auto bankTest = startTest(BankTestKind::Music);
    ASSERT_TRUE(bankTest->writeTemporaryBank());
    bankTest->startSound();
    EXPECT_TRUE(bankTest->musicMode());
    ASSERT_NE(bankTest->musicInfo(), nullptr);
    EXPECT_EQ(bankTest->musicInfo()->TrackNumber, 1u);
    EXPECT_TRUE(audio.system()->ZQMusicIsPlaying());
    bankTest->volumeMoved(40);
    EXPECT_EQ(audio.system()->ZQMusicGetMasterVolume(), 40) << "music mode: the music volume";

    doc.rows().setSelected(2, true);
    bankTest->restartMusic();
    EXPECT_EQ(bankTest->musicInfo()->TrackNumber, 3u);
    audio.setStatusText("   section 3 of 3");

    bankTest->end();
    EXPECT_EQ(audio.calls,
              (std::vector<std::string>{"music play 1", "music volume 40", "music stop",
                                        "music play 3", "music stop", "music volume 127"}));
    EXPECT_EQ(audio.system()->ZQMusicGetMasterVolume(), 127);
    EXPECT_FALSE(audio.system()->ZQMusicIsPlaying());
    EXPECT_FALSE(bankTest->musicMode());
    EXPECT_EQ(audio.statusText(), "");
    EXPECT_EQ(audio.registeredBankPath(), bankPath);
}

TEST_F(MusicTestSteps, TheStatusCallbackWritesTheCutStatusText) {
    auto bankTest = startTest(BankTestKind::Music);
    ASSERT_TRUE(bankTest->writeTemporaryBank());
    bankTest->startSound();
    (void)audio.tick();
    EXPECT_EQ(audio.statusText(), "   section 1 of 3");
}

}  // namespace
}  // namespace quillon
