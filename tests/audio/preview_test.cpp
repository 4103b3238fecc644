// Creating the system, previews from memory, the editor's row preview, and the editor's audio
// object with the steps of the ambient and music test around its bar.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <future>

#include "audio/AudioTestKit.h"
#include "audio/BankTest.h"
#include "bank/CellEdit.h"
#include "operations/MpegImport.h"
#include "operations/SampleOps.h"
#include "support/BankInspector.h"
#include "support/FakeShell.h"
#include "support/MpegTools.h"
#include "support/RecordingEditorAudio.h"

namespace quillon {
namespace {

using test::kTestRate;

TEST(AudioSystemCreate, RefusesConfigurationsOutOfRangeAndASecondCreate) {
    using S = ZQ_AudioSystem;
    // field, value, created; the distance models other than the default also create
    const std::tuple<uint32_t S::*, uint32_t, bool> settings[] = {
        {&S::VoiceCount, 0, false},    {&S::OutputRate, 1000, false},  {&S::OutputMode, 3, false},
        {&S::DistanceModel, 4, false}, {&S::MixUpdateHz, 5000, false}, {&S::DistanceModel, 0, true},
        {&S::DistanceModel, 2, true},  {&S::DistanceModel, 3, true}};
    for (const auto& [field, value, created] : settings) {
        ZQ_AudioSystem system;
        system.*field = value;
        EXPECT_EQ(system.Create(), created ? ZQAudioResult::Ok : ZQAudioResult::BadConfiguration);
        EXPECT_EQ(system.ZQIsCreated(), created) << value;
    }
    ZQ_AudioSystem system;  // calls before Create do nothing
    EXPECT_EQ(system.ZQSamplePlay(ZQ_SamplePlayOptions{}), nullptr);
    float out[4];
    EXPECT_EQ(system.ZQRender(out, 2), ZQAudioResult::NotCreated);
    ASSERT_EQ(system.Create(), ZQAudioResult::Ok);  // the null driver is no sound card
    EXPECT_STREQ(system.ZQGetOutputText(), "No sound device - silent output");
    EXPECT_EQ(system.Create(), ZQAudioResult::AlreadyCreated);
    ZQ_AudioSystem silent;  // mixes on its own clock
    silent.OutputMode = ZQ_OUTPUT_SILENT;
    ASSERT_EQ(silent.Create(), ZQAudioResult::Ok);
    EXPECT_TRUE(silent.ZQIsSilent());
    EXPECT_EQ(silent.ZQRender(out, 2), ZQAudioResult::NotLoopback);
}

class RowPreview : public ::testing::Test {
  protected:
    void SetUp() override {
        test::TestBank bank;
        bank.add(test::playableRecord(), test::sineWav(440, kTestRate));
        ZQ_BankSample pitched = test::playableRecord();
        pitched.pitch = 150;
        pitched.setFlags = kFlagPitch;
        bank.add(pitched, test::sineWav(440, kTestRate));
        pitched.enabled = 0;
        bank.add(pitched, test::sineWav(440, kTestRate));
        ASSERT_TRUE(bankAudio.registerBank(bank.write(folder)));
        test::writeFile(folder.file("a.wav"), test::sineWav(440, kTestRate));
    }
    RowPlayResult play(Row played) {
        rows.clear();
        rows.append(std::move(played));
        return preview.playRow(doc, 0);
    }
    Row file(const std::string& name, size_t bytes = kSize, const std::string& bank = "*") {
        return test::editorRow(0, bank, folder.path(), name, bytes);
    }
    static constexpr size_t kSize = 88244;  // a.wav
    test::TempFolder folder;
    test::LoopbackAudio audio;
    ZQBankAudio bankAudio{audio.system};
    PreviewPlayer preview{audio.system, bankAudio};
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    RowList& rows = doc.rows();
};

// "*" in Pitch is the options' 100, which replaces the record's Pitch 150.
TEST_F(RowPreview, YesInAnyCasePlaysTheRecordAsTheCellsSay) {
    struct Case {
        const char *bank, *volume, *pitch, *loop;
        int32_t volumePlayed, pitchPlayed, loopPlayed;
    };
    for (const Case& c :
         {Case{"Yes", "*", "*", "*", 127, 100, 0}, Case{"yEs", "12abc", " 150", "-1", 12, 150, -1},
          Case{"YES", "", "x", "3", 0, 1, 3}}) {
        audio.system.ZQSampleStopAll();
        Row played = test::editorRow(2, c.bank);
        setCell(played, kColNo, "7");  // renumbered since the save: the record's number plays
        setCell(played, kColVolume, c.volume);
        setCell(played, kColPitch, c.pitch);
        setCell(played, kColLoop, c.loop);
        ASSERT_EQ(play(played), RowPlayResult::FromBank) << c.bank;
        ASSERT_EQ(audio.system.ZQSampleGetNumberPlaying(), 1u);
        const ZQ_SampleInfo* voice = audio.system.ZQSampleGetFirstInfoStruct();
        EXPECT_EQ(voice->SampleNumber, 2u);
        EXPECT_EQ(voice->Volume, c.volumePlayed) << c.volume;
        EXPECT_EQ(voice->Pitch, c.pitchPlayed) << c.pitch;
        EXPECT_EQ(voice->LoopCount, c.loopPlayed) << c.loop;
    }
    EXPECT_EQ(play(test::editorRow(0, "Yes")), RowPlayResult::NotInBank) << "no sample record";
    EXPECT_EQ(play(test::editorRow(3, "Yes")), RowPlayResult::NothingStarted) << "disabled";
    EXPECT_EQ(play(test::editorRow(9, "Yes")), RowPlayResult::NothingStarted) << "not in the bank";
    EXPECT_EQ(preview.playRow(doc, -1), RowPlayResult::NoSuchRow);
    EXPECT_EQ(preview.playRow(doc, rows.size()), RowPlayResult::NoSuchRow);
    bankAudio.releaseBank();
    EXPECT_EQ(play(test::editorRow(1, "Yes")), RowPlayResult::NotInBank) << "no current bank";
}

// The old file is stopped and freed first: one that cannot be read leaves silence.
TEST_F(RowPreview, AnyOtherBankTextPlaysTheFileAndAnUnreadableOneNothing) {
    for (const char* other : {"*", "", "Yes ", "yess"})
        EXPECT_EQ(play(file("a.wav", kSize, other)), RowPlayResult::FromFile) << other;
    EXPECT_GT(test::peak(audio.render(8820)), 0.2);
    EXPECT_TRUE(audio.system.ZQPreviewIsPlaying());
    EXPECT_EQ(preview.playPosition()->sourceKey, waveformSource(doc, rows.row(0), "").key());
    EXPECT_NEAR(double(preview.playPosition()->frame), 8820, 900);
    std::vector<int16_t> pcm(2 * 4410);  // 16-bit output: the float mix times 32767
    ASSERT_EQ(audio.system.ZQRender(pcm.data(), 4410), ZQAudioResult::Ok);
    EXPECT_NEAR(*std::max_element(pcm.begin(), pcm.end()) / 32767.0, test::peak(audio.render(4410)),
                0.002);
    const std::pair<Row, RowPlayResult> cases[] = {
        {file("gone.wav"), RowPlayResult::FileUnreadable},
        {file(""), RowPlayResult::FileUnreadable},
        {file("a.wav", 10), RowPlayResult::FileNotPlayable},
        {file("a.wav", 0), RowPlayResult::FileNotPlayable},
    };
    for (const auto& [unreadable, result] : cases) {
        ASSERT_EQ(play(file("a.wav")), RowPlayResult::FromFile);
        audio.render(1024);
        EXPECT_EQ(play(unreadable), result);
        EXPECT_EQ(audio.system.ZQPreviewBytes(), 0u) << "the old buffer is released";
        EXPECT_EQ(test::peak(audio.render(2048)), 0.0);
    }
}

// A named pipe must not hang the editor; if it waits, the test opens the writer's end.
TEST(RowWaveFile, ReadsTheFirstSizeBytesAndRefusesPipesWithoutWaiting) {
    test::TempFolder folder;
    const std::string path = folder.file("x.bin");
    test::writeFile(path, test::Bytes{1, 2, 3, 4, 5});
    EXPECT_EQ(readRowWaveFile(path, 3), (test::Bytes{1, 2, 3}));
    EXPECT_EQ(readRowWaveFile(path, 0xFFFFFFFF), (test::Bytes{1, 2, 3, 4, 5})) << "no zeros past";
    const std::string fifo = folder.file("pipe.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto read = std::async(std::launch::async, [&] { return readRowWaveFile(fifo, 100); });
    if (read.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
        ADD_FAILURE() << "the read waited for a writer of the pipe";
    }
    EXPECT_FALSE(read.get());
}

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

// Music mode: the bar's volume is the music's, put back at the end; a failed
// write (a section's file replaced by a pipe) runs no test.
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
    ASSERT_EQ(::mkfifo(section.c_str(), 0600), 0);  // refused unread, never waited on
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
