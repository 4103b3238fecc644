// The audio system library: registers bank files, plays their samples on a pool
// of voices, runs their ambient ("Atmos") samples on a schedule, and plays WAV
// images from memory for the editor's preview, and streams music banks. Output
// goes through OpenAL Soft; WAV images are decoded by libsndfile, music by
// libmpg123. docs/audio.md says what every record
// field and configuration field means when a sample plays.
//
// One ZQ_AudioSystem serves the run. The caller sets the eight configuration
// fields, calls Create, and from then on drives the engine from one thread: the
// engine keeps no thread of its own except the clock of the silent output.
//
// Music banks play through ZQMusicPlay: their MPEG sections, one after another,
// decoded by libmpg123 through one decoder and streamed to OpenAL Soft, so the
// joins are as seamless as the uncut stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "bank/SampleRecord.h"

namespace quillon {

class AudioEngine;
class ZQ_AudioBank;
class ZQ_AudioSystem;

enum class ZQAudioResult {
    Ok,
    AlreadyCreated,    // Create ran before
    BadConfiguration,  // a configuration field is out of its range
    NoOutput,          // not even the silent output could be opened
    NotCreated,        // the call needs Create first
    NotLoopback,       // rendering asks for OutputMode ZQ_OUTPUT_LOOPBACK
    DecodeFailed,      // the WAV image is not one libsndfile decodes, or is empty
    PlaybackFailed,    // OpenAL refused the buffer or the source
};
[[nodiscard]] const char* ZQAudioResultText(ZQAudioResult result);

enum class ZQBankError {
    Ok,
    NoPath,         // null or empty path
    OpenFailed,     // missing, unreadable, or not a container file
    NoSampleTable,  // no sample table segment, or one too short for its count word
    ReadFailed,     // the table could not be read whole
    // The bank is registered all the same, with the records that stand whole in
    // its sample table: the count word promises more. The bank's
    // ZQGetErrorText says how many, and the log has the same line.
    RecordsMissing,
};
[[nodiscard]] const char* ZQBankErrorText(ZQBankError error);

// --- Configuration values ---------------------------------------------------------

// DistanceModel: how a positioned sample's level falls with distance.
inline constexpr uint32_t ZQ_DISTANCE_NONE = 0;      // no attenuation
inline constexpr uint32_t ZQ_DISTANCE_INVERSE = 1;   // inverse distance, clamped to Min/Max Dist
inline constexpr uint32_t ZQ_DISTANCE_LINEAR = 2;    // linear, clamped
inline constexpr uint32_t ZQ_DISTANCE_EXPONENT = 3;  // exponential, clamped

// OutputMode: where the mix goes.
inline constexpr uint32_t ZQ_OUTPUT_DEFAULT = 0;   // the default sound device, else silent
inline constexpr uint32_t ZQ_OUTPUT_SILENT = 1;    // no device: mixed and discarded in real time
inline constexpr uint32_t ZQ_OUTPUT_LOOPBACK = 2;  // no device: the caller renders (ZQRender)

inline constexpr uint32_t ZQ_MAX_VOICES = 255;

// ZQBankRegister's flag byte.
inline constexpr uint8_t ZQ_BANK_PRELOAD = 0x01;  // decode the samples now, not on first play

// --- Playing a sample ---------------------------------------------------------------

// ZQ_SamplePlayOptions::Behaviour bits.
inline constexpr uint32_t ZQ_PLAY_OBEY_PLAY_TYPE = 0x1;  // once and restart act; clear: overlap
inline constexpr uint32_t ZQ_PLAY_VARY_PITCH = 0x2;      // apply the record's ± Pitch

// What ZQSamplePlay is asked to play. The fields are 32-bit words in this order;
// a field the caller does not set keeps the value below.
struct ZQ_SamplePlayOptions {
    ZQ_AudioBank* Bank = nullptr;
    // A tag of the caller, copied into the first word of the voice record; the
    // editor plays with 0 and knows its voices by it. Ambient voices carry 0.
    uint32_t Owner = 0;
    // SampleFlag bits: a set bit plays this object's value instead of the
    // record's. Only kFlagPitch, kFlagVolume and kFlagLoop have a value here;
    // the other bits are ignored.
    uint32_t Flags = 0;
    // Non-zero: the record's Pan and XPos/YPos/ZPos place the voice. Zero: the
    // voice plays centred, whatever the record says.
    uint32_t Spatial = 1;
    uint32_t SampleNumber = 0;  // the record's No
    int32_t Volume = 127;       // 0..127, with kFlagVolume
    int32_t Pitch = 100;        // 100 = recorded rate, with kFlagPitch
    int32_t LoopCount = 0;      // with kFlagLoop; see docs/audio.md
    uint32_t Behaviour = ZQ_PLAY_OBEY_PLAY_TYPE | ZQ_PLAY_VARY_PITCH;
};

// Voice states in ZQ_SampleInfo::State.
inline constexpr uint32_t ZQ_VOICE_FREE = 0;
inline constexpr uint32_t ZQ_VOICE_PLAYING = 1;

// A stable name for one play of a voice: the slot in the low 8 bits, the slot's
// generation above. A handle whose play has ended names nothing, even after the
// slot plays something else; calls with it do nothing.
struct ZQ_SampleHandle {
    uint32_t Value = 0;
    bool operator==(const ZQ_SampleHandle&) const = default;
};

// One voice record. The records stand in one array, 144 bytes apart, from
// ZQSampleGetFirstInfoStruct to ZQSampleGetLastInfoStruct. A record describes
// the play its slot holds now; the engine rewrites it when the slot plays again.
struct ZQ_SampleInfo {
    uint32_t Owner;         // the play options' Owner
    uint32_t Handle;        // ZQ_SampleHandle value of the current play; 0 when free
    uint32_t State;         // ZQ_VOICE_FREE or ZQ_VOICE_PLAYING, as last seen
    uint32_t BankId;        // ZQ_AudioBank::ZQGetBankId of the bank played from
    uint32_t SampleNumber;  // the record's No
    uint32_t Priority;      // the record's Priority, 0 when not set
    uint32_t PlayType;      // kPlayOverlap, kPlayOnce or kPlayRestart as applied
    uint32_t Group;         // the record's Group
    uint32_t AtmosGroup;    // the record's Atmos Group
    uint32_t Ambient;       // 1 when the ambient scheduler started it
    int32_t Volume;         // 0..127 as played (without the bank volume)
    int32_t Pitch;          // as played, the random variation included
    int32_t LoopCount;      // as played: -1 for ever, else the loop region's plays
    int32_t Pan;            // 0..180 when panned, else -1
    float XPos, YPos, ZPos;
    float MinDist, MaxDist;  // as given to the 3D source
    uint32_t Placement;      // 0 centred, 1 panned, 2 positioned in 3D
    uint64_t StartSerial;    // counts up with every play; the oldest has the smallest
    uint8_t Reserved[56];
};
static_assert(sizeof(ZQ_SampleInfo) == 144, "voice records stand 144 bytes apart");

// --- Music -------------------------------------------------------------------------

// Told what the music plays now, e.g. "section 2 of 14", and "end of music" when
// a run ends by itself. Called on the caller's thread from the calls that look
// after the engine (ZQAtmosProcess, ZQRender, the music calls). The text is
// zero-terminated, at most kMusicStatusMaxChars characters, and lives for the
// call only.
using ZQMusicStatusCallback = std::function<void(const char* text)>;
inline constexpr size_t kMusicStatusMaxChars = 28;

// What ZQMusicPlay is asked to play. The first seven fields are 32-bit words in
// the order the editor sets them; a field the caller does not set keeps the
// value below, which is what the editor sets (the status callback aside).
struct ZQ_MusicPlayOptions {
    ZQ_AudioBank* Bank = nullptr;
    int32_t Volume = 127;      // 0..127, the samples' square law; times the master volume
    uint32_t TrackNumber = 1;  // 1 = the bank's first record with a sample number; 0 as 1
    // How often the run (TrackNumber to LastTrack) plays: 0 for ever, as a
    // game's music does; 1 once, then the music ends; n: n times.
    uint32_t PlayCount = 0;
    uint32_t LoopTrack = 0;  // where every later pass starts; 0 = TrackNumber
    uint32_t LastTrack = 0;  // the run's last track; 0 = the bank's last section
    int32_t Pitch = 100;     // rate in hundredths of the recorded rate, 1..1000
    ZQMusicStatusCallback StatusCallback;
};

// ZQ_MusicInfo::State.
inline constexpr uint32_t ZQ_MUSIC_STOPPED = 0;
inline constexpr uint32_t ZQ_MUSIC_PLAYING = 1;
inline constexpr uint32_t ZQ_MUSIC_FADING = 2;  // ZQMusicStop with a fade: ends by itself

// The music player's record, as of the latest call that looked after the
// engine. One record serves every run; ZQMusicPlay returns it.
struct ZQ_MusicInfo {
    uint32_t State;         // ZQ_MUSIC_STOPPED, ZQ_MUSIC_PLAYING or ZQ_MUSIC_FADING
    uint32_t BankId;        // ZQ_AudioBank::ZQGetBankId of the bank played
    uint32_t TrackNumber;   // the track of the section heard now
    uint32_t Section;       // the section heard now: 1 = the bank's first section
    uint32_t SectionCount;  // the bank's sections
    uint32_t Pass;          // 1 on the first pass over the run
    uint32_t SampleRate;    // the stream's own rate
    uint32_t Underruns;     // times the queue ran dry and the music went on after a gap
    uint64_t FramesPlayed;  // stream frames heard since the run started
    uint64_t FramesDecoded;
};

// --- Banks ----------------------------------------------------------------------

// A registered bank file: its sample table, kept while it is registered. Made
// by ZQ_AudioSystem::ZQBankRegister, destroyed by ZQBankRelease.
class ZQ_AudioBank {
  public:
    ~ZQ_AudioBank();
    ZQ_AudioBank(const ZQ_AudioBank&) = delete;
    ZQ_AudioBank& operator=(const ZQ_AudioBank&) = delete;

