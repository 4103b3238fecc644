#include "cli/CliTestKit.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "container/ByteOrder.h"
#include "support/WavBuilder.h"

extern char** environ;

namespace quillon::test {

namespace {

// The environment of a run: a private home and XDG folders, so the tool's log
// and settings never touch the user's; the search path and the sanitizers'
// options are kept.
std::vector<std::string> sandboxEnvironment(const std::string& home) {
    std::vector<std::string> env = {
        "HOME=" + home,
        "XDG_CONFIG_HOME=" + home + "/.config",
        "XDG_STATE_HOME=" + home + "/.local/state",
        "XDG_CACHE_HOME=" + home + "/.cache",
        "XDG_DATA_HOME=" + home + "/.local/share",
        "TMPDIR=" + home + "/tmp",
        "LC_ALL=C",
    };
    for (const char* keep : {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* value = std::getenv(keep)) env.push_back(std::string(keep) + "=" + value);
    return env;
}

// The chunks inside a RIFF "WAVE" form, as the builder's plain chunks.
std::vector<RiffChunkSpec> waveChunks(const Bytes& file) {
    std::vector<RiffChunkSpec> chunks;
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0)
        return chunks;
    size_t at = 12;
    while (file.size() - at >= 8) {
        std::string id(reinterpret_cast<const char*>(file.data() + at), 4);
        uint32_t size = loadU32(file.data() + at + 4);
        at += 8;
        if (size > file.size() - at) break;
        chunks.push_back(chunk(id, Bytes(file.begin() + long(at), file.begin() + long(at + size))));
        at += size + (size & 1);
    }
    return chunks;
}

}  // namespace

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text) {
    writeFile(path, Bytes(text.begin(), text.end()));
}

std::string cliPath() {
    return QUILLON_CLI_PATH;
}

bool haveSox() {
    return haveProgram("sox");
}

bool havePython() {
    return haveProgram("python3");
}

std::string editorMessage(const std::string& file, const std::string& text) {
    std::string out;
    for (const std::string& line : linesOf(text))
        out += "quillon-cli: " + file + ": " + line + "\n";
    return out;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

CliSandbox::CliSandbox() : home_(dir_.file("home")) {
    for (const char* sub : {"", "/tmp"})
        ::mkdir((home_ + sub).c_str(), 0700);
}

CliResult CliSandbox::run(const std::vector<std::string>& arguments,
                          const std::string& stdoutPath) const {
    CliResult result;
    std::string program = cliPath();
    std::string outPath = stdoutPath.empty() ? dir_.file("cli-stdout") : stdoutPath;
    std::string errPath = dir_.file("cli-stderr");
    std::vector<std::string> env = sandboxEnvironment(home_);
    std::vector<char*> argv = {program.data()};
    std::vector<std::string> args = arguments;
    for (std::string& argument : args)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addchdir_np(&actions, dir_.path().c_str());
    pid_t pid = -1;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        result.err = std::string("cannot start ") + program + ": " + std::strerror(spawned);
        return result;
    }
    int wstatus = 0;
    while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    if (stdoutPath.empty()) result.out = readText(outPath);
    result.err = readText(errPath);
    return result;
}

std::string CliSandbox::soxWav(const std::string& name, const SoxWavSpec& spec) const {
    std::string path = dir_.file(name);
    std::string command = "sox -n -r 22050 -b 16 -c 1 '" + path + "' synth 0.2 sine " +
                          std::to_string(spec.frequency) + " >/dev/null 2>&1";
    if (!runCommand(command)) return {};
    std::vector<RiffChunkSpec> chunks = waveChunks(readFileBytes(path));
    if (chunks.empty()) return {};
    if (spec.loopStart) {
        chunks.push_back(cueChunk({{1, *spec.loopStart}}));
        chunks.push_back(adtlList({lablChunk(1, "zqloop"), ltxtChunk(1, spec.loopLength)}));
    }
    std::vector<RiffChunkSpec> info;
    if (!spec.comment.empty()) info.push_back(infoText("ICMT", spec.comment));
    if (!spec.subject.empty()) info.push_back(infoText("ISBJ", spec.subject));
    if (!info.empty()) chunks.push_back(infoList(std::move(info)));
    writeFile(path, encodeRiff({waveRiff(std::move(chunks))}));
    return path;
}

std::optional<std::vector<std::vector<std::string>>> CliSandbox::readCsv(
    const std::string& text) const {
    std::string csvPath = dir_.file("read.csv"), outPath = dir_.file("read.out");
    std::string script = dir_.file("read_csv.py");
    writeFileBytes(csvPath, Bytes(text.begin(), text.end()));
    // One record a line, its fields joined by the unit separator.
    std::string program =
        "import csv, sys\n"
        "with open(sys.argv[1], newline='') as f:\n"
        "    for record in csv.reader(f):\n"
        "        sys.stdout.write('\\x1f'.join(record) + '\\n')\n";
    writeFileBytes(script, Bytes(program.begin(), program.end()));
    if (!runCommand("python3 '" + script + "' '" + csvPath + "' > '" + outPath + "'"))
        return std::nullopt;
    std::vector<std::vector<std::string>> records;
    for (const std::string& line : linesOf(readText(outPath))) {
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t end; (end = line.find('\x1f', start)) != std::string::npos; start = end + 1)
            fields.push_back(line.substr(start, end - start));
        fields.push_back(line.substr(start));
        records.push_back(std::move(fields));
    }
    return records;
}

std::optional<std::string> CliSandbox::python(const std::string& program,
                                              const std::string& input) const {
    std::string inputPath = dir_.file("python.in"), outPath = dir_.file("python.out");
    std::string script = dir_.file("program.py");
    writeText(inputPath, input);
    writeText(script, program);
    if (!runCommand("python3 '" + script + "' '" + inputPath + "' > '" + outPath + "'"))
        return std::nullopt;
    return readText(outPath);
}

std::optional<std::string> CliSandbox::shell(const std::string& commandLine) const {
    std::string script = "cd '" + dir_.path() + "' || exit 1\n";
    for (const std::string& entry : sandboxEnvironment(home_))
        if (entry.rfind("PATH=", 0) != 0) script += "export '" + entry + "'\n";
    std::string toolFolder = cliPath().substr(0, cliPath().rfind('/'));
    script += "export PATH='" + toolFolder + "':\"$PATH\"\n" + commandLine + "\n";
    std::string scriptPath = dir_.file("shell.sh"), logPath = dir_.file("shell.log");
    writeText(scriptPath, script);
    bool ran = runCommand("sh '" + scriptPath + "' >'" + logPath + "' 2>&1");
    if (!ran) return std::nullopt;
    return readText(logPath);
}

}  // namespace quillon::test
