// "import-mpeg": a new music bank from an MPEG audio stream, cut into section
// files by the editor's own import and saved.
#include "bank/Columns.h"
#include "cli/Commands.h"
#include "operations/MpegImport.h"
#include "platform/Text.h"

namespace quillon::cli {

namespace {

// The section files are only needed until the bank that holds them is
// written. A save removes them itself; when the bank is not saved the tool
// ends all the same, so they go then too.
void removeSectionFiles(const CQuillonDoc& doc) {
    if (!doc.musicSectionFolder().empty()) (void)removeMpegSectionFolder(doc.musicSectionFolder());
}

}  // namespace

int runImportMpeg(Context& context, const Args& args) {
    const std::string& bank = args.positional[0];
    if (!startNewBank(context, args)) return kExitFailed;
    CQuillonDoc& doc = context.doc;
    if (!importMpegFile(doc, absolutePath(args.positional[1]))) {
        // The import's messages do not always name the file.
        context.shell.note(
            format("%s is not imported; %s is not made", args.positional[1].c_str(), bank.c_str()));
        return kExitFailed;
    }
    if (saveBank(context, bank)) return kExitOk;
    removeSectionFiles(doc);
    return kExitFailed;
}

}  // namespace quillon::cli
