#include "operations/MpegImport.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "bank/BankLayout.h"
#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "container/ByteOrder.h"
#include "formats/MpegHeader.h"
#include "formats/MpegMarkers.h"
#include "formats/MpegSectionFolder.h"
#include "formats/MpegSplitter.h"
#include "formats/RiffReader.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"

namespace quillon {

static_assert(kMaxMpegSections == int(kMaxSampleNumber), "one row a section");

namespace {

// --- The row of a section ------------------------------------------------------

// --- Reading the file ---------------------------------------------------------

void showImportMessage(Shell& shell, std::string text) {
    shell.showMessage({std::move(text), std::string(), MessageIcon::None, MessageButtons::Ok});
}

// One "labl" chunk: its cue identifier and its text up to the first zero
// byte, of which only the first kMpegMarkerTextMax characters are kept. A
// chunk too short to hold the identifier names no cue point.
void readLabel(RiffReader& reader, const RiffChunk& label, const std::vector<CuePoint>& cues,
               MpegMarkerList& markers) {
    uint8_t idBytes[kLabelIdBytes];
    if (reader.read(label, idBytes) < kLabelIdBytes) return;
    const uint32_t cueId = loadU32(idBytes);
    char text[kMpegMarkerTextMax];
    const size_t got = reader.read(label, std::span(reinterpret_cast<uint8_t*>(text), sizeof text));
    auto cue = std::find_if(cues.begin(), cues.end(),
                            [cueId](const CuePoint& point) { return point.id == cueId; });
    if (cue == cues.end()) return;
    markers.add(std::string_view(text, size_t(std::find(text, text + got, '\0') - text)),
                cue->position);
}

// The labels of the file's cue points, any text ("zqloop" too): the "cue "
// chunk inside the RIFF chunk, then up to as many "labl" chunks as there are
// cue points in the first "adtl" list after it. Missing or odd chunks only
// mean fewer markers.
void readMarkers(RiffReader& reader, const RiffChunk& riff, MpegMarkerList& markers) {
    std::optional<RiffChunk> cue = reader.descend(kCueId, &riff);
    if (!cue) return;
    std::vector<CuePoint> cues = readCuePoints(reader, *cue);
    reader.ascend(*cue);
    std::optional<RiffChunk> adtl = reader.descendList(kListId, kAdtlList);
    if (!adtl) return;
    for (size_t examined = 0; examined < cues.size(); ++examined) {
        std::optional<RiffChunk> label = reader.descend(kLabelId, &*adtl);
        if (!label) return;
        readLabel(reader, *label, cues, markers);
        reader.ascend(*label);
    }
}

// --- The section folder ---------------------------------------------------------

// A fresh folder of this import's own inside the private temporary folder.
std::optional<std::string> makeSectionFolder(Shell& shell) {
    std::optional<std::string> base = privateTempFolder();
    if (!base) {
        showImportMessage(shell,
                          "couldn't create a private temporary folder for the section files");
        return std::nullopt;
    }
    std::string folder = joinPath(*base, std::string(kMpegSectionFolderPrefix) + "XXXXXX");
    if (!::mkdtemp(folder.data())) {
        showImportMessage(shell, "couldn't create section folder " + folder);
        return std::nullopt;
    }
    return folder;
}

// Splits the stream into a fresh section folder and appends one row per
// section. The rows come only after the whole stream was split.
//
// A row names its section as "<source file>/sect0000.mpg": stable whatever the
// temporary folder is called, so two imports of one file make the same bank,
// and the bank tells which file its music came from. The section files
// themselves are read from the folder the document keeps until the save.
bool splitIntoRows(CQuillonDoc& doc, MpegByteSource& stream, const MpegMarkerList& markers,
                   const std::string& sourcePath) {
    std::optional<std::string> folder = makeSectionFolder(doc.shell());
    if (!folder) return false;
    MpegSplitResult result = SplitMpegStream(stream, *folder, [&](const MpegSection& section) {
        AddMpegSection(doc, joinPath(sourcePath, splitLocalPath(section.path).name), section.length,
                       section.headerValue, GetMpegMarkerText(markers, section.index));
    });
    if (!result.ok()) {
        // The splitter removed its files; the folder is empty now.
        ::rmdir(folder->c_str());
        showImportMessage(doc.shell(), result.message);
        return false;
    }
    doc.setMusicSectionFolder(*folder);
    return true;
}

// The whole file is the stream; it never has markers.
bool importPlainFile(CQuillonDoc& doc, const std::string& path) {
    std::unique_ptr<FileByteSource> file = FileByteSource::open(path);
    if (!file) {
        showImportMessage(doc.shell(), kMpegOpenFailedMessage);
        return false;
    }
    MpegRangeSource stream(*file, 0, file->size(), path);
    return splitIntoRows(doc, stream, MpegMarkerList(), path);
}

// The data chunk is the stream; the labels become markers.
bool importWavFile(CQuillonDoc& doc, const std::string& path) {
    std::unique_ptr<FileByteSource> file = FileByteSource::open(path);
    std::optional<MpegWavStream> wav;
    if (file) wav = ReadMpegWavStream(*file);
    if (!wav) {
        showImportMessage(doc.shell(), kMpegOpenFailedMessage);
        return false;
    }
    MpegRangeSource stream(*file, wav->offset, wav->length, path);
    return splitIntoRows(doc, stream, wav->markers, path);
}

}  // namespace

// The "fmt " chunk is not read: the frame headers say what the audio is. The
// data chunk's size is the one the reader bounded by what holds the chunk, so
// a size that lies can never take bytes from beyond the RIFF chunk into the music.
std::optional<MpegWavStream> ReadMpegWavStream(RiffByteSource& file) {
    RiffReader reader(file);
    std::optional<RiffChunk> riff = reader.descendList(kRiffId, kWaveForm);
    if (!riff) return std::nullopt;
    MpegWavStream wav;
    readMarkers(reader, *riff, wav.markers);
    reader.rewind();
    riff = reader.descendList(kRiffId, kWaveForm);
    std::optional<RiffChunk> data;
    if (riff) data = reader.descend(kDataId, &*riff);
    // A read that failed half way may have lost markers or the chunk itself.
    if (!data || reader.ioFailed()) return std::nullopt;
    wav.offset = data->dataOffset;
    wav.length = data->dataSize;
    return wav;
}

void AddMpegSection(CQuillonDoc& doc, const std::string& sectionPath, uint32_t sectionLength,
                    uint32_t headerValue, std::string_view description) {
    RowList& rows = doc.rows();
    const MpegHeaderInfo info = DecodeMpegHeader(headerValue);
    const PathParts parts = splitAtLastSeparator(sectionPath);
    Row row;
    setRowInteger(row, kColNo, nextRowNumber(rows));
    row.checked = true;
    row.enabled = 1;
    row.loadNumber = 0;
    setCell(row, kColName, parts.name);
    setCell(row, kColLocation, parts.folder);
    setCell(row, kColBank, kNotSet);
    setRowInteger(row, kColSize, sectionLength);
    setRowInteger(row, kColClone, 0);
    setCell(row, kColFormat, GetMpegFormatText(info));
    row.waveFormat = GetMpegWaveFormat(info);
    setCell(row, kColCompression, GetMpegCompressionText(info));
    row.mpegDescriptor = headerValue;
    // The record's Description holds 255 characters; the cell shows the same.
    setCell(row, kColDescription, description.substr(0, kMpegDescriptionMax));
    // Columns 9 to 27: the seventeen properties, LStart and LEnd.
    for (int column = kColPriority; column < kColumnCount; ++column)
        setCell(row, column, kNotSet);
    rows.append(std::move(row));
}

bool isMpegWavPath(std::string_view path) {
    const std::string name = splitAtLastSeparator(path).name;
    return name.find(".wav") != std::string::npos || name.find(".WAV") != std::string::npos;
}

bool importMpegFile(CQuillonDoc& doc, const std::string& path) {
    HistoryStep step(doc.history(), "Import MPEG Audio");
    const bool imported =
        isMpegWavPath(path) ? importWavFile(doc, path) : importPlainFile(doc, path);
    if (imported) doc.setMusicBank(true);
    return imported;
}

void ImportMpegAudio(CQuillonDoc& doc) {
    if (doc.values().musicBank || !doc.rows().empty()) return;
    FileDialogRequest request;
    request.title = kMpegDialogTitle;
    request.filter = kMpegFilter;
    request.initialFolder = doc.folders().wavAdd;
    request.multipleFiles = false;
    request.mustExist = true;
    request.mode = FileDialogMode::AddInsert;
    FileDialogResult picked = doc.shell().chooseFiles(request);
    if (picked.paths.empty()) return;
    if (importMpegFile(doc, picked.paths.front())) doc.folders().wavAdd = picked.folder;
}

}  // namespace quillon
