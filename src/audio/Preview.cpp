#include "audio/Preview.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "audio/AudioBank.h"
#include "audio/PlayRules.h"
#include "audio/Waveform.h"
#include "bank/CellFormat.h"
#include "bank/ListOps.h"
#include "bank/RowRecord.h"
#include "platform/FileIo.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

namespace {

constexpr uint32_t kEditorOwner = 0;
constexpr uint32_t kEditorFlags = 0xFFF;
constexpr uint32_t kEditorSpatial = 1;
constexpr uint32_t kEditorBehaviour = 3;
constexpr char kMusicStatusIndent[] = "   ";

// Reads until `out` is full or the file ends; false on a read error.
bool readUpTo(int fd, std::vector<uint8_t>& out) {
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = ::read(fd, out.data() + done, out.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        done += size_t(got);
    }
    return true;
}

}  // namespace

std::string musicStatusText(const char* libraryText) {
    std::string line = kMusicStatusIndent;
    if (libraryText != nullptr) line += libraryText;
    if (line.size() > kStatusTextMaxChars) line.resize(kStatusTextMaxChars);
    return line;
}

ZQ_SamplePlayOptions rowPlayOptions(const Row& row, ZQ_AudioBank* bank) {
    ZQ_SamplePlayOptions options;
    options.Bank = bank;
    options.Owner = kEditorOwner;
    options.Flags = kEditorFlags;
    options.Spatial = kEditorSpatial;
    if (row.record) options.SampleNumber = row.record->sampleNumber;
    const std::string& volume = row.cells[kColVolume];
    options.Volume = isNotSet(volume) ? kFullVolume : atoiLike(volume);
    const std::string& pitch = row.cells[kColPitch];
    if (!isNotSet(pitch)) options.Pitch = atoiLike(pitch);
    const std::string& loop = row.cells[kColLoop];
    options.LoopCount = isNotSet(loop) ? 0 : atoiLike(loop);
    options.Behaviour = kEditorBehaviour;
    return options;
}

std::optional<std::vector<uint8_t>> readRowWaveFile(const std::string& path, uint32_t size) {
    // O_NONBLOCK: a named pipe would otherwise hold the open until a writer
    // comes; it is refused below with everything else that is not a file.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    const uint64_t held = std::min<uint64_t>({size, uint64_t(info.st_size), kMaxWaveImageBytes});
    std::vector<uint8_t> bytes(size_t(held), 0);
    if (!readUpTo(file.get(), bytes)) return std::nullopt;
    return bytes;
}

// --- PreviewPlayer -----------------------------------------------------------------

PreviewPlayer::~PreviewPlayer() {
    system_.ZQPreviewStop();
}

RowPlayResult PreviewPlayer::playRow(const CQuillonDoc& doc, int row) {
    const RowList& rows = doc.rows();
    if (row < 0 || row >= rows.size()) return RowPlayResult::NoSuchRow;
    const Row& picked = rows.row(row);
    return isBankYes(picked.cells[kColBank]) ? playFromBank(doc, picked)
                                             : playFromFile(doc, picked);
}

RowPlayResult PreviewPlayer::playRowFrom(const CQuillonDoc& doc, int row, uint32_t startFrame,
                                         const std::string& bankPath) {
    const RowList& rows = doc.rows();
    if (row < 0 || row >= rows.size()) return RowPlayResult::NoSuchRow;
    const Row& picked = rows.row(row);
    system_.ZQPreviewStop();
    const WaveformSource source = waveformSource(doc, picked, bankPath);
    std::optional<std::vector<uint8_t>> image = readWaveformImage(source);
    if (!image) return RowPlayResult::FileUnreadable;
    const ZQAudioResult played = source.mpegDescriptor != 0
                                     ? playMusicSection(*image, startFrame)
                                     : system_.ZQPreviewPlay(std::move(*image), startFrame);
    if (played != ZQAudioResult::Ok) return RowPlayResult::FileNotPlayable;
    playedKey_ = source.key();
    playedVoice_.reset();
    return RowPlayResult::FromFile;
}

