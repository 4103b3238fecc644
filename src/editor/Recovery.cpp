#include "editor/Recovery.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <unordered_map>

#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "bank/RowRecord.h"
#include "container/ZQLog.h"
#include "export/StrictJson.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/ReplacementFile.h"
#include "platform/Text.h"

namespace quillon {

namespace {

// --- writing ----------------------------------------------------------------------

// Cell texts are bytes: those read from a bank need not be UTF-8, which JSON
// strings must be. Such a text is kept as hex digits, so it comes back whole.
bool isUtf8(const std::string& text) {
    try {
        (void)Json(text).dump();
        return true;
    } catch (const Json::type_error&) {
        return false;
    }
}

std::string hexOf(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    return hex;
}

Json plainText(const std::string& text) {
    return text;
}

Json textJson(const std::string& text) {
    if (isUtf8(text)) return text;
    return Json{{"hex", hexOf(text)}};
}

using TextToJson = Json (*)(const std::string&);

Json stampJson(const FileStamp& stamp) {
    return Json{{"device", stamp.device},
                {"inode", stamp.inode},
                {"size", stamp.size},
                {"modifiedNs", stamp.modifiedNs}};
}

Json rowJson(const RecoveredRow& row, TextToJson text) {
    Json cells = Json::array();
    for (const std::string& cell : row.cells)
        cells.push_back(text(cell));
    Json json;
    json["cells"] = std::move(cells);
    json["checked"] = row.checked;
    if (row.loadNumber != 0) json["load"] = row.loadNumber;
    return json;
}

Json stateJson(const RecoveryState& state, TextToJson text) {
    Json json;
    json["format"] = kRecoveryFormat;
    json["bankPath"] = text(state.bankPath);
    if (state.bankStamp) json["bankStamp"] = stampJson(*state.bankStamp);
    json["writtenNs"] = state.writtenNs;
    json["title"] = text(state.values.title);
    json["who"] = text(state.values.who);
    json["music"] = state.values.musicBank;
    json["enumPrefix"] = text(state.values.enumPrefix);
    Json rows = Json::array();
    for (const RecoveredRow& row : state.rows)
        rows.push_back(rowJson(row, text));
    json["rows"] = std::move(rows);
    return json;
}

// --- reading ----------------------------------------------------------------------

const Json& member(const Json& object, const std::string& where, const char* name) {
    auto it = object.find(name);
    if (it == object.end()) refuseJson(where, std::string("lacks \"") + name + "\"");
    return *it;
}

std::string stringMember(const Json& object, const std::string& where, const char* name) {
    const Json& value = member(object, where, name);
    if (!value.is_string()) refuseJson(where + "." + name, "must be a string");
    return value.get<std::string>();
}

bool boolMember(const Json& object, const std::string& where, const char* name) {
    const Json& value = member(object, where, name);
    if (!value.is_boolean()) refuseJson(where + "." + name, "must be true or false");
    return value.get<bool>();
}

int64_t signedMember(const Json& object, const std::string& where, const char* name) {
    const Json& value = member(object, where, name);
    // A number past the signed range parses as unsigned: not one of ours.
    if (!value.is_number_integer() ||
        (value.is_number_unsigned() && value.get<uint64_t>() > uint64_t(INT64_MAX)))
        refuseJson(where + "." + name, "must be a whole number");
    return value.get<int64_t>();
}

uint64_t unsignedMember(const Json& object, const std::string& where, const char* name,
                        uint64_t highest) {
    const Json& value = member(object, where, name);
    if (!value.is_number_unsigned() || value.get<uint64_t>() > highest)
        refuseJson(where + "." + name, format("must be a whole number from 0 to %llu",
                                              static_cast<unsigned long long>(highest)));
    return value.get<uint64_t>();
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string bytesOfHex(const std::string& hex, const std::string& where) {
    if (hex.size() % 2 != 0) refuseJson(where, "must have an even number of hex digits");
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = hexDigit(hex[i]);
        int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) refuseJson(where, "must be lower-case hex digits");
        bytes += char(high * 16 + low);
    }
    return bytes;
}

std::string readCell(const Json& cell, const std::string& where) {
    if (cell.is_string()) return cell.get<std::string>();
    onlyMembers(cell, where, {"hex"});
    std::string hex = stringMember(cell, where, "hex");
    return bytesOfHex(hex, where + ".hex");
}

// A text member: a string, or {"hex": ...} for one that is not UTF-8.
std::string textMember(const Json& object, const std::string& where, const char* name) {
    return readCell(member(object, where, name), where + "." + name);
}

RecoveredRow readRow(const Json& json, const std::string& where) {
    onlyMembers(json, where, {"cells", "checked", "load"});
    RecoveredRow row;
    const Json& cells = member(json, where, "cells");
    if (!cells.is_array() || cells.size() != size_t(kColumnCount))
        refuseJson(where + ".cells", format("must be a list of %d texts", kColumnCount));
    for (size_t c = 0; c < row.cells.size(); ++c)
        row.cells[c] = readCell(cells[c], format("%s.cells[%zu]", where.c_str(), c));
    row.checked = boolMember(json, where, "checked");
    if (json.contains("load")) {
        row.loadNumber = uint32_t(unsignedMember(json, where, "load", 0xFFFFFFFFu));
        if (row.loadNumber == 0) refuseJson(where + ".load", "must not be 0");
    }
    return row;
}

FileStamp readStamp(const Json& json, const std::string& where) {
    onlyMembers(json, where, {"device", "inode", "size", "modifiedNs"});
    FileStamp stamp;
    stamp.device = unsignedMember(json, where, "device", UINT64_MAX);
    stamp.inode = unsignedMember(json, where, "inode", UINT64_MAX);
    stamp.size = signedMember(json, where, "size");
    stamp.modifiedNs = signedMember(json, where, "modifiedNs");
    return stamp;
}

RecoveryState readTop(const Json& json) {
    const std::string top = "recovery";
    onlyMembers(json, top,
                {"format", "bankPath", "bankStamp", "writtenNs", "title", "who", "music",
                 "enumPrefix", "rows"});
    const Json& version = member(json, top, "format");
    if (!version.is_number_integer() || version.get<int64_t>() != kRecoveryFormat)
        refuseJson(top + ".format", format("must be %d", kRecoveryFormat));
    RecoveryState state;
    state.bankPath = textMember(json, top, "bankPath");
    if (json.contains("bankStamp"))
        state.bankStamp = readStamp(json["bankStamp"], top + ".bankStamp");
    state.writtenNs = signedMember(json, top, "writtenNs");
    state.values.title = textMember(json, top, "title");
    state.values.who = textMember(json, top, "who");
    state.values.musicBank = boolMember(json, top, "music");
    state.values.enumPrefix = textMember(json, top, "enumPrefix");
    const Json& rows = member(json, top, "rows");
    if (!rows.is_array()) refuseJson(top + ".rows", "must be a list");
    state.rows.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        state.rows.push_back(readRow(rows[i], format("recovery.rows[%zu]", i)));
    return state;
}

// --- where --------------------------------------------------------------------------

// FNV-1a over the path's bytes: stable across runs and builds, which is all a
// file name needs; the file itself names its bank, so a clash is no mix-up.
uint64_t pathHash(std::string_view path) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : path) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

