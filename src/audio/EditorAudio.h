// The editor's audio: the one ZQ_AudioSystem of the run, the current bank
// handle (this object is the document's BankAudio), the row preview, and the
// status text that status bar pane 1 shows.
//
// It is made before the editor starts. The system is configured and created
// when the list view first shows (create), and destroyed at shut-down
// (destroySystem); from then on every call does nothing, so the document,
// which goes later, may still stop samples and release its bank. No Qt.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/Preview.h"
#include "audio/Waveform.h"
#include "audio/ZQAudio.h"
#include "audio/ZQBankAudio.h"
#include "bank/BankAudio.h"

namespace quillon {

class EditorAudio : public BankAudio {
  public:
    // `outputMode` is the second configuration field: ZQ_OUTPUT_DEFAULT for the
    // editor; tests pass ZQ_OUTPUT_LOOPBACK so that nothing sounds and voices
    // play until they are stopped.
    explicit EditorAudio(uint32_t outputMode = ZQ_OUTPUT_DEFAULT);
    ~EditorAudio() override;
    EditorAudio(const EditorAudio&) = delete;
    EditorAudio& operator=(const EditorAudio&) = delete;

    // Sets the eight configuration fields in field order (1, the output mode,
    // 1, 0, 0, 32, 0x1000000, 44100), then creates the system.
    ZQAudioResult create();
    // The line the status bar shows once when no sound comes out ("No sound
    // device - silent output"); empty while sound comes out, and on the
    // loopback device, whose caller (a test) stands in for the sound card.
    [[nodiscard]] std::string outputNotice() const;
    // Stops the preview and frees its audio, releases the current bank and
    // destroys the system. Runs once.
    void destroySystem();

    // Null once the system is destroyed.
    [[nodiscard]] ZQ_AudioSystem* system() { return system_.get(); }
    [[nodiscard]] ZQBankAudio* bankAudio() { return bankAudio_.get(); }
    [[nodiscard]] ZQ_AudioBank* currentBank() const;

    // BankAudio: the document's current bank.
    void stopAllSamples() override;
    bool registerBank(const std::string& path) override;
    void releaseBank() override;
    std::string registeredBankPath() const override;

    // The row preview (see PreviewPlayer).
    RowPlayResult playRow(const CQuillonDoc& doc, int row);
    // The waveform's click: the row's audio from a frame (see PreviewPlayer::playRowFrom).
    RowPlayResult playRowFrom(const CQuillonDoc& doc, int row, uint32_t startFrame);
    // The frame the last row's play is at, while it sounds.
    [[nodiscard]] std::optional<PreviewPlayer::PlayPosition> playPosition();
    // The bank file that rows stored in the bank are read from: the current
    // bank's path, empty without one.
    [[nodiscard]] std::string waveformBankPath() const;
    // Where the waveform reads the document's row from: the same audio, and
    // the same key, as a play of the row gives.
    [[nodiscard]] WaveformSource waveformSourceOf(const CQuillonDoc& doc, const Row& row) const;
    // "Stop All Sample Playback": the library's voices and a row playing from its file.
    void stopAll();
    // The toolbar refresh: empties the status text and gives the pane figures.
    [[nodiscard]] StatusFigures refreshFigures(const RowList& rows);
    [[nodiscard]] bool editorVoicePlaying();
    // The 100 ms timer: advances the library one tick; pane 2's text.
    [[nodiscard]] std::string tick();

    // The program's status text, at most kStatusTextMaxChars characters.
    [[nodiscard]] const std::string& statusText() const { return statusText_; }
    void setStatusText(std::string text);

    // The calls of the ambient and music test, on the current bank. Virtual,
    // so that a test can record what the editor asks of the library.
    virtual void setAtmosBankVolume(int volume);
    virtual void setAtmosGroup(int group);
    // Plays the current bank's music from the track: volume 127, play count,
    // loop track and last track 0 (for ever, over the whole bank), pitch 100,
    // and a status callback that writes the status text. Null when nothing
    // started.
    virtual const ZQ_MusicInfo* playMusic(uint32_t trackNumber);
    virtual void stopMusic();
    virtual void setMusicMasterVolume(int volume);

  private:
    uint32_t outputMode_;
    std::unique_ptr<ZQ_AudioSystem> system_;
    std::unique_ptr<ZQBankAudio> bankAudio_;
    std::unique_ptr<PreviewPlayer> preview_;
    std::string statusText_;
};

}  // namespace quillon