// A section's MPEG audio is decoded here, as the waveform decodes it, so a
// frame of the drawn waveform is the same frame of the sound.
ZQAudioResult PreviewPlayer::playMusicSection(std::span<const uint8_t> bytes, uint32_t startFrame) {
    WaveformDecode decoded = decodeWaveformMpeg(bytes);
    if (!decoded.audio) return ZQAudioResult::DecodeFailed;
    WaveformAudio& audio = *decoded.audio;
    return system_.ZQPreviewPlayPcm(std::move(audio.samples), audio.channels, audio.rate,
                                    startFrame);
}

std::optional<PreviewPlayer::PlayPosition> PreviewPlayer::playPosition() {
    if (playedKey_.empty()) return std::nullopt;
    const std::optional<uint32_t> frame =
        playedVoice_ ? system_.ZQSampleGetPosition(*playedVoice_) : system_.ZQPreviewGetPosition();
    if (!frame) return std::nullopt;
    return PlayPosition{playedKey_, *frame};
}

void PreviewPlayer::rememberPlay(const CQuillonDoc& doc, const Row& row,
                                 std::optional<ZQ_SampleHandle> voice) {
    const std::string bankPath =
        bankAudio_.currentBank() != nullptr ? bankAudio_.registeredBankPath() : std::string();
    playedKey_ = waveformSource(doc, row, bankPath).key();
    playedVoice_ = voice;
}

RowPlayResult PreviewPlayer::playFromBank(const CQuillonDoc& doc, const Row& row) {
    ZQ_AudioBank* bank = bankAudio_.currentBank();
    if (bank == nullptr || !row.record) return RowPlayResult::NotInBank;
    const ZQ_SampleInfo* voice = system_.ZQSamplePlay(rowPlayOptions(row, bank));
    if (voice == nullptr) return RowPlayResult::NothingStarted;
    rememberPlay(doc, row, ZQ_AudioSystem::ZQSampleGetHandle(voice));
    return RowPlayResult::FromBank;
}

RowPlayResult PreviewPlayer::playFromFile(const CQuillonDoc& doc, const Row& row) {
    // The file that played stops and its audio goes, whatever becomes of this one.
    system_.ZQPreviewStop();
    std::optional<std::vector<uint8_t>> image =
        readRowWaveFile(doc.sourceFileOf(row), atouLike(row.cells[kColSize]));
    if (!image) return RowPlayResult::FileUnreadable;
    if (system_.ZQPreviewPlay(std::move(*image)) != ZQAudioResult::Ok)
        return RowPlayResult::FileNotPlayable;
    rememberPlay(doc, row, std::nullopt);
    return RowPlayResult::FromFile;
}

StatusFigures PreviewPlayer::statusFigures(const RowList& rows) {
    StatusFigures figures;
    if (rows.empty()) return figures;
    figures.playing = playingText();
    figures.rowCount = format("%5d", rows.size());
    const ByteTotals totals = byteTotals(rows);
    figures.selectedBytes = formatByteTotal(totals.selected);
    figures.totalBytes = formatByteTotal(totals.all);
    figures.stopAllEnabled = editorVoicePlaying() || system_.ZQPreviewIsPlaying();
    return figures;
}

bool PreviewPlayer::editorVoicePlaying() {
    // The last record is asked again at every step, as the library may change it.
    for (const ZQ_SampleInfo* info = system_.ZQSampleGetFirstInfoStruct();
         info != nullptr && info <= system_.ZQSampleGetLastInfoStruct(); ++info) {
        if (info->Owner == kEditorOwner && system_.ZQSampleIsPlaying(info) != 0) return true;
    }
    return false;
}

std::string PreviewPlayer::tick() {
    system_.ZQAtmosProcess(1);
    return playingText();
}

std::string PreviewPlayer::playingText() {
    return format("%5u", system_.ZQSampleGetNumberPlaying());
}

}  // namespace quillon
