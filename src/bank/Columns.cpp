#include "bank/Columns.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "bank/CellFormat.h"
#include "formats/MpegHeader.h"
#include "formats/WavFile.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace quillon {

namespace {

using Sample = ZQ_BankSample;

std::string notSet() {
    return std::string(kNotSet);
}

// --- Cells from a stored record ----------------------------------------------------

// A stored path that holds a "/" was written here, where a backslash belongs
// to the file's name; one without came from a system whose folders the
// backslash separates.
PathParts splitStoredPath(std::string_view path) {
    return path.find('/') != std::string_view::npos ? splitLocalPath(path)
                                                    : splitAtLastSeparator(path);
}

// A stored float as a cell's integer, after it was cut or rounded: held to the
// 32-bit range the cells are read back in, 0 for a value that is no number.
// Converting a float outside the integer range would be undefined.
int64_t storedFloatCell(double whole) {
    if (std::isnan(whole)) return 0;
    return int64_t(std::clamp(whole, double(std::numeric_limits<int32_t>::min()),
                              double(std::numeric_limits<int32_t>::max())));
}

template <auto Field>
std::string numberCell(const Sample& r) {
    return integerCell(r.*Field);
}

// Properties whose "not set" is the value 0.
template <auto Field>
std::string zeroUnsetCell(const Sample& r) {
    return r.*Field == 0 ? notSet() : integerCell(r.*Field);
}

// Properties whose "not set" is the value -1.
template <auto Field>
std::string minusOneUnsetCell(const Sample& r) {
    return r.*Field == -1 ? notSet() : integerCell(r.*Field);
}

template <auto Field, SampleFlag Flag>
std::string flaggedCell(const Sample& r) {
    return r.has(Flag) ? integerCell(r.*Field) : notSet();
}

// Positions show as their float cut to an integer.
template <auto Field, SampleFlag Flag>
std::string positionCell(const Sample& r) {
    return r.has(Flag) ? integerCell(storedFloatCell(std::trunc(double(r.*Field)))) : notSet();
}

template <auto Field, SampleFlag Flag>
std::string distanceCellOf(const Sample& r) {
    return r.has(Flag) ? distanceCell(r.*Field) : notSet();
}

// The cell counts tenths.
std::string scaleCell(const Sample& r) {
    return r.has(kFlagScale) ? integerCell(storedFloatCell(std::round(double(r.scale) * 10.0)))
                             : notSet();
}

std::string nameCell(const Sample& r) {
    return splitStoredPath(r.path).name;
}

std::string locationCell(const Sample& r) {
    return splitStoredPath(r.path).folder;
}

std::string bankCell(const Sample&) {
    return std::string(kBankYes);
}

std::string formatCell(const Sample& r) {
    return GetWavFormatText(r.format);
}

std::string compressionCell(const Sample& r) {
    return isMpegSection(r) ? GetMpegCompressionText(DecodeMpegHeader(r.playType))
                            : GetWavCompressionText(r.format.formatTag);
}

std::string descriptionCell(const Sample& r) {
    return r.description;
}

std::string playTypeCellOf(const Sample& r) {
    return r.has(kFlagPlayType) ? playTypeCell(r.playType) : notSet();
}

// --- Cells into the record ---------------------------------------------------------

// A value taken from a WAV file's comment keys is not range-checked; one that
// an unsigned field cannot hold is kept at the field's nearer end rather than
// wrapped into another value (a Volume of 70000 is not 4464).
template <typename Field>
Field heldTo(int32_t value) {
    return Field(std::clamp<int64_t>(value, 0, std::numeric_limits<Field>::max()));
}

template <typename Field>
using FieldType = std::remove_cvref_t<Field>;

template <auto Field>
void storeCount(std::string_view cell, Sample& r) {
    r.*Field = uint32_t(atoiLike(cell));
}

template <auto Field>
void storeInteger(std::string_view cell, Sample& r) {
    if (!isNotSet(cell)) r.*Field = atoiLike(cell);
}

template <auto Field>
void storeHeld(std::string_view cell, Sample& r) {
    if (!isNotSet(cell)) r.*Field = heldTo<FieldType<decltype(r.*Field)>>(atoiLike(cell));
}

template <auto Field, SampleFlag Flag>
void storeFlagged(std::string_view cell, Sample& r) {
    if (isNotSet(cell)) return;
    r.*Field = atoiLike(cell);
    r.setFlags |= Flag;
}

template <auto Field, SampleFlag Flag>
void storeHeldFlagged(std::string_view cell, Sample& r) {
    if (isNotSet(cell)) return;
    r.*Field = heldTo<FieldType<decltype(r.*Field)>>(atoiLike(cell));
    r.setFlags |= Flag;
}

template <auto Field, SampleFlag Flag>
void storePosition(std::string_view cell, Sample& r) {
    if (isNotSet(cell)) return;
    r.*Field = float(atoiLike(cell));
    r.setFlags |= Flag;
}

template <auto Field, SampleFlag Flag>
void storeDistance(std::string_view cell, Sample& r) {
    if (isNotSet(cell)) return;
    // Held to the float range: converting a double beyond it is undefined.
    constexpr double kLargest = std::numeric_limits<float>::max();
    r.*Field = float(std::clamp(atofLike(cell), -kLargest, kLargest));
    r.setFlags |= Flag;
}

void storeScale(std::string_view cell, Sample& r) {
    if (isNotSet(cell)) return;
    r.scale = float(atoiLike(cell)) * 0.1f;
    r.setFlags |= kFlagScale;
}

void storePlayType(std::string_view cell, Sample& r) {
    if (isNotSet(cell)) return;
    if (uint32_t type = playTypeFromCell(cell)) r.playType = type;
    r.setFlags |= kFlagPlayType;
}

void storeDescription(std::string_view cell, Sample& r) {
    r.description = std::string(cutAtCharacter(cell, kSampleDescriptionBytes - 1));
}

constexpr int kNoRange = 0;
constexpr std::string_view kNoRefusal;

}  // namespace

