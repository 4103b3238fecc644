// quillon-cli: the scriptable front end of the sound bank editor.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // The library reports through results; what may still throw is the
    // standard library itself (memory, file system), reported here whole.
    try {
        return quillon::cli::runCli(arguments);
    } catch (const std::bad_alloc&) {
        std::fputs("quillon-cli: out of memory\n", stderr);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillon-cli: %s\n", error.what());
    }
    return quillon::cli::kExitFailed;
}
