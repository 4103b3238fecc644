// The layers of src/ look only down: every #include of a project header names a
// folder of a lower layer (or its own), and only the editor's widgets include Qt.
// The layers and their ranks are read from the table of docs/ARCHITECTURE.md.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Layers = std::vector<std::pair<std::string, int>>;  // folder and rank, lowest first

Layers documentedLayers() {
    static const std::regex kRow(R"(^\|\s*(\d+)\s*\|\s*`([a-z]+)/`)");
    Layers layers;
    std::ifstream doc(fs::path(QUILLON_SOURCE_DIR) / "docs" / "ARCHITECTURE.md");
    std::smatch match;
    for (std::string line; std::getline(doc, line);)
        if (std::regex_search(line, match, kRow))
            layers.emplace_back(match[2], std::stoi(match[1]));
    return layers;
}

const std::pair<std::string, int>* layerOf(const Layers& layers, const std::string& path) {
    for (const auto& layer : layers)
        if (path.starts_with(layer.first + "/")) return &layer;
    return nullptr;
}

// Why `file` (relative to src/) may not include `target`, or "" when it may.
std::string violation(const Layers& layers, const std::string& file, const std::string& target) {
    const auto* from = layerOf(layers, file);
    if (!from) return "file outside every layer";
    if (target.starts_with('Q') && from->first != "ui") return "Qt outside ui/";
    const auto* to = layerOf(layers, target);
    if (!to || to == from || to->second < from->second) return "";
    return from->first + "/ may not include " + to->first + "/";
}

// cli and ui share the top rank: neither may include the other.
TEST(Layering, ArchitectureDocumentListsTheOrderAndEverySourceFolder) {
    const Layers layers = documentedLayers();
    EXPECT_EQ(layers, (Layers{{"platform", 0},
                              {"container", 1},
                              {"formats", 2},
                              {"bank", 3},
                              {"operations", 4},
                              {"export", 5},
                              {"audio", 6},
                              {"editor", 7},
                              {"cli", 8},
                              {"ui", 8}}));
    for (const auto& entry : fs::directory_iterator(fs::path(QUILLON_SOURCE_DIR) / "src"))
        EXPECT_TRUE(!entry.is_directory() ||
                    layerOf(layers, entry.path().filename().string() + "/"))
            << entry.path();
}

TEST(Layering, RulesCatchIncludesThatLookUpOrAcross) {
    const Layers layers = documentedLayers();
    EXPECT_EQ(violation(layers, "bank/RowList.cpp", "formats/WavFile.h"), "");
    EXPECT_EQ(violation(layers, "bank/RowList.cpp", "vector"), "");
    EXPECT_EQ(violation(layers, "formats/WavFile.cpp", "bank/Row.h"),
              "formats/ may not include bank/");
    EXPECT_EQ(violation(layers, "cli/Cli.cpp", "ui/MainFrame.h"), "cli/ may not include ui/");
    EXPECT_EQ(violation(layers, "audio/Preview.cpp", "QString"), "Qt outside ui/");
    EXPECT_EQ(violation(layers, "ui/MainFrame.cpp", "QMainWindow"), "");
}

TEST(Layering, EveryIncludeLooksDown) {
    static const std::regex kInclude(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])");
    const Layers layers = documentedLayers();
    const fs::path src = fs::path(QUILLON_SOURCE_DIR) / "src";
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        const std::string file = fs::relative(entry.path(), src).string();
        std::ifstream in(entry.path());
        std::smatch match;
        for (std::string text; std::getline(in, text);)
            EXPECT_EQ(
                std::regex_search(text, match, kInclude) ? violation(layers, file, match[1]) : "",
                "")
                << file << " includes " << match[1];
    }
}

}  // namespace
