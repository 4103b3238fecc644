// What the editor benchmarks share: a bank of many samples made on the spot,
// a shell that shows nothing, and the median of a set of timings.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bank/QuillonDoc.h"
#include "support/WavBuilder.h"
#include "wave/SampleOps.h"

namespace quillon::bench {

// Answers every dialog with Cancel and shows nothing: the baseline document
// needs a shell but must not talk to anyone.
class SilentShell : public Shell {
  public:
    MessageAnswer showMessage(const MessageRequest& request) override {
        std::fprintf(stderr, "message: %s\n", request.text.c_str());
        return MessageAnswer::Cancel;
    }
    FileDialogResult chooseFiles(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> chooseFolder(const std::string&) override { return {}; }
    bool editText(TextDialog, std::string&) override { return false; }
    bool editScriptExportSettings(ScriptExportSettings&, const BankNameLoader&) override {
        return false;
    }
    void setStatusText(StatusPane, std::string_view) override {}
    void beginProgress(int) override {}
    void setProgress(int) override {}
    void endProgress() override {}
    void setMainWindowsEnabled(bool) override {}
    void focusList() override {}
    void processOnePendingEvent() override {}
};

// `count` small WAV files with comment keys, saved as one bank.
inline std::string makeLargeBank(const std::string& folder, int count) {
    std::filesystem::create_directories(folder + "/waves");
    std::vector<std::string> paths;
    paths.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        test::PcmWavSpec spec;
        spec.frames = 200 + uint32_t(i % 16) * 50;
        spec.comment = "ZQ_PRIORITY=" + std::to_string(i % 100) +
                       " ZQ_VOLUME=100 ZQ_GROUP=" + std::to_string(1 + i % 40);
        spec.subject = "Sample " + std::to_string(i);
        paths.push_back(folder + "/waves/sound_" + std::to_string(i) + ".wav");
        test::writeFile(paths.back(), test::makePcmWav(spec));
    }
    SilentShell shell;
    CQuillonDoc doc(shell, nullptr);
    std::string bank = folder + "/large.sad";
    if (!addWaveFiles(doc, paths) || !doc.OnSaveDocument(bank)) {
        std::fprintf(stderr, "cannot make the bank\n");
        std::exit(1);
    }
    return bank;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename F>
double millisecondsOf(F&& run) {
    auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace quillon::bench
