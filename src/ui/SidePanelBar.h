// The side panel docked at the left of the main frame: the program's picture,
// the "Selected Item" box showing the row last shown (name, location,
// description, format, compression and size), and the bank's two switches:
// "Music Bank", which only opening a bank or importing music sets, and
// "Allow Save", which the user may change.
#pragma once

#include <QDockWidget>
#include <QPixmap>
#include <array>

#include "bank/QuillonDoc.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace quillon {

class CWaveformView;

// The side panel's picture, drawn at `size` (logical pixels).
QPixmap sidePanelPicture(QSize size, qreal devicePixelRatio = 1.0);

class CSidePanelBar : public QDockWidget, public DocumentObserver {
    Q_OBJECT
  public:
    explicit CSidePanelBar(CQuillonDoc& doc, QWidget* parent = nullptr);
    ~CSidePanelBar() override;

    // The "Selected Item" pairs, top to bottom.
    enum Field { Name, Location, Description, Format, Compression, Size, FieldCount };
    QLabel* label(Field field) const { return labels_[size_t(field)]; }
    QLineEdit* value(Field field) const { return values_[size_t(field)]; }
    QString valueText(Field field) const;
    QCheckBox* musicBankBox() const { return musicBank_; }
    QCheckBox* allowSaveBox() const { return allowSave_; }
    QLabel* picture() const { return picture_; }
    // The waveform of the row shown, under the "Selected Item" box.
    CWaveformView* waveform() const { return waveform_; }

  private:
    void bankValuesChanged() override;
    void selectedItemChanged() override;
    QWidget* createContents();
    QWidget* scrolling(QWidget* contents);
    QWidget* createSelectedItemBox();

    CQuillonDoc& doc_;
    QLabel* picture_ = nullptr;
    std::array<QLabel*, FieldCount> labels_{};
    std::array<QLineEdit*, FieldCount> values_{};
    QCheckBox* musicBank_ = nullptr;
    QCheckBox* allowSave_ = nullptr;
    CWaveformView* waveform_ = nullptr;
};

}  // namespace quillon
