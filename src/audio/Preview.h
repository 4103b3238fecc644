// The editor's preview of single rows on the audio library, and the figures of
// its status bar. A row whose Bank cell reads "Yes" (any letter case) plays out
// of the registered bank through ZQSamplePlay; any other row plays its file
// from memory on the preview voice. The editor calls playRow from the row
// icon's click and from Space, and the script table export from its "play the
// line?" question; its toolbar refresh and its 100 ms timer take their pane
// texts from here. No Qt.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/ZQAudio.h"
#include "audio/ZQBankAudio.h"
#include "bank/QuillonDoc.h"
#include "bank/RowList.h"

namespace quillon {

enum class RowPlayResult {
    FromBank,         // a library voice started
    FromFile,         // the file plays on the preview voice
    NoSuchRow,        // the index is not a row: nothing happens
    NotInBank,        // Bank "Yes" but no current bank, or a row without its sample record
    NothingStarted,   // the library started no voice (disabled, no voice free, unknown ...)
    FileUnreadable,   // the file cannot be opened or read: nothing plays
    FileNotPlayable,  // the bytes are not a WAV image (or music section) that decodes
};

// The status bar as the toolbar refresh leaves it: panes 1 to 5 and whether
// "Stop All Sample Playback" is enabled. Without rows panes 2 to 5 are empty.
struct StatusFigures {
    std::string status;         // pane 1: the refresh empties the status text
    std::string playing;        // pane 2: playing library samples, "%5d"
    std::string rowCount;       // pane 3: "%5d"
    std::string selectedBytes;  // pane 4: formatByteTotal of the selected rows
    std::string totalBytes;     // pane 5: formatByteTotal of all rows
    bool stopAllEnabled = false;
};

// The status text of pane 1 holds at most this many characters.
inline constexpr size_t kStatusTextMaxChars = 31;

// The music status callback's line for pane 1: three blanks and the library's
// text, cut to fit the status text. A null text gives the blanks alone.
[[nodiscard]] std::string musicStatusText(const char* libraryText);

// The play options for a row of the bank: the current bank, owner 0, flags
// 0xFFF, spatial 1, the sample number of the row's sample record, Volume (127
// for "*"), Pitch (the constructor's 100 for "*"), Loop (0 for "*"), behaviour
// 3. Cell texts become numbers as the C library's decimal conversion reads them.
[[nodiscard]] ZQ_SamplePlayOptions rowPlayOptions(const Row& row, ZQ_AudioBank* bank);

// The first `size` bytes of a file in a zero-filled buffer of `size` bytes;
// nothing when the file cannot be opened or read. Zeros past the end of the
// file hold no sound, so the buffer never grows past the file: a Size text
// that is wrong cannot ask for gigabytes.
[[nodiscard]] std::optional<std::vector<uint8_t>> readRowWaveFile(const std::string& path,
                                                                  uint32_t size);

// One per editor view. It stops the preview when destroyed, so it must go
// before the system it was made with.
class PreviewPlayer {
  public:
    PreviewPlayer(ZQ_AudioSystem& system, const ZQBankAudio& bankAudio)
        : system_(system), bankAudio_(bankAudio) {}
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    // Plays the document's row (see the top). Playing a file first stops the
    // file that played and frees its audio, whether the new one plays or not.
    // The file is the one the document reads the row from (sourceFileOf).
    RowPlayResult playRow(const CQuillonDoc& doc, int row);
    // Plays the row's audio from a frame on the preview voice, out of the
    // bank file `bankPath` for a row stored in the bank, else out of its file.
    // A music section's MPEG audio is decoded whole first (libmpg123), as the
    // waveform decodes it, so its frames are the waveform's.
    RowPlayResult playRowFrom(const CQuillonDoc& doc, int row, uint32_t startFrame,
                              const std::string& bankPath);

    // The play of the last row started here, while it sounds: the waveform key
    // of the row's audio (WaveformSource::key) and the frame the output plays.
    struct PlayPosition {
        std::string sourceKey;
        uint32_t frame = 0;
    };
    [[nodiscard]] std::optional<PlayPosition> playPosition();

    // "Stop All Sample Playback": every library voice and a row playing from
    // its file: the user means every sound the list started.
    void stopAll() {
        system_.ZQSampleStopAll();
        system_.ZQPreviewStop();
    }

    // The toolbar refresh's figures (see StatusFigures).
    [[nodiscard]] StatusFigures statusFigures(const RowList& rows);
    [[nodiscard]] StatusFigures statusFigures(const CQuillonDoc& doc) {
        return statusFigures(doc.rows());
    }
    // True when some voice record from the first to the last has owner 0 (the
    // editor's and the ambience's plays) and sounds.
    [[nodiscard]] bool editorVoicePlaying();

    // The 100 ms timer: advances the library by one tick (ambience, music) and
    // returns pane 2's text, the playing library samples as "%5d".
    [[nodiscard]] std::string tick();

  private:
    RowPlayResult playFromBank(const CQuillonDoc& doc, const Row& row);
    RowPlayResult playFromFile(const CQuillonDoc& doc, const Row& row);
    ZQAudioResult playMusicSection(std::span<const uint8_t> bytes, uint32_t startFrame);
    [[nodiscard]] std::string playingText();

    void rememberPlay(const CQuillonDoc& doc, const Row& row, std::optional<ZQ_SampleHandle> voice);

    ZQ_AudioSystem& system_;
    const ZQBankAudio& bankAudio_;
    // What the last play started: its audio's key, and the pool voice when it
    // came out of the bank (else the preview voice plays it).
    std::string playedKey_;
    std::optional<ZQ_SampleHandle> playedVoice_;
};

}  // namespace quillon
