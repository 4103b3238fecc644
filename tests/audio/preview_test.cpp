// The editor's row preview and its status figures, through the loopback device:
// which rows play out of the bank and which from their files, what the cells
// put into the play options, and what the status panes show.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "audio/AudioTestKit.h"
#include "audio/Preview.h"
#include "audio/Waveform.h"
#include "bank/Columns.h"
#include "platform/Paths.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

using test::kTestRate;
using test::playableRecord;

// A row as the editor holds it: every property "*", the sample record of the
// bank with number `sampleNumber` (none for 0).
Row bankRow(uint32_t sampleNumber, const std::string& bankText = "Yes") {
    Row row;
    for (int c = 0; c < kColumnCount; ++c)
        setCell(row, c, "*");
    setCell(row, kColNo, std::to_string(sampleNumber));
    setCell(row, kColBank, bankText);
    if (sampleNumber != 0) {
        ZQ_BankSample record = playableRecord();
        record.sampleNumber = sampleNumber;
        row.record = record;
    }
    return row;
}

Row fileRow(const std::string& folder, const std::string& name, size_t size,
            const std::string& bankText = "*") {
    Row row = bankRow(0, bankText);
    setCell(row, kColLocation, folder);
    setCell(row, kColName, name);
    setCell(row, kColSize, std::to_string(size));
    setCell(row, kColClone, "0");
    return row;
}

class RowPreview : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(audio.created, ZQAudioResult::Ok);
        test::TestBank bank;
        bank.add(playableRecord(), test::sineWav(440, kTestRate));  // 1
        ZQ_BankSample pitched = playableRecord();
        pitched.pitch = 150;
        pitched.setFlags = kFlagPitch;
        bank.add(pitched, test::sineWav(440, kTestRate));  // 2
        ZQ_BankSample disabled = playableRecord();
        disabled.enabled = 0;
        bank.add(disabled, test::sineWav(440, kTestRate));  // 3
        ASSERT_TRUE(bankAudio.registerBank(bank.write(folder)));
    }

    // Writes a WAV file into the folder; returns its size.
    size_t writeWav(const std::string& name, double frequency) {
        const test::Bytes image = test::sineWav(frequency, kTestRate);
        test::writeFileBytes(folder.file(name), image);
        return image.size();
    }

    RowPlayResult play(Row row) {
        rows.clear();
        rows.append(std::move(row));
        return preview.playRow(doc, 0);
    }

    // The one voice that sounds; null when none or more than one do.
    const ZQ_SampleInfo* onlyVoice() {
        const ZQ_SampleInfo* found = nullptr;
        ZQ_SampleInfo* last = audio.system.ZQSampleGetLastInfoStruct();
        for (ZQ_SampleInfo* info = audio.system.ZQSampleGetFirstInfoStruct(); info <= last;
             ++info) {
            if (!audio.system.ZQSampleIsPlaying(info)) continue;
            if (found != nullptr) return nullptr;
            found = info;
        }
        return found;
    }

    test::TempFolder folder;
    test::LoopbackAudio audio;
    ZQBankAudio bankAudio{audio.system};
    PreviewPlayer preview{audio.system, bankAudio};
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    RowList& rows = doc.rows();
};

TEST_F(RowPreview, YesInAnyCasePlaysTheRecordsSampleThroughTheLibrary) {
    for (const char* yes : {"Yes", "yes", "YES", "yEs"}) {
        audio.system.ZQSampleStopAll();
        Row row = bankRow(2, yes);
        setCell(row, kColNo, "7");  // renumbered since the save: the record's number plays
        EXPECT_EQ(play(row), RowPlayResult::FromBank) << yes;
        const ZQ_SampleInfo* voice = onlyVoice();
        ASSERT_NE(voice, nullptr) << yes;
        EXPECT_EQ(voice->SampleNumber, 2u) << yes;
        EXPECT_EQ(voice->Owner, 0u) << yes;
        EXPECT_FALSE(audio.system.ZQPreviewIsPlaying()) << yes;
    }
}

TEST_F(RowPreview, AnyOtherBankTextPlaysTheFile) {
    const size_t size = writeWav("tone.wav", 440);
    for (const char* other : {"*", "", "No", "Yes ", "Y", "yess"}) {
        EXPECT_EQ(play(fileRow(folder.path(), "tone.wav", size, other)), RowPlayResult::FromFile)
            << "'" << other << "'";
        EXPECT_TRUE(audio.system.ZQPreviewIsPlaying()) << other;
        EXPECT_EQ(audio.system.ZQSampleGetNumberPlaying(), 0u) << other;
    }
    EXPECT_NEAR(test::measuredFrequency(audio.render(8820), 0), 440, 2);
}

