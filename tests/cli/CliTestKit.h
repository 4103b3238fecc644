// Running the real quillon-cli binary in a sandbox: a private home, XDG and
// temporary folders, stdout and stderr captured whole.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
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

// The path the build gave the tests; empty when the tool was not built.
inline std::string cliPath() {
    return QUILLON_CLI_PATH;
}

inline std::string shellWord(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeText(const std::string& path, const std::string& text) {
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

class CliSandbox {
  public:
    // Runs quillon-cli in the sandbox's folder; stdin is empty. Given a path,
    // stdout goes there instead of being captured.
    CliResult run(const std::vector<std::string>& arguments,
                  const std::string& stdoutPath = {}) const {
        std::string script = prologue() + "exec " + shellWord(cliPath());
        for (const std::string& argument : arguments)
            script += " " + shellWord(argument);
        std::string outPath = stdoutPath.empty() ? file("cli-stdout") : stdoutPath;
        script += " </dev/null >" + shellWord(outPath) + " 2>" + shellWord(file("cli-stderr"));
        int wstatus = std::system(("sh -c " + shellWord(script)).c_str());
        CliResult result;
        result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
        if (stdoutPath.empty()) result.out = readText(outPath);
        result.err = readText(file("cli-stderr"));
        return result;
    }

    // Runs a shell command line in the sandbox's folder and environment, the
    // tool's folder first on the search path; its output and errors together,
    // or nothing when it did not exit 0.
    std::optional<std::string> shell(const std::string& commandLine) const {
        std::string tools = cliPath().substr(0, cliPath().rfind('/'));
        std::string script = prologue() + "PATH=" + shellWord(tools) + ":$PATH\n{\n" + commandLine +
                             "\n} >shell.log 2>&1";
        if (!runCommand("sh -c " + shellWord(script))) return std::nullopt;
        return readText(file("shell.log"));
    }

    // What a Python program prints, `b` being `input` as Python's json module reads it.
    std::optional<std::string> python(const std::string& program, const std::string& input) const {
        writeText(file("program.py"),
                  "import json, sys\nb = json.load(open(sys.argv[1]))\n" + program);
        writeText(file("python.in"), input);
        return shell("python3 program.py python.in");
    }

    std::string file(const std::string& name) const { return dir_.file(name); }
    const std::string& path() const { return dir_.path(); }

  private:
    // The tool's log, settings and temporary files stay in the sandbox.
    std::string prologue() const {
        return "cd " + shellWord(dir_.path()) +
               " && mkdir -p home/tmp || exit 1\nexport HOME=" + shellWord(file("home")) +
               " TMPDIR=" + shellWord(file("home/tmp")) +
               " LC_ALL=C\nunset XDG_CONFIG_HOME XDG_STATE_HOME XDG_CACHE_HOME XDG_DATA_HOME "
               "QUILLON_LOG_STDERR\n";
    }

    TempFolder dir_;
};

}  // namespace quillon::test
