#include "operations/WaveEditor.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "bank/RowRecord.h"
#include "platform/Paths.h"

namespace quillon {

namespace {

// The editors started so far and not yet reaped. Only the user-interface
// thread starts editors.
std::vector<pid_t>& unreapedEditors() {
    static std::vector<pid_t> pids;
    return pids;
}

// Collects the exit status of editors that have ended, so they do not stay
// behind as zombies for the rest of the session. Never waits.
void reapFinishedEditors() {
    std::erase_if(unreapedEditors(), [](pid_t pid) {
        int status = 0;
        pid_t result = ::waitpid(pid, &status, WNOHANG);
        return result == pid || (result < 0 && errno == ECHILD);
    });
}

// The byte count the old registry read needed for a value's data.
size_t storedDataBytes(const SettingValue& value) {
    switch (value.type) {
        case SettingType::String:
            return value.text.size() + 1;  // with its terminating zero
        case SettingType::Binary:
            return value.text.size();
        case SettingType::Integer:
            return sizeof(uint32_t);
    }
    return 0;
}

}  // namespace

std::string classesRootSettingsPath() {
    return joinPath(joinPath(configHome(), "quillon"), "classes.conf");
}

std::string waveEditorFromStore(const SettingsStore& classes, std::string fallback) {
    std::string editor = std::move(fallback);
    for (const SettingValue& value : classes.values(kWaveEditorKey)) {
        if (value.name.size() > kMaxEditorValueNameBytes ||
            storedDataBytes(value) > kMaxEditorValueDataBytes)
            break;
        if (value.type == SettingType::String) editor = value.text;
    }
    return editor;
}

std::string findWaveEditor(const std::string& classesStorePath) {
    if (const char* named = std::getenv(kWaveEditorVariable); named && *named) return named;
    SettingsStore classes(classesStorePath);
    if (classes.load() != SettingsLoad::Loaded) return kDefaultWaveEditor;
    return waveEditorFromStore(classes);
}

bool startDetachedProcess(const std::vector<std::string>& argv) {
    reapFinishedEditors();
    if (argv.empty() || argv.front().empty()) return false;
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    posix_spawnattr_t attributes;
    if (::posix_spawnattr_init(&attributes) != 0) return false;
    // The editor starts with no signals blocked and SIGPIPE at its default,
    // whatever this program set for itself.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    ::posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    ::posix_spawnattr_setpgroup(&attributes, 0);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);

    const std::string& program = argv.front();
    pid_t pid = 0;
    // glibc reports a program that cannot be run (missing, not executable) as
    // the result of the call itself.
    int result =
        program.find('/') == std::string::npos
            ? ::posix_spawnp(&pid, program.c_str(), nullptr, &attributes, args.data(), environ)
            : ::posix_spawn(&pid, program.c_str(), nullptr, &attributes, args.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    if (result != 0) return false;
    unreapedEditors().push_back(pid);
    return true;
}

int openSelectedInWaveEditor(CQuillonDoc& doc, const std::string& editor,
                             const ProcessStarter& start) {
    if (doc.values().musicBank) return 0;
    const RowList& rows = doc.rows();
    int started = 0;
    for (int i : rows.selectedRows()) {
        if (!start({editor, doc.sourceFileOf(rows.row(i))})) {
            showStop(doc.shell(), kNoEditorMessage);
            break;
        }
        ++started;
    }
    return started;
}

}  // namespace quillon
