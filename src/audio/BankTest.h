// The ambient and music test: the whole bank as the editor holds it, saved or
// not, written to the temporary bank "ZQATMOS.TMP" in the private temporary
// folder and registered with the audio library while the test's bar is open;
// afterwards the bank registered before comes back.
//
// These are the steps around the bar; the bar itself (slider, group spinner,
// "Restart Music", "Cancel") is the editor's, and calls volumeMoved,
// groupSpun and restartMusic. No Qt.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "audio/EditorAudio.h"
#include "bank/QuillonDoc.h"

namespace quillon {

inline constexpr char kAtmosTempName[] = "ZQATMOS.TMP";
// No private temporary folder could be had for the temporary bank.
inline constexpr char kMessageTempBank[] = "Error Creating Temp Bank File";
// The bank registered before the test cannot be registered or opened again.
inline constexpr char kMessageReopenFailed[] =
    "Could not open %s again - save the bank under a new name";

enum class BankTestKind {
    Atmos,  // "Play Atmos Bank": the bank's ambient samples at full bank volume
    Music,  // "Play Music Bank": the bank's sections as music
};

// The track a music test starts from: the first selected row's place counting
// from 1, or 1 without a selection.
[[nodiscard]] uint32_t musicTrackNumber(const RowList& rows);

// The group a spinner change asks for: the position plus the step. A negative
// value asks for nothing; a value past the spinner's range still goes to the
// library (the spinner itself stays at its end).
[[nodiscard]] std::optional<int> spunGroup(int position, int step);

class BankTest {
  public:
    BankTest(CQuillonDoc& doc, EditorAudio& audio, BankTestKind kind);
    // Ends a test that was started and not ended.
    ~BankTest();
    BankTest(const BankTest&) = delete;
    BankTest& operator=(const BankTest&) = delete;

    // Enables or disables the list view alone (the shell's call does the
    // list and the frame together); the list stays disabled while the bar is
    // open.
    std::function<void(bool enabled)> setListEnabled;

    // Stops every sample, remembers the registered bank, and writes the
    // temporary bank with the list and frame disabled; the writer registers
    // it. False when no test can run: the list is enabled again and the
    // earlier bank is back (the writer or this step said why).
    bool writeTemporaryBank();
    // Starts the sound: an ambient test raises the temporary bank's ambient
    // volume to 127; a music test plays its music from the selected track and
    // sets music mode.
    void startSound();

    // The bar's controls.
    void volumeMoved(int position);          // the slider, 0..127
    void groupSpun(int position, int step);  // the spinner's change request
    void restartMusic();                     // "Restart Music", in both tests

    // After the bar closed: a music test stops its music and puts the music
    // volume back at 127; then the temporary bank is released and deleted,
    // the earlier bank registered again and the document's previous file
    // reopened, and the list enabled. When the earlier bank cannot be had
    // again, a message says so. Runs once.
    void end();

    [[nodiscard]] BankTestKind kind() const { return kind_; }
    [[nodiscard]] bool musicMode() const { return musicMode_; }
    [[nodiscard]] const std::string& temporaryPath() const { return tempPath_; }
    [[nodiscard]] const std::string& rememberedBankPath() const { return rememberedBank_; }
    // The record of the latest music play; kept, not read by the editor.
    [[nodiscard]] const ZQ_MusicInfo* musicInfo() const { return musicInfo_; }

  private:
    bool buildTemporaryPath();
    void playMusicFromSelection();
    std::string bringBackEarlierBank();
    void listEnabled(bool enabled);

    CQuillonDoc& doc_;
    EditorAudio& audio_;
    BankTestKind kind_;
    std::string rememberedBank_;  // the registered bank's path; empty without one
    std::string previousFile_;    // the document's previous file; empty without one
    std::string tempPath_;
    bool written_ = false;  // the temporary bank was written and the end is still to come
    bool musicMode_ = false;
    const ZQ_MusicInfo* musicInfo_ = nullptr;
};

}  // namespace quillon
