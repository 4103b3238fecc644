#include "ui/ClipboardCommands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include "bank/QuillonDoc.h"
#include "editor/RowClipboard.h"
#include "ui/QtText.h"

namespace quillon {

namespace {

void putOnClipboard(CQuillonDoc& doc, const CopiedRows& copied) {
    if (copied.count == 0) return;
    auto* mime = new QMimeData;
    mime->setText(toQString(copied.plainText));
    mime->setData(QString::fromLatin1(kMimeTextCsv), QByteArray::fromStdString(copied.csv));
    mime->setData(QString::fromLatin1(kMimeQuillonRows),
                  QByteArray::fromStdString(copied.quillonRows));
    QGuiApplication::clipboard()->setMimeData(mime);
    doc.shell().setStatusText(kPanePrompt, copied.status);
}

// What the clipboard offers, as the headless paste reads it: our own rows,
// local files (a file manager's copy), and the plain text.
ClipboardOffer offerOf(const QMimeData* mime) {
    ClipboardOffer offer;
    if (!mime) return offer;
    offer.quillonRows = mime->data(QString::fromLatin1(kMimeQuillonRows)).toStdString();
    offer.plainText = toStdString(mime->text());
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) offer.localFiles.push_back(toStdString(url.toLocalFile()));
    return offer;
}

}  // namespace

void copySelectionToClipboard(CQuillonDoc& doc) {
    putOnClipboard(doc, copySelectedRows(doc));
}

void cutSelectionToClipboard(CQuillonDoc& doc) {
    putOnClipboard(doc, cutSelectedRows(doc));
}

void pasteFromSystemClipboard(CQuillonDoc& doc) {
    PasteResult result = pasteFromClipboard(doc, offerOf(QGuiApplication::clipboard()->mimeData()));
    if (result.pasted) doc.shell().setStatusText(kPanePrompt, result.message);
}

}  // namespace quillon
