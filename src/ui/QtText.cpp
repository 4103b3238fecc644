#include "ui/QtText.h"

#include <QStringDecoder>

namespace quillon {

namespace {

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

QString toQString(std::string_view text) {
    // Most cells are plain ASCII: the fast path skips the validation.
    if (isAscii(text)) return QString::fromLatin1(text.data(), qsizetype(text.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(QByteArrayView(text.data(), qsizetype(text.size())));
    if (!decoder.hasError()) return decoded;
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

std::string toStdString(const QString& text) {
    return text.toStdString();
}

std::string editedOrOriginal(const QString& edited, const std::string& original) {
    return edited == toQString(original) ? original : toStdString(edited);
}

}  // namespace quillon
