// The toolbar: twelve command buttons and the bank's title field. A button
// held down is remembered, so the view's timer can repeat Move Up and Move
// Down while it stays down.
#pragma once

#include <QLineEdit>
#include <QToolBar>
#include <functional>
#include <vector>

#include "bank/QuillonDoc.h"

class QToolButton;

namespace quillon {

// The bank's title/description, bold, written into the document as it is typed.
class CTitleEdit : public QLineEdit, public DocumentObserver {
    Q_OBJECT
  public:
    explicit CTitleEdit(CQuillonDoc& doc, QWidget* parent = nullptr);
    ~CTitleEdit() override;

    // Asked before a mouse press is let through (a pending cell edit).
    std::function<bool()> allowPress;

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void bankValuesChanged() override;
    void showTitle();

    CQuillonDoc& doc_;
};

class CBankToolBar : public QToolBar {
    Q_OBJECT
  public:
    explicit CBankToolBar(CQuillonDoc& doc, QWidget* parent = nullptr);

    // Adds the buttons in toolbar order (index 0 is the first button), then
    // the title field.
    void addButtons(const std::vector<QAction*>& actions);
    CTitleEdit* titleEdit() { return titleEdit_; }
    QToolButton* button(int index) const;

    // Asked before a press on a button or in the title field is let through.
    void setPressGate(std::function<bool()> gate);

    // The held-button state the view's timer reads.
    bool isButtonHeld() const { return buttonHeld_; }
    int pressedButtonIndex() const { return pressedIndex_; }
    // Counts one timer tick while a button is held; returns the count.
    int countHeldTick() { return ++heldTicks_; }
    // Ends a repeat: forgets the pressed button and shows the Move buttons up.
    void endRepeat();

    static constexpr int kMoveUpIndex = 3;
    static constexpr int kMoveDownIndex = 4;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::vector<QToolButton*> buttons_;
    CTitleEdit* titleEdit_;
    std::function<bool()> gate_;
    bool buttonHeld_ = false;
    int pressedIndex_ = 0;
    int heldTicks_ = 0;
};

}  // namespace quillon
