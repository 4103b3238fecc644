// The editor's audio object and the steps of the ambient test around its bar.
#include <gtest/gtest.h>
#include <unistd.h>

#include "audio/BankTest.h"
#include "bank/CellEdit.h"
#include "operations/MpegImport.h"
#include "operations/SampleOps.h"
#include "support/BankInspector.h"
#include "support/FakeShell.h"
#include "support/MpegTools.h"
#include "support/RecordingEditorAudio.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using Calls = std::vector<std::string>;
using States = std::vector<bool>;

class BankTestSteps : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(audio.create(), ZQAudioResult::Ok); }
    // Three WAV rows; the first plays as ambience (Atmos 0: kept sounding).
    void addRows() {
        std::vector<std::string> paths;
        for (int i = 1; i <= 3; ++i) {
            test::PcmWavSpec shape;
            shape.frames = 2000 + 100 * uint32_t(i);
            paths.push_back(folder.file("wave" + std::to_string(i) + ".wav"));
            test::writeFile(paths.back(), test::makePcmWav(shape));
        }
        ASSERT_TRUE(addWaveFiles(doc, paths));
        doc.rows().clearSelection();
        doc.rows().setSelected(0, true);
        CommitCellEdit(doc, kColAtmos, "0");
        doc.rows().clearSelection();
        ASSERT_TRUE(doc.OnSaveDocument(bankPath));
    }
    std::unique_ptr<BankTest> startTest(BankTestKind kind, bool written = true) {
        auto bankTest = std::make_unique<BankTest>(doc, audio, kind);
        bankTest->setListEnabled = [this](bool enabled) { listStates.push_back(enabled); };
        EXPECT_EQ(bankTest->writeTemporaryBank(), written);
        return bankTest;
    }
    test::TempFolder folder;
    test::ScopedTmpDir tmp{folder.path()};
    test::RecordingEditorAudio audio;
    test::FakeShell shell;
    CQuillonDoc doc{shell, &audio};
    std::string bankPath = folder.file("bank.sad");
    States listStates;
};

TEST_F(BankTestSteps, AmbientTestPlaysTheTemporaryBankAndBringsTheEarlierOneBack) {
    addRows();
    auto bankTest = startTest(BankTestKind::Atmos);
    const std::string temp = bankTest->temporaryPath();
    EXPECT_EQ(audio.registeredBankPath(), temp);
    EXPECT_EQ(listStates, States{false}) << "the list stays disabled";
    EXPECT_EQ(audio.outputNotice(), "") << "the loopback output is no missing device";
    audio.setStatusText(std::string(40, 'x'));
    EXPECT_EQ(audio.statusText().size(), kStatusTextMaxChars);
    (void)audio.refreshFigures(doc.rows());
    EXPECT_EQ(audio.statusText(), "") << "a refresh empties the status text";
    bankTest->startSound();
    (void)audio.tick();
    EXPECT_EQ(audio.system()->ZQSampleGetNumberPlaying(), 1u) << "the Atmos 0 row sounds";
    bankTest->volumeMoved(30);
    bankTest->groupSpun(0, -1);  // below 0 calls nothing
    bankTest->groupSpun(127, 1);
    EXPECT_EQ(audio.calls, (Calls{"atmos volume 127", "atmos volume 30", "atmos group 128"}));
    bankTest->end();
    EXPECT_FALSE(test::fileExists(temp));
    EXPECT_EQ(audio.registeredBankPath(), bankPath);
    EXPECT_EQ(listStates, (States{false, true}));
    // The WAV files go: a later save must copy every sample out of the bank.
    for (int i = 1; i <= 3; ++i)
        ::unlink(folder.file("wave" + std::to_string(i) + ".wav").c_str());
    const std::string copy = folder.file("copy.sad");
    ASSERT_TRUE(doc.OnSaveDocument(copy));
    EXPECT_EQ(test::inspectBank(copy).waveData, test::inspectBank(bankPath).waveData);
    EXPECT_TRUE(shell.messages.empty());
    // An earlier bank that cannot be opened again is reported.
    bankTest = startTest(BankTestKind::Atmos);
    ASSERT_EQ(::rename(copy.c_str(), bankPath.c_str()), 0);
    bankTest->end();
    EXPECT_EQ(shell.messageTexts(),
              Calls{"Could not open " + copy + " again - save the bank under a new name"});
    EXPECT_EQ(audio.registeredBankPath(), "");
    audio.destroySystem();  // the editor's audio then does nothing
    EXPECT_FALSE(audio.registerBank(bankPath));
    EXPECT_EQ(audio.tick() + (audio.playMusic(1) ? "music" : ""), "");
    EXPECT_EQ(audio.playRow(doc, 0), RowPlayResult::NothingStarted);
}

// Music mode: the bar's volume is the music's; a failed write runs no test and the end puts all
// back.
TEST_F(BankTestSteps, MusicTestPlaysTheSelectedSectionAndPutsTheVolumeBack) {
    const auto mp2 = test::makeLayer2Stream(folder, "music", 44100, 2, 192, 1.5);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    ASSERT_TRUE(importMpegFile(doc, *mp2));
    doc.rows().clearSelection();
    {
        test::ScopedTmpDir gone(folder.file("gone"));  // no private folder can be made there
        startTest(BankTestKind::Music, false);
    }
    const std::string section = waveformSource(doc, doc.rows().row(1), "").path;
    ASSERT_EQ(::rename(section.c_str(), (section + "~").c_str()), 0);
    auto bankTest = startTest(BankTestKind::Music, false);
    EXPECT_FALSE(test::fileExists(bankTest->temporaryPath()));
    bankTest->startSound();
    EXPECT_EQ(listStates, States{true});
    EXPECT_TRUE(audio.calls.empty()) << "no test runs";
    ASSERT_EQ(::rename((section + "~").c_str(), section.c_str()), 0);
    bankTest = startTest(BankTestKind::Music);
    bankTest->startSound();
    ASSERT_TRUE(bankTest->musicMode() && bankTest->musicInfo());
    EXPECT_EQ(bankTest->musicInfo()->TrackNumber, 1u);
    (void)audio.tick();
    EXPECT_EQ(audio.statusText(), "   section 1 of 3");
    bankTest->volumeMoved(40);
    EXPECT_EQ(audio.system()->ZQMusicGetMasterVolume(), 40);
    doc.rows().setSelected(2, true);
    bankTest->restartMusic();
    EXPECT_EQ(bankTest->musicInfo()->TrackNumber, 3u);
    bankTest->end();
    EXPECT_EQ(audio.calls, (Calls{"music play 1", "music volume 40", "music stop", "music play 3",
                                  "music stop", "music volume 127"}));
    EXPECT_EQ(audio.system()->ZQMusicGetMasterVolume(), 127);
    EXPECT_FALSE(audio.system()->ZQMusicIsPlaying() || bankTest->musicMode());
    EXPECT_EQ(audio.statusText(), "");
    EXPECT_EQ(shell.messageTexts(),
              (Calls{"Error Creating Temp Bank File", "Error Reading Wav File " + section}));
}

}  // namespace
}  // namespace quillon
