#include "editor/ListCommands.h"

#include "bank/ListOps.h"
#include "editor/CommandRules.h"
#include "operations/SampleOps.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

namespace {

constexpr size_t kMaxDialogText = 255;

// A search that found nothing says so: the list alone would only lose its
// selection (Find) or keep it (Goto), which reads as if nothing ran.
void reportFind(CQuillonDoc& doc, bool found) {
    if (found || doc.rows().empty()) return;
    doc.shell().setStatusText(kPanePrompt,
                              format("No sample name holds \"%s\"", doc.texts().findText.c_str()));
}

}  // namespace

void runListKeyAction(CQuillonDoc& doc, ListKeyAction action) {
    switch (action) {
        case ListKeyAction::AddWave:
            // The key is Add/Insert's and keeps its rule: no wave file goes
            // into a music bank, whose rows are sections of one stream.
            if (commandRuleAllows(CommandId::WaveAddInsert, commandFacts(doc, false)))
                insertKeyAdd(doc);
            return;
        case ListKeyAction::DeleteRows:
            deleteSelectedRows(doc);
            return;
        case ListKeyAction::Find:
            findWithDialog(doc);
            return;
        case ListKeyAction::FindNext:
            reportFind(doc, findNextRow(doc));
            return;
        case ListKeyAction::Goto:
            gotoWithDialog(doc);
            return;
        case ListKeyAction::Who:
            editWho(doc);
            return;
        case ListKeyAction::NotOurs:
        case ListKeyAction::Wait:
        case ListKeyAction::FollowSelection:
            return;
    }
}

void findWithDialog(CQuillonDoc& doc) {
    std::string text = doc.texts().findText;
    if (doc.shell().editText(TextDialog::Find, text))
        doc.texts().findText = std::string(cutAtCharacter(text, kMaxDialogText));
    reportFind(doc, findRow(doc));
}

void gotoWithDialog(CQuillonDoc& doc) {
    std::string text = format("%d", doc.texts().gotoNumber);
    if (doc.shell().editText(TextDialog::Goto, text)) doc.texts().gotoNumber = atoiLike(text);
    if (!gotoRow(doc) && !doc.rows().empty())
        doc.shell().setStatusText(kPanePrompt,
                                  format("No sample is numbered %d", doc.texts().gotoNumber));
}

void editWho(CQuillonDoc& doc) {
    std::string text = doc.values().who;
    if (doc.shell().editText(TextDialog::Who, text)) doc.setWho(text);  // cut by the document
}

}  // namespace quillon
