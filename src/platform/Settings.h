// The per-user settings store: named, typed values under keys, kept the way
// the system's registry keeps them. A key is a path of names joined by "\"
// ("Software\Zarquine Studios Ltd\Audio\Quillon"); names of keys and values
// compare ignoring letter case (A to Z); a key's values enumerate in the order
// they were first set.
//
// The store is a small text file below $XDG_CONFIG_HOME/quillon/. It is read
// whole and written whole, through a temporary file in the same folder that is
// flushed and renamed over the old one, so a crash leaves the old settings or
// the new ones, never half of each.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

enum class SettingType { String, Integer, Binary };

struct SettingValue {
    std::string name;
    SettingType type = SettingType::String;
    std::string text;    // String: the text; Binary: the bytes
    int64_t number = 0;  // Integer
};

enum class SettingsLoad {
    Loaded,
    Missing,     // no file yet: the store is empty
    Unreadable,  // the file could not be read, or is too large: the store is empty
};

class SettingsStore {
  public:
    explicit SettingsStore(std::string path);

    const std::string& path() const { return path_; }

    // Replaces the contents with the file's. A line that does not parse (a
    // broken escape, an unknown type, a malformed number) is skipped; the rest
    // of the file still loads.
    SettingsLoad load();
    // Creates the folder when missing (mode 0700) and replaces the file
    // atomically (mode 0600). False when anything failed; the old file is then
    // left as it was.
    [[nodiscard]] bool save() const;

    bool hasKey(std::string_view key) const;
    void createKey(std::string_view key);
    // The key's values in enumeration order; empty when the key does not exist.
    std::vector<SettingValue> values(std::string_view key) const;
    std::optional<SettingValue> value(std::string_view key, std::string_view name) const;

    // Sets a value, creating the key when needed. A value that exists under the
    // same name in another letter case is replaced in place, type included, and
    // keeps its name and place.
    void setString(std::string_view key, std::string_view name, std::string_view text);
    void setInteger(std::string_view key, std::string_view name, int64_t number);
    void setBinary(std::string_view key, std::string_view name, std::string_view bytes);
    bool removeValue(std::string_view key, std::string_view name);
    void removeKey(std::string_view key);

    // The file's text as save() writes it.
    std::string serialize() const;
    // Replaces the contents with a parsed text (load() without the file).
    void parse(std::string_view text);

  private:
    struct Key {
        std::string name;
        std::vector<SettingValue> values;
    };
    Key* findKey(std::string_view key);
    const Key* findKey(std::string_view key) const;
    void set(std::string_view key, SettingValue value);

    std::string path_;
    std::vector<Key> keys_;
};

// $XDG_CONFIG_HOME/quillon/settings.conf: the per-user store of the editor.
std::string userSettingsPath();

}  // namespace quillon
