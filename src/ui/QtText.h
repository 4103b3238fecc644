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

}  // namespace quillon
