#include "ui/ListPrinter.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include "bank/Columns.h"
#include "ui/QtText.h"

namespace quillon {

namespace {

// Everything is laid out in on-screen pixels, the page being as wide as all
// the columns together; the painter's window scales that to the paper.
constexpr int kRowHeight = 16;
constexpr int kFontPixels = 11;
constexpr int kCellPadding = 3;

int totalColumnWidth() {
    int total = 0;
    for (const ColumnDescriptor& column : columnTable())
        total += column.width;
    return total;
}

class PageWriter {
  public:
    PageWriter(QPagedPaintDevice& device, QPainter& painter, const QString& heading)
        : device_(device), painter_(painter), heading_(heading), width_(totalColumnWidth()) {
        QRect viewport = painter_.viewport();
        height_ = viewport.width() > 0 ? width_ * viewport.height() / viewport.width() : width_;
        painter_.setWindow(0, 0, width_, height_);
        QFont font = painter_.font();
        font.setPixelSize(kFontPixels);
        painter_.setFont(font);
    }

    int rowsPerPage() const { return std::max(1, (height_ - 3 * kRowHeight) / kRowHeight - 1); }

    void beginPage(int page) {
        if (page > 1) device_.newPage();
        painter_.save();
        QFont bold = painter_.font();
        bold.setBold(true);
        painter_.setFont(bold);
        painter_.drawText(QRect(0, 0, width_, kRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                          heading_);
        int x = 0;
        const auto& columns = columnTable();
        for (int c = 0; c < kColumnCount; ++c) {
            drawCell(x, kRowHeight * 2, columns[size_t(c)].width,
                     toQString(columns[size_t(c)].title));
            x += columns[size_t(c)].width;
        }
        painter_.restore();
        painter_.drawLine(0, kRowHeight * 3, width_, kRowHeight * 3);
        painter_.drawText(QRect(0, height_ - kRowHeight, width_, kRowHeight), Qt::AlignCenter,
                          QStringLiteral("Page %1").arg(page));
    }

    void drawRow(const Row& row, int slot) {
        int y = kRowHeight * 3 + slot * kRowHeight;
        int x = 0;
        const auto& columns = columnTable();
        for (int c = 0; c < kColumnCount; ++c) {
            drawCell(x, y, columns[size_t(c)].width, toQString(row.cells[size_t(c)]));
            x += columns[size_t(c)].width;
        }
    }

  private:
    void drawCell(int x, int y, int width, const QString& text) {
        QRect cell(x + kCellPadding, y, width - 2 * kCellPadding, kRowHeight);
        QString shown = painter_.fontMetrics().elidedText(text, Qt::ElideRight, cell.width());
        painter_.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, shown);
    }

    QPagedPaintDevice& device_;
    QPainter& painter_;
    QString heading_;
    int width_;
    int height_ = 0;
};

}  // namespace

int printRowList(QPagedPaintDevice& device, const RowList& rows, const QString& heading) {
    QPainter painter(&device);
    if (!painter.isActive()) return 0;
    PageWriter writer(device, painter, heading);
    int perPage = writer.rowsPerPage();
    int page = 1;
    writer.beginPage(page);
    for (int i = 0, slot = 0; i < rows.size(); ++i, ++slot) {
        if (slot == perPage) {
            writer.beginPage(++page);
            slot = 0;
        }
        writer.drawRow(rows.row(i), slot);
    }
    return page;
}

}  // namespace quillon
