#include "export/ExportFile.h"

#include <sys/stat.h>

#include <fstream>

#include "platform/Paths.h"
#include "platform/ReplacementFile.h"
#include "platform/Text.h"

namespace quillon {

SaveResult saveTextFile(const std::string& path, std::string_view bytes) {
    ReplacementFile file(path);
    if (!file.ready()) return SaveResult::CannotCreate;
    if (file.write(bytes) && file.commit()) return SaveResult::Saved;
    return SaveResult::WriteFailed;
}

bool refuseUnsafeOutput(Shell& shell, const std::string& bankPath, const std::string& output) {
    const char* why = nullptr;
    if (existsAsNonFile(output))
        why = "this is not a file";
    else if (sameExistingFile(output, bankPath))
        why = "this is the open bank file";
    else
        return false;
    showStop(shell, format("%s - %s - nothing was written", output.c_str(), why));
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
