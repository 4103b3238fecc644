#include "platform/Settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace quillon {

namespace {

// A settings file is a few kilobytes; anything far larger is not ours.
constexpr off_t kMaxSettingsFileBytes = 4 << 20;

constexpr std::string_view kHeading =
    "# Quillon settings: keys in brackets, then one value per line as name=type:data.\n"
    "# %XX stands for the byte XX (hexadecimal) in names and data.\n";

// Names may not hold the characters that frame them; data only needs its line
// kept whole.
bool mustEscapeInName(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == '%' || c == '=' || c == '[' || c == ']' || c == '#';
}
bool mustEscapeInData(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == '%';
}

template <typename MustEscape>
std::string escape(std::string_view text, MustEscape mustEscape) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (!mustEscape(c)) {
            out += ch;
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = asciiLowerChar(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (text.size() - i < 3) return std::nullopt;
        int high = hexDigit(text[i + 1]), low = hexDigit(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += char(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string hexOf(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

std::optional<std::string> bytesOfHex(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string out;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = hexDigit(hex[i]), low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out += char(high * 16 + low);
    }
    return out;
}

std::optional<SettingValue> parseValueLine(std::string_view line) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    std::string_view rest = line.substr(equals + 1);
    size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    std::optional<std::string> name = unescape(line.substr(0, equals));
    if (!name) return std::nullopt;
    std::string_view type = rest.substr(0, colon), data = rest.substr(colon + 1);
    SettingValue value;
    value.name = std::move(*name);
    if (type == "string") {
        std::optional<std::string> text = unescape(data);
        if (!text) return std::nullopt;
        value.type = SettingType::String;
        value.text = std::move(*text);
    } else if (type == "integer") {
        const char* end = data.data() + data.size();
        auto [at, error] = std::from_chars(data.data(), end, value.number);
        if (error != std::errc() || at != end) return std::nullopt;
        value.type = SettingType::Integer;
    } else if (type == "binary") {
        std::optional<std::string> bytes = bytesOfHex(data);
        if (!bytes) return std::nullopt;
        value.type = SettingType::Binary;
        value.text = std::move(*bytes);
    } else {
        return std::nullopt;
    }
    return value;
}

std::string valueLine(const SettingValue& value) {
    std::string line = escape(value.name, mustEscapeInName) + '=';
    switch (value.type) {
        case SettingType::String:
            line += "string:" + escape(value.text, mustEscapeInData);
            break;
        case SettingType::Integer:
            line += "integer:" + std::to_string(value.number);
            break;
        case SettingType::Binary:
            line += "binary:" + hexOf(value.text);
            break;
    }
    return line;
}

// Creates every missing folder of the path, the last ones private to the user.
bool makeFolders(const std::string& folder) {
    if (folder.empty() || pathExists(folder)) return true;
    if (!makeFolders(splitLocalPath(folder).folder)) return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

std::optional<std::string> readSmallFile(const std::string& path, bool& missing) {
    missing = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        return std::nullopt;
    }
    struct stat st {};
    std::optional<std::string> text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxSettingsFileBytes) {
        std::string bytes(size_t(st.st_size), '\0');
        size_t got = 0;
        while (got < bytes.size()) {
            ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += size_t(n);
        }
        bytes.resize(got);
        text = std::move(bytes);
    }
    ::close(fd);
    return text;
}

}  // namespace

SettingsStore::SettingsStore(std::string path) : path_(std::move(path)) {}

SettingsLoad SettingsStore::load() {
    keys_.clear();
    bool missing = false;
    std::optional<std::string> text = readSmallFile(path_, missing);
    if (!text) return missing ? SettingsLoad::Missing : SettingsLoad::Unreadable;
    parse(*text);
    return SettingsLoad::Loaded;
}

void SettingsStore::parse(std::string_view text) {
    keys_.clear();
    std::string currentKey;
    bool inKey = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            std::optional<std::string> key;
            if (line.back() == ']' && line.size() > 2)
                key = unescape(line.substr(1, line.size() - 2));
            inKey = key.has_value();
            if (inKey) {
                currentKey = std::move(*key);
                createKey(currentKey);
            }
            continue;
        }
        // Values before any key, or under a key that did not parse, have no home.
        if (!inKey) continue;
        if (std::optional<SettingValue> value = parseValueLine(line)) set(currentKey, *value);
    }
}

