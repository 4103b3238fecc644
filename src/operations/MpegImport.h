// Importing an MPEG audio stream as a music bank: the stream is cut into
// sections of 21 frames, each section is written to its own file, and every
// section becomes one row. The stream is a plain MPEG audio file (".MP2"), or
// the data chunk of a WAV file whose labels travel into the sections'
// Descriptions.
//
// Section files. Every import writes its sections into a fresh folder of its
// own, "mpeg-XXXXXX" inside the private temporary folder, still named
// "sect0000.mpg", "sect0001.mpg", ... Sharing one folder between imports would
// let a second editor (or a second import in the command-line tool) overwrite
// the files of a first one whose bank is not saved yet, and that bank would
// then be saved with the wrong music without a word. The files stay on disk
// after the import because the bank writer reads them from there at the save;
// once the bank is saved they are no longer needed (its rows then copy their
// audio from the bank), and removeMpegSectionFolder removes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bank/QuillonDoc.h"
#include "formats/MpegMarkers.h"
#include "formats/MpegSectionFolder.h"

namespace quillon {

class RiffByteSource;

// The one message of a file that cannot be opened or is not a usable WAV file.
inline constexpr char kMpegOpenFailedMessage[] = "couldn't open file / understand WAV header";
inline constexpr char kMpegFilter[] = "MPEG AUDIO Files (*.MP2,*.WAV)|*.MP2;*.WAV||";
inline constexpr char kMpegDialogTitle[] = "Add/Insert Mpeg Audio";

// Appends the row of one section: Name and Location from the path, Bank "*",
// the section's size, Clone 0, Format, Compression and the row's wave format
// block from the header value, the header value as the row's MPEG descriptor,
// the description (cut to 255 characters), and "*" in LStart, LEnd and every
// property. Numbered and checked as Add/Insert numbers and checks a row.
// Marks the document modified.
void AddMpegSection(CQuillonDoc& doc, const std::string& sectionPath, uint32_t sectionLength,
                    uint32_t headerValue, std::string_view description);

// True when a file name takes the WAV route: it contains ".wav" or ".WAV"
// (exactly these two spellings; ".Wav" is read as a plain MPEG audio file).
// Only the name after the last separator is looked at, so that a folder such
// as "takes.wav/" does not decide how the file inside is read.
[[nodiscard]] bool isMpegWavPath(std::string_view path);

// Where the music of a WAV file lies, and the labels that travel with it.
struct MpegWavStream {
    uint64_t offset = 0;  // of the "data" chunk's contents in the file
    uint64_t length = 0;  // the chunk's size, bounded by what holds the chunk
    MpegMarkerList markers;
};

// Reads a WAV file for the import, with the chunk search rules of the WAV
// reader: the labels of the "cue " points (any text, "zqloop" too) and the
// "data" chunk of the RIFF "WAVE" chunk. Nothing when either chunk is missing
// or the file cannot be read; missing or odd marker chunks only mean fewer
// markers.
[[nodiscard]] std::optional<MpegWavStream> ReadMpegWavStream(RiffByteSource& file);

// The import after its dialog: reads the file (WAV route or plain route),
// writes the section files, appends one row per section and checks Music Bank.
// On any failure it shows one message, adds nothing, leaves Music Bank alone
// and removes the section files it made. Meant for an empty sample bank, as
// the command is only enabled then. Returns true when the rows were added.
bool importMpegFile(CQuillonDoc& doc, const std::string& path);

// The "Import MPEG Audio File" command: asks for one file and imports it; after
// a successful import the dialog's folder becomes the add folder. Does nothing
// while the command is disabled (Music Bank checked, or rows in the list).
void ImportMpegAudio(CQuillonDoc& doc);

}  // namespace quillon