const std::array<ColumnDescriptor, kColumnCount>& columnTable() {
    using K = CellKind;
    static const std::array<ColumnDescriptor, kColumnCount> table = {{
        {"No", 65, 10, 4, K::Integer, false, kNoRange, kNoRange, kNoRefusal,
         numberCell<&Sample::sampleNumber>, storeCount<&Sample::sampleNumber>},
        {"Name", 200, 260, 0, K::Text, false, kNoRange, kNoRange, kNoRefusal, nameCell, nullptr},
        {"Location", 100, 260, 0, K::Text, false, kNoRange, kNoRange, kNoRefusal, locationCell,
         nullptr},
        {"Bank", 40, 10, 0, K::Text, false, kNoRange, kNoRange, kNoRefusal, bankCell, nullptr},
        {"Clone", 40, 10, 4, K::Integer, false, kNoRange, kNoRange, kNoRefusal,
         numberCell<&Sample::cloneCount>, storeCount<&Sample::cloneCount>},
        {"Format", 110, 40, 0, K::Text, false, kNoRange, kNoRange, kNoRefusal, formatCell, nullptr},
        {"Compression", 97, 30, 0, K::Text, false, kNoRange, kNoRange, kNoRefusal, compressionCell,
         nullptr},
        {"Size", 56, 11, 8, K::Integer, false, kNoRange, kNoRange, kNoRefusal,
         numberCell<&Sample::waveSize>, nullptr},
        {"Description", 120, kSampleDescriptionBytes, 0, K::Text, true, kNoRange, kNoRange,
         kNoRefusal, descriptionCell, storeDescription},
        {"Priority", 45, 10, 4, K::Integer, true, 1, 9999, "Invalid Priority (Range 1 to 9999)",
         zeroUnsetCell<&Sample::priority>, storeHeld<&Sample::priority>},
        {"Group", 47, 10, 4, K::Integer, true, 1, 9999, "Invalid Group (Range 1 to 9999)",
         zeroUnsetCell<&Sample::group>, storeHeld<&Sample::group>},
        {"Atmos Group", 47, 10, 4, K::Integer, true, 1, 9999,
         "Invalid Atmos Group (Range 1 to 9999)", zeroUnsetCell<&Sample::atmosGroup>,
         storeHeld<&Sample::atmosGroup>},
        {"Atmos", 50, 13, 4, K::Integer, true, 0, 9999, "Invalid Atmos Timing (Range 0 to 9999)",
         minusOneUnsetCell<&Sample::atmos>, storeInteger<&Sample::atmos>},
        {"Volume", 47, 10, 3, K::Integer, true, 0, 127, "Invalid Volume (Range 0 to 127)",
         flaggedCell<&Sample::volume, kFlagVolume>, storeHeldFlagged<&Sample::volume, kFlagVolume>},
        {"User Param", 47, 10, 3, K::Integer, true, 0, 32767,
         "Invalid Reverb Volume (Range 0 to 32767)", zeroUnsetCell<&Sample::userParam>,
         storeHeld<&Sample::userParam>},
        {"Play Type", 60, 20, 0, K::PlayType, true, kNoRange, kNoRange,
         "Invalid Playback Type - use dropdown box", playTypeCellOf, storePlayType},
        {"Loop", 40, 10, 4, K::Integer, true, -1, 9999, "Invalid Loop Count (Range -1 to 9999)",
         flaggedCell<&Sample::loopCount, kFlagLoop>, storeFlagged<&Sample::loopCount, kFlagLoop>},
        {"LStart", 56, 15, 8, K::Integer, false, kNoRange, kNoRange, kNoRefusal,
         minusOneUnsetCell<&Sample::loopStart>, nullptr},
        {"LEnd", 56, 15, 8, K::Integer, false, kNoRange, kNoRange, kNoRefusal,
         minusOneUnsetCell<&Sample::loopEnd>, nullptr},
        {"Pitch", 40, 10, 4, K::Integer, true, 1, 1000, "Invalid Pitch (Range 1 to 1000)",
         flaggedCell<&Sample::pitch, kFlagPitch>, storeFlagged<&Sample::pitch, kFlagPitch>},
        {"\xC2\xB1 Pitch", 50, 10, 4, K::Integer, true, 1, 100,
         "Invalid Pitch Variation (Range 1 to 100)", zeroUnsetCell<&Sample::pitchVariation>,
         storeInteger<&Sample::pitchVariation>},
        {"Pan", 33, 10, 3, K::Integer, true, 0, 180, "Invalid 2D Pan (Range 0 to 180)",
         flaggedCell<&Sample::pan, kFlagPan>, storeFlagged<&Sample::pan, kFlagPan>},
        {"XPos", 37, 10, 4, K::Integer, true, -9999, 9999, "Invalid X Pos (Range -9999 to 9999)",
         positionCell<&Sample::xPos, kFlagXPos>, storePosition<&Sample::xPos, kFlagXPos>},
        {"YPos", 37, 10, 4, K::Integer, true, -9999, 9999, "Invalid Y Pos (Range -9999 to 9999)",
         positionCell<&Sample::yPos, kFlagYPos>, storePosition<&Sample::yPos, kFlagYPos>},
        {"ZPos", 37, 10, 4, K::Integer, true, -9999, 9999, "Invalid Z Pos (Range -9999 to 9999)",
         positionCell<&Sample::zPos, kFlagZPos>, storePosition<&Sample::zPos, kFlagZPos>},
        {"Min Dist", 54, 10, 0, K::Distance, true, 0, 9999, "Invalid Min Dist (Range 0.01 to 9999)",
         distanceCellOf<&Sample::minDist, kFlagMinDist>,
         storeDistance<&Sample::minDist, kFlagMinDist>},
        {"Max Dist", 54, 10, 0, K::Distance, true, 0, 9999, "Invalid Max Dist (Range 0.01 to 9999)",
         distanceCellOf<&Sample::maxDist, kFlagMaxDist>,
         storeDistance<&Sample::maxDist, kFlagMaxDist>},
        {"Scale", 40, 10, 4, K::Integer, true, 0, 100, "Invalid Scale (Range 0 to 100)", scaleCell,
         storeScale},
    }};
    return table;
}

int columnByTitle(std::string_view title) {
    if (equalIgnoringCase(title, "PitchVar")) return kColPitchVar;
    const auto& table = columnTable();
    for (int c = 0; c < kColumnCount; ++c)
        if (equalIgnoringCase(title, table[size_t(c)].title)) return c;
    return -1;
}

}  // namespace quillon
