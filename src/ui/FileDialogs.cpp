#include "ui/FileDialogs.h"

#include <QDir>
#include <QRegularExpression>

#include "ui/QtText.h"

namespace quillon {

namespace {

// "*.*" is every file on the old system; here that is "*".
QString qtPatterns(const QString& patterns) {
    QStringList out;
    for (QString pattern : patterns.split(';', Qt::SkipEmptyParts)) {
        pattern = pattern.trimmed();
        out << (pattern == "*.*" ? QStringLiteral("*") : pattern);
    }
    return out.join(' ');
}

// The extension the first pattern names ("*.sad" gives "sad"), for names
// typed without one.
QString defaultSuffixOf(const QStringList& filters) {
    if (filters.isEmpty()) return {};
    static const QRegularExpression single(R"(\(\*\.([A-Za-z0-9_]+)\)$)");
    QRegularExpressionMatch match = single.match(filters.front());
    return match.hasMatch() ? match.captured(1) : QString();
}

// A folder that is not given, or no longer exists, starts the dialog in the
// working folder.
QString startFolder(const std::string& folder) {
    QString path = toQString(folder);
    return path.isEmpty() || !QDir(path).exists() ? QDir::currentPath() : path;
}

}  // namespace

QString qtFileFilter(std::string_view filter) {
    QString text = toQString(filter);
    if (!text.contains('|')) return text;
    QStringList parts = text.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (description.isEmpty()) break;
        // Qt reads the patterns from the parentheses at the end of the name, so
        // they are written there from the pattern half, whatever the name said.
        static const QRegularExpression trailingPatterns(R"(\s*\([^()]*\)$)");
        description.remove(trailingPatterns);
        filters << QStringLiteral("%1 (%2)").arg(description, qtPatterns(parts[i + 1]));
    }
    return filters.join(";;");
}

QString acceptButtonText(FileDialogMode mode) {
    switch (mode) {
        case FileDialogMode::AddInsert:
            return QStringLiteral("Add/Insert");
        case FileDialogMode::Replace:
            return QStringLiteral("Replace");
        case FileDialogMode::Save:
            return QStringLiteral("Save");
        case FileDialogMode::Plain:
            break;
    }
    return {};
}

CFileTree::CFileTree(const FileDialogRequest& request, QWidget* parent) : QFileDialog(parent) {
    setObjectName("fileTree");
    // Qt's own dialog: the platform's cannot carry our OK button text.
    setOption(QFileDialog::DontUseNativeDialog);
    setWindowTitle(toQString(request.title));
    setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.save || !request.mustExist)
        setFileMode(QFileDialog::AnyFile);
    else
        setFileMode(request.multipleFiles ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    setOption(QFileDialog::DontConfirmOverwrite, !request.promptOverwrite);
    QStringList filters = qtFileFilter(request.filter).split(";;", Qt::SkipEmptyParts);
    if (!filters.isEmpty()) setNameFilters(filters);
    if (request.save) setDefaultSuffix(defaultSuffixOf(filters));
    setDirectory(startFolder(request.initialFolder));
    if (!request.defaultName.empty()) selectFile(toQString(request.defaultName));
    if (QString label = acceptButtonText(request.mode); !label.isEmpty())
        setLabelText(QFileDialog::Accept, label);
}

FileDialogResult CFileTree::chosen() const {
    FileDialogResult result;
    if (this->result() != QDialog::Accepted) return result;
    for (const QString& path : selectedFiles())
        result.paths.push_back(toStdString(QDir::cleanPath(path)));
    result.folder = toStdString(directory().absolutePath());
    return result;
}

CFolderDialog::CFolderDialog(const std::string& initialFolder, QWidget* parent)
    : QFileDialog(parent) {
    setObjectName("folderDialog");
    setOption(QFileDialog::DontUseNativeDialog);
    setWindowTitle(QStringLiteral("Choose folder"));
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly);
    setDirectory(startFolder(initialFolder));
    setLabelText(QFileDialog::Accept, QStringLiteral("Select"));
}

std::optional<std::string> CFolderDialog::chosen() const {
    if (result() != QDialog::Accepted || selectedFiles().isEmpty()) return std::nullopt;
    return toStdString(QDir::cleanPath(selectedFiles().front()));
}

}  // namespace quillon
