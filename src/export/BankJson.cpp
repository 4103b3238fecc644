#include "export/BankJson.h"

#include <nlohmann/json.hpp>

#include "bank/Columns.h"

namespace quillon {

namespace {

using Json = nlohmann::ordered_json;

// Two-space indents and a final line end, with bytes that are not UTF-8
// replaced rather than thrown over.
std::string textOf(const Json& json) {
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

Json bankValues(const CQuillonDoc& doc) {
    Json json;
    json["format"] = kBankJsonFormat;
    json["title"] = doc.values().title;
    json["who"] = doc.values().who;
    json["music"] = doc.values().musicBank;
    return json;
}

}  // namespace

std::string listJson(const CQuillonDoc& doc) {
    Json json = bankValues(doc);
    Json rows = Json::array();
    const RowList& list = doc.rows();
    for (int i = 0; i < list.size(); ++i) {
        Json row;
        for (int c = 0; c < kColumnCount; ++c)
            row[std::string(columnTable()[size_t(c)].title)] = list.cell(i, c);
        rows.push_back(std::move(row));
    }
    json["rows"] = std::move(rows);
    return textOf(json);
}

std::string infoJson(const CQuillonDoc& doc, const BankCounts& counts,
                     const std::vector<SegmentSize>& segments) {
    Json json = bankValues(doc);
    json["rows"] = counts.rows;
    json["records"] = counts.records;
    json["ambient"] = counts.ambient;
    Json list = Json::array();
    for (const SegmentSize& segment : segments)
        list.push_back({{"name", segment.name}, {"size", segment.size}});
    json["segments"] = std::move(list);
    return textOf(json);
}

std::string checkJson(int rowsChecked, const std::vector<CheckFinding>& findings) {
    Json list = Json::array();
    int errors = 0;
    for (const CheckFinding& finding : findings) {
        bool error = finding.severity == FindingSeverity::Error;
        errors += error ? 1 : 0;
        Json item;
        item["severity"] = error ? "error" : "note";
        item["row"] = finding.row ? Json(*finding.row) : Json(nullptr);
        item["file"] = finding.file.empty() ? Json(nullptr) : Json(finding.file);
        item["message"] = finding.message;
        list.push_back(std::move(item));
    }
    Json json;
    json["format"] = kBankJsonFormat;
    json["rows"] = rowsChecked;
    json["errors"] = errors;
    json["notes"] = int(findings.size()) - errors;
    json["findings"] = std::move(list);
    return textOf(json);
}

}  // namespace quillon