// A folder of this user's alone: made 0700 when missing, its bits narrowed
// when it has more, refused when it is a link or someone else's.
bool makePrivateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    return (st.st_mode & 077) == 0 || ::chmod(folder.c_str(), 0700) == 0;
}

bool makeRecoveryFolder(const std::string& folder) {
    std::string parent = splitLocalPath(folder).folder;
    std::error_code ignored;
    std::filesystem::create_directories(splitLocalPath(parent).folder, ignored);
    return makePrivateFolder(parent) && makePrivateFolder(folder);
}

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) return std::nullopt;
    return text;
}

std::string localTimeText(int64_t ns) {
    std::time_t seconds = std::time_t(ns / 1'000'000'000);
    std::tm local{};
    char text[64];
    if (localtime_r(&seconds, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0)
        return "an unknown time";
    return text;
}

// --- applying -------------------------------------------------------------------------

// The opened bank's rows, copied before the list is cleared: by load number,
// and by file for the Clones of stored rows.
struct OpenedRows {
    std::unordered_map<uint32_t, Row> byLoadNumber;
    std::unordered_map<std::string, const Row*> storedByPath;

    explicit OpenedRows(const RowList& rows) {
        byLoadNumber.reserve(size_t(rows.size()));
        for (int i = 0; i < rows.size(); ++i) {
            const Row& row = rows.row(i);
            if (row.loadNumber == 0) continue;
            Row& copy = byLoadNumber.emplace(row.loadNumber, row).first->second;
            copy.selected = false;
        }
        for (const auto& [number, row] : byLoadNumber)
            if (row.record) storedByPath.emplace(asciiLower(rowPath(row)), &row);
    }
};

std::unique_ptr<Row> rebuiltRow(const RecoveredRow& recovered, const OpenedRows& opened) {
    auto row = std::make_unique<Row>();
    auto stored = opened.byLoadNumber.find(recovered.loadNumber);
    if (recovered.loadNumber != 0 && stored != opened.byLoadNumber.end()) {
        *row = stored->second;
    } else {
        row->enabled = 1;  // as a row added from its file
    }
    for (int c = 0; c < kColumnCount; ++c)
        setCell(*row, c, recovered.cells[size_t(c)]);
    row->checked = recovered.checked;
    if (!row->record && isBankYes(row->cells[kColBank])) {
        auto source = opened.storedByPath.find(asciiLower(rowPath(*row)));
        if (source != opened.storedByPath.end()) {
            row->record = source->second->record;
            row->mpegDescriptor = source->second->mpegDescriptor;
            row->waveFormat = source->second->waveFormat;
        }
    }
    return row;
}

}  // namespace

RecoveryState recoveryStateOf(const CQuillonDoc& doc) {
    RecoveryState state;
    state.bankPath = doc.pathName();
    state.bankStamp = doc.diskStamp();
    state.writtenNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
    const BankValues& values = doc.values();
    state.values = {values.title, values.who, values.musicBank, doc.texts().enumPrefix};
    const RowList& rows = doc.rows();
    state.rows.resize(size_t(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const Row& row = rows.row(i);
        RecoveredRow& out = state.rows[size_t(i)];
        for (size_t c = 0; c < out.cells.size(); ++c)
            out.cells[c] = row.cells[c];
        out.checked = row.checked;
        out.loadNumber = row.loadNumber;
    }
    return state;
}

std::string recoveryJson(const RecoveryState& state) {
    // Most banks hold UTF-8 texts alone: each text is looked at only when the
    // whole does not dump as it stands.
    try {
        return stateJson(state, plainText).dump(1) + "\n";
    } catch (const Json::type_error&) {
        return stateJson(state, textJson).dump(1) + "\n";
    }
}

RecoveryRead readRecovery(std::string_view text) {
    return readStrictJson<RecoveryRead>(text, [](const Json& json) { return readTop(json); });
}

std::string recoveryFolder() {
    return joinPath(joinPath(stateHome(), "quillon"), "recovery");
}

std::string recoveryFileName(const std::string& bankPath) {
    if (bankPath.empty()) return format("untitled-%d.json", int(::getpid()));
    return format("bank-%016llx.json", static_cast<unsigned long long>(pathHash(bankPath)));
}

void applyRecovery(CQuillonDoc& doc, const RecoveryState& state) {
    RowList& rows = doc.rows();
    OpenedRows opened(rows);
    HistoryStep step(doc.history(), kRecoverStepName);
    doc.setTitle(state.values.title);
    doc.setWho(state.values.who);
    doc.setMusicBank(state.values.musicBank);
    doc.setEnumPrefix(state.values.enumPrefix);
    rows.clear();
    for (const RecoveredRow& recovered : state.rows) {
        int index = rows.append(rebuiltRow(recovered, opened));
        rows.raiseHighestGroup(int(std::clamp<int64_t>(leadingInteger(rows.cell(index, kColGroup)),
                                                       0, std::numeric_limits<int>::max())));
    }
    doc.showSelectedItem(-1);
}

std::string recoveryQuestion(const RecoveryState& state, bool bankChangedSince) {
    std::string name = splitLocalPath(state.bankPath).name;
    std::string text = format("Recover unsaved changes to %s from %s?", name.c_str(),
                              localTimeText(state.writtenNs).c_str());
    if (bankChangedSince)
        text += "\n\nThe bank changed on disk since - recovering may undo those changes";
    return text;
}

// --- the keeper ---------------------------------------------------------------------

RecoveryKeeper::RecoveryKeeper(CQuillonDoc& doc, std::string folder)
    : doc_(doc), folder_(std::move(folder)), due_(doc.isModified()) {
    doc_.addObserver(this);
}

RecoveryKeeper::~RecoveryKeeper() {
    doc_.removeObserver(this);
}

std::string RecoveryKeeper::fileOfDocument() const {
    return joinPath(folder_, recoveryFileName(doc_.pathName()));
}

void RecoveryKeeper::markDue() {
    if (!doc_.isModified()) return;
    due_ = true;
    if (onWriteDue) onWriteDue();
}

// Back at the saved state (a save, an undo, New or Open) nothing is unsaved.
void RecoveryKeeper::modifiedChanged() {
    if (doc_.isModified())
        markDue();
    else
        remove();
}

void RecoveryKeeper::historyChanged() {
    markDue();
}

bool RecoveryKeeper::write() {
    if (!writeDue()) return true;
    std::string target = fileOfDocument();
    bool written = false;
    if (makeRecoveryFolder(folder_)) {
        ReplacementFile file(target, ReplacementFile::Access::OwnerOnly);
        written = file.ready() && file.write(recoveryJson(recoveryStateOf(doc_))) && file.commit();
    }
    if (!written) {
        if (!failureLogged_)
            ZQ_LOG("Error: the recovery file %s cannot be written", target.c_str());
        failureLogged_ = true;
        return false;
    }
    failureLogged_ = false;
    due_ = false;
    // The bank was saved under another name while modified: one file for it.
    if (!written_.empty() && written_ != target) ::unlink(written_.c_str());
    written_ = target;
    return true;
}

void RecoveryKeeper::remove() {
    due_ = false;
    if (written_.empty()) return;
    ::unlink(written_.c_str());
    written_.clear();
}

RecoveryKeeper::Offer RecoveryKeeper::offer() {
    if (doc_.pathName().empty()) return Offer::NoFile;
    std::string file = fileOfDocument();
    if (!pathExists(file)) return Offer::NoFile;
    std::optional<std::string> text = readWholeFile(file);
    RecoveryRead read = text ? readRecovery(*text) : RecoveryRead{std::nullopt, "cannot be read"};
    if (!read.state) {
        showStop(doc_.shell(), format("%s is a damaged recovery file and was removed (%s)",
                                      file.c_str(), read.error.c_str()));
        ::unlink(file.c_str());
        return Offer::Refused;
    }
    // Another bank's file under the same name: not this bank's edits.
    if (read.state->bankPath != doc_.pathName()) return Offer::NoFile;
    bool changedSince = read.state->bankStamp != doc_.diskStamp();
    MessageAnswer answer =
        doc_.shell().showMessage({recoveryQuestion(*read.state, changedSince), std::string(),
                                  MessageIcon::Question, MessageButtons::RecoverDiscard});
    if (answer == MessageAnswer::No) {
        ::unlink(file.c_str());
        return Offer::Discarded;
    }
    applyRecovery(doc_, *read.state);
    // The file now stands for the recovered edits: a save removes it.
    written_ = file;
    return Offer::Recovered;
}

}  // namespace quillon
