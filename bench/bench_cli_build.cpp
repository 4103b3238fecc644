// quillon-cli build of a 2,000-row manifest against create with the same WAV
// files, both run as the real tool in this program, alternately; prints the
// medians and their ratio (the target is at most 1.3). The manifest sets a
// Description and a Priority in every row, as a real one does.
//
// Usage: bench_cli_build [rows] [runs]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace {

double secondsOf(const std::string& command) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    return quillon::bench::millisSince(start) / 1000;
}

std::string manifestRow(int number, const std::string& source) {
    return "    {\"no\": " + std::to_string(number) + ", \"source\": \"" + source +
           "\", \"checked\": true, \"cells\": {\"Description\": \"line " + std::to_string(number) +
           "\", \"Priority\": \"" + std::to_string(number % 10 + 1) + "\"}}";
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    quillon::test::TempFolder dir;
    std::filesystem::create_directories(dir.file("wavs"));
    std::string files;
    std::string manifest = "{\n  \"format\": 1,\n  \"title\": \"Bench\",\n  \"rows\": [\n";
    for (int i = 1; i <= rows; ++i) {
        std::string name = "wavs/s" + std::to_string(i) + ".wav";
        quillon::test::PcmWavSpec spec;
        spec.frequency = 200.0 + i;
        quillon::test::writeFile(dir.file(name), quillon::test::makePcmWav(spec));
        files += " " + name;
        manifest += manifestRow(i, name) + (i < rows ? ",\n" : "\n");
    }
    std::ofstream(dir.file("m.json")) << manifest << "  ]\n}\n";

    const std::string tool = QUILLON_CLI_PATH;
    const std::string in = "cd '" + dir.path() + "' && '" + tool + "' ";
    std::vector<double> create, build;
    for (int run = 0; run < runs; ++run) {
        create.push_back(secondsOf(in + "create --force c.sad" + files + " >/dev/null"));
        build.push_back(secondsOf(in + "build m.json -o b.sad >/dev/null"));
    }
    double c = quillon::bench::median(create), b = quillon::bench::median(build);
    std::printf("rows %d: create %.3f s, build %.3f s (median of %d), build/create %.2f\n", rows, c,
                b, runs, b / c);
    return 0;
}
