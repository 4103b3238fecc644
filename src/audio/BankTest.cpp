#include "audio/BankTest.h"

#include <unistd.h>

#include <climits>

#include "audio/PlayRules.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace quillon {

uint32_t musicTrackNumber(const RowList& rows) {
    const int first = rows.nextSelected(0);
    return first < 0 ? 1 : uint32_t(first) + 1;
}

std::optional<int> spunGroup(int position, int step) {
    const long long value = (long long)position + step;
    if (value < 0 || value > INT_MAX) return std::nullopt;
    return int(value);
}

BankTest::BankTest(CQuillonDoc& doc, EditorAudio& audio, BankTestKind kind)
    : doc_(doc), audio_(audio), kind_(kind) {}

BankTest::~BankTest() {
    end();
}

void BankTest::listEnabled(bool enabled) {
    if (setListEnabled) setListEnabled(enabled);
}

// A file of that name left by an earlier run is removed: the writer makes its
// output new.
bool BankTest::buildTemporaryPath() {
    std::optional<std::string> folder = privateTempFolder();
    if (!folder) return false;
    tempPath_ = joinPath(*folder, kAtmosTempName);
    ::unlink(tempPath_.c_str());
    return true;
}

bool BankTest::writeTemporaryBank() {
    audio_.stopAllSamples();
    rememberedBank_ = audio_.registeredBankPath();
    ZQFile& previous = doc_.previousFile();
    previousFile_ = previous.IsOpen() ? previous.GetName() : "";
    Shell& shell = doc_.shell();
    if (!buildTemporaryPath()) {
        showStop(shell, kMessageTempBank);
        return false;
    }
    const std::string savedTarget = doc_.targetPath();
    shell.setMainWindowsEnabled(false);
    doc_.setTarget(tempPath_);
    const bool written = doc_.WriteBank(false) == 1;
    doc_.setTarget(savedTarget);
    shell.setMainWindowsEnabled(true);
    if (written) {
        written_ = true;
        listEnabled(false);
        return true;
    }
    // The writer leaves the earlier bank as it was when it fails; should a
    // failure come after it let go of the bank, it is taken back here.
    ::unlink(tempPath_.c_str());
    const std::string lost = bringBackEarlierBank();
    listEnabled(true);
    if (!lost.empty()) showStop(shell, format(kMessageReopenFailed, lost.c_str()));
    return false;
}

void BankTest::startSound() {
    if (!written_) return;
    if (kind_ == BankTestKind::Atmos) {
        audio_.setAtmosBankVolume(kFullVolume);
        return;
    }
    playMusicFromSelection();
    musicMode_ = true;
}

void BankTest::playMusicFromSelection() {
    musicInfo_ = audio_.playMusic(musicTrackNumber(doc_.rows()));
}

void BankTest::volumeMoved(int position) {
    if (musicMode_)
        audio_.setMusicMasterVolume(position);
    else
        audio_.setAtmosBankVolume(position);
}

void BankTest::groupSpun(int position, int step) {
    if (std::optional<int> group = spunGroup(position, step)) audio_.setAtmosGroup(*group);
}

// In an ambient test this starts the music on the temporary bank while music
// mode stays clear; the release at the end stops it.
void BankTest::restartMusic() {
    audio_.stopMusic();
    playMusicFromSelection();
}

void BankTest::end() {
    if (!written_) return;
    written_ = false;
    if (musicMode_) {
        audio_.setStatusText(std::string());
        audio_.stopMusic();
        audio_.setMusicMasterVolume(kFullVolume);
        musicMode_ = false;
    }
    musicInfo_ = nullptr;
    audio_.releaseBank();
    ::unlink(tempPath_.c_str());
    const std::string lost = bringBackEarlierBank();
    listEnabled(true);
    if (!lost.empty()) showStop(doc_.shell(), format(kMessageReopenFailed, lost.c_str()));
}

// The rows keep their own copies of their sample records, which the temporary
// bank never touched, so they need nothing back; the library needs the earlier
// bank registered, and the document its previous file open for the next save
// to copy unchanged samples from. Returns the path that could not be had
// again, or nothing.
std::string BankTest::bringBackEarlierBank() {
    std::string lost;
    if (!rememberedBank_.empty() && audio_.registeredBankPath() != rememberedBank_ &&
        !audio_.registerBank(rememberedBank_))
        lost = rememberedBank_;
    ZQFile& previous = doc_.previousFile();
    const bool stillOpen = previous.IsOpen() && previousFile_ == previous.GetName();
    if (previousFile_.empty() || stillOpen) return lost;
    previous.Close();
    if (previous.SetName(previousFile_.c_str()) != ZQ_OK ||
        previous.Open(ZQ_FILE_READ_ONLY) != ZQ_OK) {
        previous.Close();
        if (lost.empty()) lost = previousFile_;
    }
    return lost;
}

}  // namespace quillon
