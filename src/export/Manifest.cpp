#include "export/Manifest.h"

#include <algorithm>

#include "bank/Columns.h"
#include "export/StrictJson.h"
#include "platform/Text.h"

namespace quillon {

namespace {

std::string columnTitle(int column) {
    return std::string(columnTable()[size_t(column)].title);
}

Json rowJson(const ManifestRow& row) {
    Json json;
    json["no"] = row.number;
    json["source"] = row.source;
    json["checked"] = row.checked;
    if (row.mpegHeader != 0) json["mpegHeader"] = row.mpegHeader;
    Json cells = Json::object();
    for (const auto& [column, text] : row.cells)
        cells[columnTitle(column)] = text;
    json["cells"] = std::move(cells);
    return json;
}

std::string stringMember(const Json& object, const std::string& where, const char* name,
                         const std::string& fallback) {
    auto it = object.find(name);
    if (it == object.end()) return fallback;
    if (!it->is_string()) refuseJson(where + "." + name, "must be a string");
    return it->get<std::string>();
}

bool boolMember(const Json& object, const std::string& where, const char* name, bool fallback) {
    auto it = object.find(name);
    if (it == object.end()) return fallback;
    if (!it->is_boolean()) refuseJson(where + "." + name, "must be true or false");
    return it->get<bool>();
}

std::vector<std::pair<int, std::string>> readCells(const Json& cells, const std::string& where) {
    if (!cells.is_object()) refuseJson(where, "must be an object");
    std::vector<std::pair<int, std::string>> out;
    for (const auto& [title, value] : cells.items()) {
        int column = columnByTitle(title);
        if (column < 0 || !columnAt(column).editable)
            refuseJson(where, "\"" + title + "\" is no column that can be set");
        if (!value.is_string()) refuseJson(where + "." + title, "must be a string");
        out.emplace_back(column, value.get<std::string>());
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return out;
}

ManifestRow readRow(const Json& json, const std::string& where) {
    onlyMembers(json, where, {"no", "source", "checked", "mpegHeader", "cells"});
    ManifestRow row;
    auto no = json.find("no");
    if (no == json.end() || !no->is_number_integer()) refuseJson(where + ".no", "must be a number");
    row.number = no->get<int64_t>();
    row.source = stringMember(json, where, "source", "");
    if (row.source.empty()) refuseJson(where + ".source", "must name a file");
    row.checked = boolMember(json, where, "checked", true);
    if (auto header = json.find("mpegHeader"); header != json.end()) {
        if (!header->is_number_unsigned() || header->get<uint64_t>() > 0xFFFFFFFFu)
            refuseJson(where + ".mpegHeader", "must be a 32-bit number");
        row.mpegHeader = header->get<uint32_t>();
    }
    if (auto cells = json.find("cells"); cells != json.end())
        row.cells = readCells(*cells, where + ".cells");
    return row;
}

Manifest readTop(const Json& json) {
    onlyMembers(json, "manifest",
                {"format", "title", "who", "music", "enumPrefix", "mpeg", "rows"});
    auto version = json.find("format");
    if (version == json.end() || !version->is_number_integer())
        refuseJson("manifest.format", "must be the manifest's version number");
    if (version->get<int64_t>() < 1 || version->get<int64_t>() > kManifestFormat)
        refuseJson("manifest.format",
                   format("version %lld is not known here (this tool reads 1 to %d)",
                          static_cast<long long>(version->get<int64_t>()), kManifestFormat));
    Manifest manifest;
    manifest.title = stringMember(json, "manifest", "title", manifest.title);
    manifest.who = stringMember(json, "manifest", "who", "");
    manifest.music = boolMember(json, "manifest", "music", false);
    if (json.contains("enumPrefix"))
        manifest.enumPrefix = stringMember(json, "manifest", "enumPrefix", "");
    if (json.contains("mpeg")) {
        if (!manifest.music) refuseJson("manifest.mpeg", "is only for a music bank");
        manifest.mpeg = stringMember(json, "manifest", "mpeg", "");
    }
    auto rows = json.find("rows");
    if (rows == json.end() || !rows->is_array()) refuseJson("manifest.rows", "must be a list");
    for (size_t i = 0; i < rows->size(); ++i)
        manifest.rows.push_back(readRow((*rows)[i], format("manifest.rows[%zu]", i)));
    return manifest;
}

// One path of a depfile: Make and Ninja split at blanks and read "#" as a
// comment and "$" as a variable.
std::string depfilePath(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#' || c == '\t') out += '\\';
        if (c == '$') out += '$';
        out += c;
    }
    return out;
}

}  // namespace

std::string manifestJson(const Manifest& manifest) {
    Json json;
    json["format"] = kManifestFormat;
    json["title"] = manifest.title;
    json["who"] = manifest.who;
    json["music"] = manifest.music;
    if (manifest.enumPrefix) json["enumPrefix"] = *manifest.enumPrefix;
    if (manifest.mpeg) json["mpeg"] = *manifest.mpeg;
    Json rows = Json::array();
    for (const ManifestRow& row : manifest.rows)
        rows.push_back(rowJson(row));
    json["rows"] = std::move(rows);
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

ManifestRead readManifest(std::string_view text) {
    return readStrictJson<ManifestRead>(text, [](const Json& json) { return readTop(json); });
}

std::string makeDepfile(const std::string& target, const std::vector<std::string>& prerequisites) {
    std::string text = depfilePath(target) + ":";
    for (const std::string& path : prerequisites)
        text += " \\\n  " + depfilePath(path);
    return text + "\n";
}

}  // namespace quillon
