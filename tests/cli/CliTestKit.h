// Running the real quillon-cli binary for end-to-end tests: a private home and
// XDG folders per sandbox, stdout and stderr captured whole, WAV files made by
// sox with comment keys and a loop added by the WAV builder, and CSV text read
// back by Python's csv module.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace quillon::test {

struct CliResult {
    int status = -1;  // the exit status; 128 + the signal when killed
    std::string out;
    std::string err;
};

// What a sox-made WAV file gets embedded besides its audio.
struct SoxWavSpec {
    double frequency = 440.0;
    std::string comment;                // "ICMT" when not empty: the property keys
    std::string subject;                // "ISBJ" when not empty: the Description
    std::optional<uint32_t> loopStart;  // a "zqloop" cue point with an "ltxt" length
    uint32_t loopLength = 0;
};

class CliSandbox {
  public:
    CliSandbox();

    // Runs quillon-cli with the arguments; stdin is empty. Given a path, stdout
    // goes there instead of being captured.
    CliResult run(const std::vector<std::string>& arguments,
                  const std::string& stdoutPath = {}) const;

    // A 0.2 s, 22050 Hz, 16-bit mono sine written by sox, with the chunks that
    // SoxWavSpec names appended inside its RIFF form. Empty when sox failed.
    std::string soxWav(const std::string& name, const SoxWavSpec& spec) const;

    // The records of a CSV file as Python's csv module reads them, each a list
    // of fields. Nothing when python3 failed.
    std::optional<std::vector<std::vector<std::string>>> readCsv(const std::string& text) const;

    // What a Python program prints when given a file holding `input` as its
    // first argument. Nothing when python3 failed.
    std::optional<std::string> python(const std::string& program, const std::string& input) const;

    // Runs a shell command line in the sandbox's folder, in the sandbox's
    // environment with the tool's folder first on the search path; its
    // output and errors together, or nothing when it did not exit 0.
    std::optional<std::string> shell(const std::string& commandLine) const;

    std::string file(const std::string& name) const { return dir_.file(name); }
    const std::string& path() const { return dir_.path(); }

  private:
    TempFolder dir_;
    std::string home_;
};

// The path the build gave the tests; empty when the tool was not built.
std::string cliPath();

bool haveSox();
bool havePython();

// A file's whole content as text, and a text written as a file's content.
std::string readText(const std::string& path);
void writeText(const std::string& path, const std::string& text);

// An editor's message as the tool writes it about a file: every line after
// "quillon-cli: FILE: ", each ended.
std::string editorMessage(const std::string& file, const std::string& text);

// The lines of a text, without their line ends.
std::vector<std::string> linesOf(const std::string& text);

}  // namespace quillon::test