std::string SettingsStore::serialize() const {
    std::string text(kHeading);
    for (const Key& key : keys_) {
        text += '[' + escape(key.name, mustEscapeInName) + "]\n";
        for (const SettingValue& value : key.values)
            text += valueLine(value) + '\n';
    }
    return text;
}

bool SettingsStore::save() const {
    PathParts parts = splitLocalPath(path_);
    if (!makeFolders(parts.folder)) return false;
    std::string temporary = path_ + ".XXXXXX";
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, 0600) == 0 && writeAll(fd, serialize()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), path_.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    syncFolder(parts.folder);
    return true;
}

SettingsStore::Key* SettingsStore::findKey(std::string_view key) {
    for (Key& k : keys_)
        if (equalIgnoringCase(k.name, key)) return &k;
    return nullptr;
}

const SettingsStore::Key* SettingsStore::findKey(std::string_view key) const {
    return const_cast<SettingsStore*>(this)->findKey(key);
}

bool SettingsStore::hasKey(std::string_view key) const {
    return findKey(key) != nullptr;
}

void SettingsStore::createKey(std::string_view key) {
    if (!key.empty() && !findKey(key)) keys_.push_back({std::string(key), {}});
}

std::vector<SettingValue> SettingsStore::values(std::string_view key) const {
    const Key* k = findKey(key);
    return k ? k->values : std::vector<SettingValue>();
}

std::optional<SettingValue> SettingsStore::value(std::string_view key,
                                                 std::string_view name) const {
    if (const Key* k = findKey(key))
        for (const SettingValue& v : k->values)
            if (equalIgnoringCase(v.name, name)) return v;
    return std::nullopt;
}

void SettingsStore::set(std::string_view key, SettingValue value) {
    if (key.empty()) return;
    createKey(key);
    Key& k = *findKey(key);
    for (SettingValue& v : k.values) {
        if (!equalIgnoringCase(v.name, value.name)) continue;
        value.name = v.name;
        v = std::move(value);
        return;
    }
    k.values.push_back(std::move(value));
}

void SettingsStore::setString(std::string_view key, std::string_view name, std::string_view text) {
    SettingValue v;
    v.name = name;
    v.type = SettingType::String;
    v.text = text;
    set(key, std::move(v));
}

void SettingsStore::setInteger(std::string_view key, std::string_view name, int64_t number) {
    SettingValue v;
    v.name = name;
    v.type = SettingType::Integer;
    v.number = number;
    set(key, std::move(v));
}

void SettingsStore::setBinary(std::string_view key, std::string_view name, std::string_view bytes) {
    SettingValue v;
    v.name = name;
    v.type = SettingType::Binary;
    v.text = bytes;
    set(key, std::move(v));
}

bool SettingsStore::removeValue(std::string_view key, std::string_view name) {
    Key* k = findKey(key);
    if (!k) return false;
    auto it = std::find_if(k->values.begin(), k->values.end(),
                           [&](const SettingValue& v) { return equalIgnoringCase(v.name, name); });
    if (it == k->values.end()) return false;
    k->values.erase(it);
    return true;
}

void SettingsStore::removeKey(std::string_view key) {
    keys_.erase(std::remove_if(keys_.begin(), keys_.end(),
                               [&](const Key& k) { return equalIgnoringCase(k.name, key); }),
                keys_.end());
}

std::string userSettingsPath() {
    return joinPath(joinPath(configHome(), "quillon"), "settings.conf");
}

}  // namespace quillon