// What the cells put into the options: "*" in Volume is 127, in Loop 0, and in
// Pitch the constructor's 100, which then replaces the record's own pitch
// since the editor's flags set every bit.
TEST(RowPlayOptions, TheCellsFillTheOptions) {
    struct Case {
        const char* name;
        const char* volume;
        const char* pitch;
        const char* loop;
        int32_t wantVolume, wantPitch, wantLoop;
    };
    const Case cases[] = {
        {"all not set", "*", "*", "*", 127, 100, 0},
        {"values", "64", "200", "3", 64, 200, 3},
        {"decimal conversion", "12abc", " 150", "-1", 12, 150, -1},
        {"no digits", "", "x", "loop", 0, 0, 0},
    };
    ZQ_AudioBank* bank = reinterpret_cast<ZQ_AudioBank*>(0x1000);
    for (const Case& c : cases) {
        Row row = bankRow(5);
        setCell(row, kColVolume, c.volume);
        setCell(row, kColPitch, c.pitch);
        setCell(row, kColLoop, c.loop);
        const ZQ_SamplePlayOptions o = rowPlayOptions(row, bank);
        EXPECT_EQ(o.Bank, bank) << c.name;
        EXPECT_EQ(o.Owner, 0u) << c.name;
        EXPECT_EQ(o.Flags, 0xFFFu) << c.name;
        EXPECT_EQ(o.Spatial, 1u) << c.name;
        EXPECT_EQ(o.SampleNumber, 5u) << c.name;
        EXPECT_EQ(o.Volume, c.wantVolume) << c.name;
        EXPECT_EQ(o.Pitch, c.wantPitch) << c.name;
        EXPECT_EQ(o.LoopCount, c.wantLoop) << c.name;
        EXPECT_EQ(o.Behaviour, 3u) << c.name;
    }
}

TEST_F(RowPreview, StarsPlayAtFullVolumeOnceAtTheDefaultPitch) {
    struct Case {
        const char* volume;
        const char* pitch;
        const char* loop;
        int32_t volumePlayed, pitchPlayed, loopPlayed;
    };
    const Case cases[] = {
        {"*", "*", "*", 127, 100, 0},  // record 2 has Pitch 150 of its own
        {"64", "200", "2", 64, 200, 2},
    };
    for (const Case& c : cases) {
        audio.system.ZQSampleStopAll();
        Row row = bankRow(2);
        setCell(row, kColVolume, c.volume);
        setCell(row, kColPitch, c.pitch);
        setCell(row, kColLoop, c.loop);
        ASSERT_EQ(play(row), RowPlayResult::FromBank) << c.volume;
        const ZQ_SampleInfo* voice = onlyVoice();
        ASSERT_NE(voice, nullptr);
        EXPECT_EQ(voice->Volume, c.volumePlayed) << c.volume;
        EXPECT_EQ(voice->Pitch, c.pitchPlayed) << c.volume;
        EXPECT_EQ(voice->LoopCount, c.loopPlayed) << c.volume;
    }
    audio.system.ZQSampleStopAll();
    ASSERT_EQ(play(bankRow(1)), RowPlayResult::FromBank);
    const std::vector<float> out = audio.render(8820);
    EXPECT_NEAR(test::measuredFrequency(out, 0), 440, 2) << "Pitch * plays the recorded rate";
}

TEST_F(RowPreview, BankRowsTheLibraryCannotPlay) {
    EXPECT_EQ(play(bankRow(0)), RowPlayResult::NotInBank) << "no sample record";
    EXPECT_EQ(play(bankRow(3)), RowPlayResult::NothingStarted) << "disabled";
    EXPECT_EQ(play(bankRow(9)), RowPlayResult::NothingStarted) << "not in the bank";
    bankAudio.releaseBank();
    EXPECT_EQ(play(bankRow(1)), RowPlayResult::NotInBank) << "no current bank";
    EXPECT_EQ(audio.system.ZQSampleGetNumberPlaying(), 0u);
    EXPECT_EQ(preview.playRow(doc, -1), RowPlayResult::NoSuchRow);
    EXPECT_EQ(preview.playRow(doc, rows.size()), RowPlayResult::NoSuchRow);
}

