// src/ includes only look down the layer table of docs/ARCHITECTURE.md; Qt only in ui/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

namespace fs = std::filesystem;
const fs::path kRoot = QUILLON_SOURCE_DIR;

std::map<std::string, int> documentedRanks() {
    static const std::regex kRow(R"(^\|\s*(\d+)\s*\|\s*`([a-z]+)/`)");
    std::map<std::string, int> ranks;
    std::ifstream doc(kRoot / "docs" / "ARCHITECTURE.md");
    std::smatch match;
    for (std::string line; std::getline(doc, line);)
        if (std::regex_search(line, match, kRow)) ranks[match[2]] = std::stoi(match[1]);
    return ranks;
}

// Why a file of the layer `from` may not include `target`, or "" when it may.
std::string violation(const std::map<std::string, int>& ranks, const std::string& from,
                      const std::string& target) {
    if (target.starts_with('Q') && from != "ui") return "Qt outside ui/";
    const std::string to = target.substr(0, target.find('/'));
    if (!ranks.contains(to) || to == from || ranks.at(to) < ranks.at(from)) return "";
    return from + "/ may not include " + to + "/";
}

// cli and ui share the top rank: neither may include the other.
TEST(Layering, ArchitectureDocumentListsTheOrderAndItsRulesCatchWhatLooksUp) {
    const std::map<std::string, int> ranks = documentedRanks();
    std::string order;
    for (const auto& [folder, rank] : ranks)
        order += folder + std::to_string(rank) + " ";
    EXPECT_EQ(order,
              "audio6 bank3 cli8 container1 editor7 export5 formats2 operations4 platform0 ui8 ");
    EXPECT_EQ(violation(ranks, "formats", "bank/Row.h"), "formats/ may not include bank/");
    EXPECT_EQ(violation(ranks, "audio", "QString"), "Qt outside ui/");
}

TEST(Layering, EveryIncludeLooksDown) {
    static const std::regex kInclude(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])");
    const std::map<std::string, int> ranks = documentedRanks();
    for (const auto& entry : fs::recursive_directory_iterator(kRoot / "src")) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        const std::string file = fs::relative(entry.path(), kRoot / "src").string();
        const std::string layer = file.substr(0, file.find('/'));
        ASSERT_TRUE(ranks.contains(layer)) << file;
        std::ifstream in(entry.path());
        std::smatch match;
        for (std::string text; std::getline(in, text);) {
            if (!std::regex_search(text, match, kInclude)) continue;
            EXPECT_EQ(violation(ranks, layer, match[1]), "") << file << " includes " << match[1];
        }
    }
}

}  // namespace
