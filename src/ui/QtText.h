// Texts between the bank model (bytes) and Qt (UTF-16).
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quillon {

// Cell texts of banks made here are UTF-8; banks made on the old system hold
// Windows Latin-1 names. Valid UTF-8 is taken as such, anything else as Latin-1,
// so an old name shows its accented letters instead of replacement marks.
QString toQString(std::string_view text);

std::string toStdString(const QString& text);

// The bytes of an edited text: `original` itself when the text was left as
// `original` showed, so that the Latin-1 letters of a bank made on the old
// system are not rewritten as UTF-8 by a look; the edit's UTF-8 otherwise.
std::string editedOrOriginal(const QString& edited, const std::string& original);

}  // namespace quillon
