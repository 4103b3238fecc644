// The bank manifest: a bank as reviewable, diffable JSON text. It names the
// bank-wide values and, per row, its number, the file its audio comes from,
// its check box and its editable cells; "quillon-cli build" makes the bank
// from it, "quillon-cli dump" writes it from a bank. docs/cli.md describes
// the members.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

// The version written in "format"; a manifest of a higher version is refused.
inline constexpr int kManifestFormat = 1;

struct ManifestRow {
    int64_t number = 0;
    std::string source;  // as written: absolute, or relative to the manifest's folder
    bool checked = true;
    // A music section's frame header value; 0 for a WAV sample.
    uint32_t mpegHeader = 0;
    // Editable columns and their cell texts, in column order.
    std::vector<std::pair<int, std::string>> cells;
};

struct Manifest {
    std::string title;
    std::string who;
    bool music = false;
    std::optional<std::string> enumPrefix;
    // A music bank imported from one MPEG audio file: the file, whose
    // sections are the rows in order.
    std::optional<std::string> mpeg;
    std::vector<ManifestRow> rows;
};

// The manifest as JSON text with two-space indents and a final line end.
std::string manifestJson(const Manifest& manifest);

// Reads a manifest. Strict: an unknown member, a member of the wrong type, a
// cell of a column that cannot be edited or a newer format is refused, with
// what and where in `error`.
struct ManifestRead {
    std::optional<Manifest> manifest;
    std::string error;
};
ManifestRead readManifest(std::string_view text);

// A Make-syntax dependency file: `target` depends on every prerequisite, each
// path spelled so that Make and Ninja (and so CMake's DEPFILE) read it back
// whole: spaces and "#" escaped with a backslash, "$" doubled.
std::string makeDepfile(const std::string& target, const std::vector<std::string>& prerequisites);

}  // namespace quillon
