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
        int status = quillon::cli::runCli(arguments);
        // Help, version and usage texts go to stdout too; a pipeline must not
        // take a text it never got for success.
        if (std::ferror(stdout) || std::fflush(stdout) != 0) {
            std::fputs("quillon-cli: cannot write to the standard output\n", stderr);
            if (status == quillon::cli::kExitOk) status = quillon::cli::kExitFailed;
        }
        return status;
    } catch (const std::bad_alloc&) {
        std::fputs("quillon-cli: out of memory\n", stderr);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillon-cli: %s\n", error.what());
    }
    return quillon::cli::kExitFailed;
}
