#include "export/ExportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "platform/Paths.h"
#include "platform/Text.h"

namespace quillon {

SaveResult saveTextFile(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return SaveResult::CannotCreate;
    const char* data = bytes.data();
    size_t left = bytes.size();
    bool ok = true;
    while (left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        data += n;
        left -= size_t(n);
    }
    // A full disk may show only when the data is flushed on close.
    if (::close(fd) != 0) ok = false;
    return ok ? SaveResult::Saved : SaveResult::WriteFailed;
}

bool refuseOutputOverBank(Shell& shell, const std::string& bankPath, const std::string& output) {
    if (!sameExistingFile(output, bankPath)) return false;
    showStop(shell,
             format("%s - this is the open bank file - nothing was written", output.c_str()));
    return true;
}

bool readTextLines(const std::string& path,
                   const std::function<bool(std::string_view line)>& visit) {
    struct stat st {};
    // A folder or a device is no text file; reading /dev/zero would never end.
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        std::string_view text(line);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
        if (!visit(text)) break;
    }
    return true;
}

FileDialogRequest exportSaveDialog(std::string defaultName, std::string filter) {
    FileDialogRequest request;
    request.save = true;
    request.defaultName = std::move(defaultName);
    request.filter = std::move(filter);
    request.promptOverwrite = true;
    request.mustExist = true;
    request.mode = FileDialogMode::Save;
    return request;
}

std::string_view beforeLastDot(std::string_view name) {
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

std::string_view fileNameOf(std::string_view path) {
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace quillon
