// The layers of src/ look only down: every #include of a project header names a
// folder of a lower layer (or its own), and only the editor's widgets include Qt.
// The order is the table of docs/ARCHITECTURE.md; this test keeps the two alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Layer {
    const char* folder;
    int rank;  // a layer may include the layers of a lower rank
};

// Lowest first. cli and ui share the top rank: neither may include the other.
constexpr Layer kLayers[] = {
    {"platform", 0}, {"container", 1}, {"formats", 2}, {"bank", 3}, {"operations", 4},
    {"export", 5},   {"audio", 6},     {"editor", 7},  {"cli", 8},  {"ui", 8},
};

const Layer* layerNamed(const std::string& folder) {
    for (const Layer& layer : kLayers)
        if (folder == layer.folder) return &layer;
    return nullptr;
}

struct Include {
    std::string file;  // relative to src/
    int line = 0;
    std::string target;
};

std::vector<Include> includesUnder(const fs::path& src) {
    static const std::regex kInclude(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])");
    std::vector<Include> found;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        std::ifstream in(entry.path());
        std::string text;
        for (int line = 1; std::getline(in, text); ++line) {
            std::smatch match;
            if (std::regex_search(text, match, kInclude))
                found.push_back({fs::relative(entry.path(), src).string(), line, match[1]});
        }
    }
    return found;
}

std::string firstFolder(const std::string& path) {
    const size_t slash = path.find('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Why an include breaks the layering, or "" when it keeps it.
std::string violation(const Include& include) {
    const Layer* from = layerNamed(firstFolder(include.file));
    if (!from) return "file outside every layer";
    if (include.target.starts_with('Q') && std::string(from->folder) != "ui")
        return "Qt outside ui/";
    const std::string folder = firstFolder(include.target);
    const Layer* to = layerNamed(folder);
    if (!to || to == from) return "";
    if (to->rank < from->rank) return "";
    return std::string(from->folder) + "/ may not include " + folder + "/";
}

TEST(Layering, EveryIncludeLooksDown) {
    for (const Include& include : includesUnder(fs::path(QUILLON_SOURCE_DIR) / "src")) {
        const std::string why = violation(include);
        EXPECT_EQ(why, "") << include.file << ":" << include.line << " includes " << include.target;
    }
}

TEST(Layering, RulesCatchIncludesThatLookUpOrAcross) {
    struct Row {
        const char* name;
        Include include;
        bool allowed;
    };
    const Row rows[] = {
        {"down", {"bank/RowList.cpp", 1, "formats/WavFile.h"}, true},
        {"own-folder", {"bank/RowList.cpp", 1, "bank/Columns.h"}, true},
        {"system", {"bank/RowList.cpp", 1, "vector"}, true},
        {"up", {"formats/WavFile.cpp", 1, "bank/SampleRecord.h"}, false},
        {"across-top", {"cli/Cli.cpp", 1, "ui/MainFrame.h"}, false},
        {"qt-headless", {"audio/Preview.cpp", 1, "QString"}, false},
        {"qt-in-ui", {"ui/MainFrame.cpp", 1, "QMainWindow"}, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(violation(row.include).empty(), row.allowed) << row.name;
}

// The layer table of docs/ARCHITECTURE.md names the same folders in the same order.
TEST(Layering, ArchitectureDocumentListsTheOrder) {
    std::ifstream doc(fs::path(QUILLON_SOURCE_DIR) / "docs" / "ARCHITECTURE.md");
    ASSERT_TRUE(doc) << "docs/ARCHITECTURE.md";
    static const std::regex kRow(R"(^\|\s*\d+\s*\|\s*`([a-z]+)/`)");
    std::vector<std::string> listed;
    for (std::string line; std::getline(doc, line);) {
        std::smatch match;
        if (std::regex_search(line, match, kRow)) listed.push_back(match[1]);
    }
    std::vector<std::string> expected;
    for (const Layer& layer : kLayers)
        expected.emplace_back(layer.folder);
    EXPECT_EQ(listed, expected);
}

// Every folder of src/ is a layer of the table.
TEST(Layering, EverySourceFolderIsALayer) {
    for (const auto& entry : fs::directory_iterator(fs::path(QUILLON_SOURCE_DIR) / "src")) {
        if (!entry.is_directory()) continue;
        EXPECT_NE(layerNamed(entry.path().filename().string()), nullptr) << entry.path().filename();
    }
}

}  // namespace