// The file that played is stopped and freed before the new one is opened, so
// a file that cannot be read leaves silence, not the old sound.
TEST_F(RowPreview, AFileThatCannotBeReadPlaysNothingAndReleasesTheOld) {
    const size_t size = writeWav("a.wav", 440);
    struct Case {
        const char* name;
        Row row;
        RowPlayResult result;
    };
    const Case cases[] = {
        {"missing", fileRow(folder.path(), "gone.wav", size), RowPlayResult::FileUnreadable},
        {"a folder", fileRow(folder.path(), "", size), RowPlayResult::FileUnreadable},
        {"no WAV", fileRow(folder.path(), "a.wav", 10), RowPlayResult::FileNotPlayable},
        {"size not set", fileRow(folder.path(), "a.wav", 0), RowPlayResult::FileNotPlayable},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(play(fileRow(folder.path(), "a.wav", size)), RowPlayResult::FromFile);
        audio.render(1024);
        ASSERT_GT(audio.system.ZQPreviewBytes(), 0u);
        EXPECT_EQ(play(c.row), c.result) << c.name;
        EXPECT_FALSE(audio.system.ZQPreviewIsPlaying()) << c.name;
        EXPECT_EQ(audio.system.ZQPreviewBytes(), 0u) << c.name << ": the old buffer is released";
        EXPECT_EQ(test::peak(audio.render(2048)), 0.0) << c.name;
    }
}

TEST_F(RowPreview, StopAllStopsTheLibraryAndTheFile) {
    const size_t size = writeWav("a.wav", 440);
    ASSERT_EQ(play(fileRow(folder.path(), "a.wav", size)), RowPlayResult::FromFile);
    rows.append(bankRow(1));
    ASSERT_EQ(preview.playRow(doc, 1), RowPlayResult::FromBank);
    EXPECT_TRUE(preview.statusFigures(rows).stopAllEnabled);
    preview.stopAll();
    EXPECT_EQ(audio.system.ZQSampleGetNumberPlaying(), 0u);
    EXPECT_FALSE(audio.system.ZQPreviewIsPlaying());
    EXPECT_FALSE(preview.statusFigures(rows).stopAllEnabled);
}

// A stored path relative to the bank's folder names a file beside the bank,
// wherever the program runs: the play, a click in the waveform and the
// waveform's source all read that file.
TEST_F(RowPreview, ARelativePathIsReadBesideTheBank) {
    ASSERT_TRUE(doc.OnOpenDocument(folder.file("test.sad")));
    ASSERT_EQ(::mkdir(folder.file("waves").c_str(), 0700), 0);
    const size_t size = writeWav("waves/tone.wav", 440);
    ASSERT_FALSE(pathExists("waves/tone.wav")) << "the working folder holds no such file";
    rows.append(fileRow("waves", "tone.wav", size));
    const int added = rows.size() - 1;

    EXPECT_EQ(preview.playRow(doc, added), RowPlayResult::FromFile);
    const WaveformSource source = waveformSource(doc, rows.row(added), "");
    EXPECT_EQ(source.path, folder.file("waves/tone.wav"));
    const std::optional<PreviewPlayer::PlayPosition> at = preview.playPosition();
    ASSERT_TRUE(at);
    EXPECT_EQ(at->sourceKey, source.key()) << "the waveform finds the play's line";
    EXPECT_EQ(preview.playRowFrom(doc, added, 100, ""), RowPlayResult::FromFile);
}

TEST(RowWaveFile, ReadsTheFirstSizeBytesZeroFilled) {
    test::TempFolder folder;
    const std::string path = folder.file("x.bin");
    test::writeFileBytes(path, test::Bytes{1, 2, 3, 4, 5});
    struct Case {
        uint32_t size;
        test::Bytes bytes;
    };
    const Case cases[] = {
        {0, {}},
        {3, {1, 2, 3}},
        {5, {1, 2, 3, 4, 5}},
        {0xFFFFFFFF, {1, 2, 3, 4, 5}},  // no zeros past the file, nor gigabytes
    };
    for (const Case& c : cases) {
        const std::optional<std::vector<uint8_t>> read = readRowWaveFile(path, c.size);
        ASSERT_TRUE(read) << c.size;
        EXPECT_EQ(*read, c.bytes) << c.size;
    }
    EXPECT_FALSE(readRowWaveFile(folder.file("missing.bin"), 5));
    EXPECT_FALSE(readRowWaveFile(folder.path(), 5)) << "a folder";
}

