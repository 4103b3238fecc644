#include "editor/AppSettings.h"

#include <algorithm>

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
