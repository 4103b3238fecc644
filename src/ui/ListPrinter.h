// Printing the sample list as a table: a heading with the bank's title and
// file, the column titles at the top of every page, the rows in list order,
// and the page number at the foot.
#pragma once

#include <QString>

#include "bank/RowList.h"

class QPagedPaintDevice;

namespace quillon {

// Paints the whole list onto the device's pages, its 28 columns scaled to the
// page width in their on-screen proportions. Returns the number of pages;
// a list without rows still prints its heading and column titles.
int printRowList(QPagedPaintDevice& device, const RowList& rows, const QString& heading);

}  // namespace quillon