// A row whose file is a named pipe must not hang the editor waiting for a
// writer: it plays nothing. Should the open wait after all, the test opens the
// writer's end itself, so that it fails rather than hangs.
TEST(RowWaveFile, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
    test::TempFolder folder;
    const std::string fifo = folder.file("pipe.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::future<bool> read =
        std::async(std::launch::async, [&] { return readRowWaveFile(fifo, 100).has_value(); });
    if (read.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
        ADD_FAILURE() << "the read waited for a writer of the pipe";
    }
    EXPECT_FALSE(read.get());
}

// --- The status bar ------------------------------------------------------------------------

TEST_F(RowPreview, StatusFiguresWithoutRowsAreEmpty) {
    ASSERT_NE(audio.system.ZQSamplePlay(test::editorOptions(bankAudio.currentBank(), 1)), nullptr);
    const StatusFigures figures = preview.statusFigures(rows);
    EXPECT_EQ(figures.status, "");
    EXPECT_EQ(figures.playing, "");
    EXPECT_EQ(figures.rowCount, "");
    EXPECT_EQ(figures.selectedBytes, "");
    EXPECT_EQ(figures.totalBytes, "");
    EXPECT_FALSE(figures.stopAllEnabled);
}

TEST_F(RowPreview, StatusFiguresCountVoicesRowsAndBytes) {
    writeWav("a.wav", 440);
    rows.append(fileRow(folder.path(), "a.wav", 1234567));
    rows.append(fileRow(folder.path(), "b.wav", 999));
    rows.append(bankRow(1));
    rows.setSelected(1, true);

    StatusFigures figures = preview.statusFigures(rows);
    EXPECT_EQ(figures.playing, "    0");
    EXPECT_EQ(figures.rowCount, "    3");
    EXPECT_EQ(figures.totalBytes, "     1,235,566");
    EXPECT_EQ(figures.selectedBytes, "           999");
    EXPECT_FALSE(figures.stopAllEnabled);

    ASSERT_EQ(preview.playRow(doc, 2), RowPlayResult::FromBank);
    figures = preview.statusFigures(rows);
    EXPECT_EQ(figures.playing, "    1");
    EXPECT_TRUE(figures.stopAllEnabled);

    preview.stopAll();
    EXPECT_FALSE(preview.statusFigures(rows).stopAllEnabled);
}

// Only voices whose first word is 0 enable Stop All; others still count as playing.
TEST_F(RowPreview, VoicesOfAnotherOwnerDoNotEnableStopAll) {
    rows.append(bankRow(1));
    ZQ_SamplePlayOptions game = test::editorOptions(bankAudio.currentBank(), 1);
    game.Owner = 5;
    ASSERT_NE(audio.system.ZQSamplePlay(game), nullptr);
    const StatusFigures figures = preview.statusFigures(rows);
    EXPECT_EQ(figures.playing, "    1");
    EXPECT_FALSE(figures.stopAllEnabled);
}

TEST_F(RowPreview, TheTimerTickAdvancesTheAmbienceAndCountsVoices) {
    test::TestBank bank;
    ZQ_BankSample ambient = playableRecord();
    ambient.atmos = 0;
    bank.add(ambient, test::sineWav(440, kTestRate));
    ASSERT_TRUE(bankAudio.registerBank(bank.write(folder, "ambient.sad")));
    audio.system.ZQAtmosSetBankVolume(bankAudio.currentBank(), 127);
    EXPECT_EQ(preview.tick(), "    1");
}

TEST(MusicStatusText, ThreeBlanksAndTheTextCutToFit) {
    struct Case {
        const char* text;
        std::string line;
    };
    const Case cases[] = {
        {"section 2 of 14", "   section 2 of 14"},
        {nullptr, "   "},
        {"", "   "},
        {"0123456789012345678901234567", "   0123456789012345678901234567"},
        {"0123456789012345678901234567890123456789", "   0123456789012345678901234567"},
    };
    for (const Case& c : cases) {
        const std::string line = musicStatusText(c.text);
        EXPECT_EQ(line, c.line);
        EXPECT_LE(line.size(), kStatusTextMaxChars);
    }
}

}  // namespace
}  // namespace quillon
