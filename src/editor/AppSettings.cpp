#include "editor/AppSettings.h"

#include <algorithm>

#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

void readRememberedFolders(SettingsStore& store, RememberedFolders& folders) {
    store.createKey(kQuillonSettingsKey);
    for (const SettingValue& value : store.values(kQuillonSettingsKey)) {
        if (value.type != SettingType::String) continue;
        if (equalIgnoringCase(value.name, "FileOpenDir"))
            folders.fileOpen = value.text;
        else if (equalIgnoringCase(value.name, "FileWavReplaceDir"))
            folders.wavReplace = value.text;
        else if (equalIgnoringCase(value.name, "FileWavAddDir"))
            folders.wavAdd = value.text;
    }
}

void writeRememberedFolders(SettingsStore& store, const RememberedFolders& folders) {
    store.setString(kQuillonSettingsKey, "FileOpenDir", folders.fileOpen);
    store.setString(kQuillonSettingsKey, "FileWavReplaceDir", folders.wavReplace);
    store.setString(kQuillonSettingsKey, "FileWavAddDir", folders.wavAdd);
}

namespace {

constexpr char kScriptBankListValue[] = "ScriptBankList";
constexpr char kScriptEnumValue[] = "ScriptEnum";
constexpr char kScriptTableValue[] = "ScriptTable";

std::string stringValue(const SettingsStore& store, std::string_view name) {
    std::optional<SettingValue> value = store.value(kQuillonSettingsKey, name);
    return value && value->type == SettingType::String ? value->text : std::string();
}

void setIfGiven(SettingsStore& store, std::string_view name, const std::string& path) {
    if (!path.empty()) store.setString(kQuillonSettingsKey, name, path);
}

}  // namespace

ScriptExportPaths readScriptExportPaths(const SettingsStore& store) {
    return {stringValue(store, kScriptBankListValue), stringValue(store, kScriptEnumValue),
            stringValue(store, kScriptTableValue)};
}

void writeScriptExportPaths(SettingsStore& store, const ScriptExportPaths& paths) {
    setIfGiven(store, kScriptBankListValue, paths.bankListPath);
    setIfGiven(store, kScriptEnumValue, paths.scriptEnumPath);
    setIfGiven(store, kScriptTableValue, paths.outputPath);
}

namespace {

constexpr int kWidestColumn = 4000;

std::vector<int> readNumbers(const SettingsStore& store, std::string_view name, size_t count) {
    std::optional<SettingValue> value = store.value(kColumnsSettingsKey, name);
    if (!value || value->type != SettingType::String || value->text.empty()) return {};
    std::vector<int> numbers;
    std::string_view text = value->text;
    for (size_t at = 0; at <= text.size();) {
        size_t comma = std::min(text.find(',', at), text.size());
        numbers.push_back(atoiLike(text.substr(at, comma - at)));
        at = comma + 1;
    }
    if (numbers.size() != count) return {};
    return numbers;
}

std::string joinNumbers(const std::vector<int>& numbers) {
    std::string text;
    for (int n : numbers)
        text += (text.empty() ? "" : ",") + std::to_string(n);
    return text;
}

bool isEachColumnOnce(std::vector<int> order) {
    std::sort(order.begin(), order.end());
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] != int(i)) return false;
    return true;
}

}  // namespace

ColumnLayout readColumnLayout(const SettingsStore& store, int columnCount) {
    const size_t count = size_t(columnCount);
    ColumnLayout layout{readNumbers(store, "Order", count), readNumbers(store, "Widths", count),
                        readNumbers(store, "Hidden", count)};
    if (!isEachColumnOnce(layout.order)) layout.order.clear();
    if (std::any_of(layout.widths.begin(), layout.widths.end(),
                    [](int w) { return w < 0 || w > kWidestColumn; }))
        layout.widths.clear();
    return layout;
}

void writeColumnLayout(SettingsStore& store, const ColumnLayout& layout) {
    store.setString(kColumnsSettingsKey, "Order", joinNumbers(layout.order));
    store.setString(kColumnsSettingsKey, "Widths", joinNumbers(layout.widths));
    store.setString(kColumnsSettingsKey, "Hidden", joinNumbers(layout.hidden));
}

void RecentFileList::add(const std::string& path) {
    if (path.empty()) return;
    remove(path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > size_t(kRecentFileCount)) paths_.resize(size_t(kRecentFileCount));
}

void RecentFileList::remove(const std::string& path) {
    paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}

void RecentFileList::read(const SettingsStore& store) {
    paths_.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        std::optional<SettingValue> value = store.value(kRecentFilesKey, format("File%d", i));
        if (!value || value->type != SettingType::String || value->text.empty()) continue;
        if (std::find(paths_.begin(), paths_.end(), value->text) == paths_.end())
            paths_.push_back(value->text);
    }
}

void RecentFileList::write(SettingsStore& store) const {
    store.removeKey(kRecentFilesKey);
    store.createKey(kRecentFilesKey);
    for (size_t i = 0; i < paths_.size(); ++i)
        store.setString(kRecentFilesKey, format("File%zu", i + 1), paths_[i]);
}

}  // namespace quillon
