// The Wave commands that take audio into the bank or out of it: Add/Insert,
// the Insert key's add, Replace, Refresh (Original Path), Refresh (Change
// Path), Clone and Extract, and AddWave, the one routine that creates or
// updates a row from a WAV file.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bank/QuillonDoc.h"

namespace quillon {

enum class WaveAddMode { Add, Refresh, Replace, Clone };

inline constexpr char kWaveFilter[] = "Wave Sound (*.wav)|*.wav||";

// The rows' files by case-folded path and name, built once per command so that
// adding, refreshing or cloning many files costs no more per file as the bank
// grows. It lives for one command over a list that only it changes.
class WaveIndex {
  public:
    explicit WaveIndex(const RowList& rows);
    bool hasPath(const std::string& path) const;
    void addRow(int index, const std::string& path);
    void addPath(const std::string& path);
    void removePath(const std::string& path);
    // Rows whose Name equals the name ignoring case, in list order, with
    // perhaps rows that had the name earlier in the command (callers check).
    const std::vector<int>& rowsNamed(const std::string& name);

  private:
    const RowList& rows_;
    std::unordered_map<std::string, int> pathCount_;
    // Made from the rows when first asked for: an Add/Insert never needs it.
    std::optional<std::unordered_map<std::string, std::vector<int>>> rowsByName_;
};

// Creates or updates a row from a WAV file, showing its own messages. `row` is
// the row the operation concerns (ignored when adding). Returns true when the
// list changed.
bool AddWave(CQuillonDoc& doc, WaveIndex& index, const std::string& path, WaveAddMode mode,
             int row);

// The commands. Each asks for files or folders through the document's shell.
void addInsertWaves(CQuillonDoc& doc);
void insertKeyAdd(CQuillonDoc& doc);
void replaceWave(CQuillonDoc& doc);
void refreshOriginalPath(CQuillonDoc& doc);
void refreshChangePath(CQuillonDoc& doc);
void cloneSelected(CQuillonDoc& doc);
void extractSelected(CQuillonDoc& doc);

// The command bodies after their dialogs, for callers that already know the
// files (the command-line tool). Each returns false when something failed.
bool addWaveFiles(CQuillonDoc& doc, const std::vector<std::string>& paths);
bool refreshRows(CQuillonDoc& doc, const std::vector<int>& rows, const std::string& newFolder);
// `waveDataMissing`, when given, is set when the extract stopped because the
// bank has no readable wave data: the editor only logs that, so a caller that
// must say why says it itself.
bool extractRows(CQuillonDoc& doc, const std::vector<int>& rows, const std::string& folder,
                 bool* waveDataMissing = nullptr);

}  // namespace quillon