    // The records of the table, one after another, ZQGetBankSampleCount of
    // them; null when there are none. Sample number 0 marks an empty slot.
    [[nodiscard]] const ZQ_BankSample* ZQGetFirstBankSample() const;
    [[nodiscard]] uint32_t ZQGetBankSampleCount() const;
    [[nodiscard]] const char* ZQGetFileName() const;
    [[nodiscard]] uint32_t ZQGetBankId() const;
    // False for an empty or unknown number, and for a record whose audio bytes
    // lie outside the wave data segment.
    [[nodiscard]] bool ZQIsSamplePlayable(uint32_t sampleNumber) const;
    // What the register found amiss in a bank it registered all the same, e.g.
    // "2 records of the sample table could not be read"; empty when nothing.
    [[nodiscard]] const char* ZQGetErrorText() const;

    struct Impl;

  private:
    friend class ZQ_AudioSystem;
    friend class AudioEngine;
    explicit ZQ_AudioBank(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// --- The system -------------------------------------------------------------------

class ZQ_AudioSystem {
  public:
    // The eight configuration fields, in the order the editor sets them (with
    // the editor's values). Set them before Create; docs/audio.md has the detail.
    uint32_t DistanceModel = ZQ_DISTANCE_INVERSE;  // 1
    uint32_t OutputMode = ZQ_OUTPUT_DEFAULT;       // 0
    uint32_t DopplerFactor = 1;                    // 1: Doppler shift as physics has it; 0 off
    uint32_t MixUpdateHz = 0;                      // 0: OpenAL's own mixing period
    uint32_t RandomSeed = 0;                       // 0: seeded from the system; else fixed
    uint32_t VoiceCount = 32;                      // sample voices, 1..255
    uint32_t CacheBytes = 0x1000000;               // decoded audio kept for replay
    uint32_t OutputRate = 44100;                   // Hz, 8000..192000

    ZQ_AudioSystem();
    ~ZQ_AudioSystem();
    ZQ_AudioSystem(const ZQ_AudioSystem&) = delete;
    ZQ_AudioSystem& operator=(const ZQ_AudioSystem&) = delete;

    // Opens the output. Without a sound device the engine runs on a silent
    // output with a running clock; ZQIsSilent then says so.
    [[nodiscard]] ZQAudioResult Create();
    [[nodiscard]] bool ZQIsCreated() const;
    [[nodiscard]] bool ZQIsSilent() const;
    // Empty while sound comes out; else one line for the status bar.
    [[nodiscard]] const char* ZQGetOutputText() const;

    // Banks work before Create: registering only reads the file.
    ZQ_AudioBank* ZQBankRegister(const char* path, uint8_t flags, ZQBankError* error = nullptr);
    void ZQBankRelease(ZQ_AudioBank* bank);  // an unknown pointer does nothing
    [[nodiscard]] const char* ZQBankGetFileName(const ZQ_AudioBank* bank) const;

    // The voice record of the new play, or null when nothing started (unknown
    // bank or number, disabled or unplayable sample, "once" while it plays, no
    // voice to be had at this priority, no output).
    ZQ_SampleInfo* ZQSamplePlay(const ZQ_SamplePlayOptions& options);
    void ZQSampleStopAll();  // every voice, the ambient ones too; not the preview
    [[nodiscard]] uint32_t ZQSampleGetNumberPlaying();
    [[nodiscard]] ZQ_SampleInfo* ZQSampleGetFirstInfoStruct();
    [[nodiscard]] ZQ_SampleInfo* ZQSampleGetLastInfoStruct();
    // Non-zero while the voice record's current play sounds.
    [[nodiscard]] int ZQSampleIsPlaying(const ZQ_SampleInfo* info);
    [[nodiscard]] static ZQ_SampleHandle ZQSampleGetHandle(const ZQ_SampleInfo* info);
    [[nodiscard]] int ZQSampleIsPlaying(ZQ_SampleHandle handle);
    void ZQSampleStop(ZQ_SampleHandle handle);
    // The sample frame the voice plays: a loop for ever wraps it, a counted
    // loop goes back to LStart on each pass. None for a stale handle.
    [[nodiscard]] std::optional<uint32_t> ZQSampleGetPosition(ZQ_SampleHandle handle);

    // Advances the ambient schedule by this many 100 ms ticks and looks after
    // the voices (ended plays, long loops) and the music (its queue, its status
    // callback). The editor calls it every 100 ms.
    void ZQAtmosProcess(int ticks);
    // 0..127; a registered bank starts at 0, which keeps its ambience off.
    void ZQAtmosSetBankVolume(ZQ_AudioBank* bank, int volume);
    // The Atmos Group whose samples play; starts at 0 (samples without one).
    void ZQAtmosSetGroup(ZQ_AudioBank* bank, int group);

    // Plays a whole WAV image from memory, taking the bytes: the previous one
    // stops and is freed. Not a voice of the pool; ZQSampleStopAll leaves it.
    // With a start frame it plays from that frame of the decoded audio.
    ZQAudioResult ZQPreviewPlay(std::vector<uint8_t> wavImage, uint32_t startFrame = 0);
    // The same for audio decoded elsewhere (a music section's MPEG audio):
    // interleaved 16-bit frames of one or two channels at `rate`. DecodeFailed
    // for no frames, more channels, or more than one OpenAL buffer takes.
    ZQAudioResult ZQPreviewPlayPcm(std::vector<int16_t> samples, uint16_t channels, uint32_t rate,
                                   uint32_t startFrame = 0);
    // The frame of its audio the preview plays, read from the mixer's own
    // position; none while it is stopped.
    [[nodiscard]] std::optional<uint32_t> ZQPreviewGetPosition();
    // Stops the preview and frees its decoded audio.
    void ZQPreviewStop();
    [[nodiscard]] bool ZQPreviewIsPlaying();
    // Bytes of decoded audio the preview holds; 0 once it is stopped or replaced.
    [[nodiscard]] size_t ZQPreviewBytes() const;

    // Plays a music bank's sections one after another from the track (see
    // ZQ_MusicPlayOptions and docs/audio.md); music that played stops first.
    // Null when nothing starts: no output, an unknown bank, or no section with
    // decodable MPEG audio at or after the track.
    ZQ_MusicInfo* ZQMusicPlay(const ZQ_MusicPlayOptions& options);
    // Stops the music: 0 (or less) at once, else fading out over that many
    // milliseconds of output.
    void ZQMusicStop(int fadeMilliseconds);
    // 0..127 (clamped), the samples' square law; 127 at first. It stays for later runs.
    void ZQMusicSetMasterVolume(int volume);
    [[nodiscard]] int ZQMusicGetMasterVolume() const { return musicMasterVolume_; }
    [[nodiscard]] bool ZQMusicIsPlaying();

    // OutputMode ZQ_OUTPUT_LOOPBACK only: mixes the next frames of output as
    // interleaved stereo at OutputRate, then looks after the voices.
    ZQAudioResult ZQRender(float* stereoFrames, uint32_t frameCount);
    ZQAudioResult ZQRender(int16_t* stereoFrames, uint32_t frameCount);

  private:
    ZQ_AudioBank* findBank(const ZQ_AudioBank* bank) const;

    std::vector<std::unique_ptr<ZQ_AudioBank>> banks_;
    uint32_t nextBankId_ = 1;
    int musicMasterVolume_ = 127;
    std::unique_ptr<AudioEngine> engine_;
};

}  // namespace quillon
