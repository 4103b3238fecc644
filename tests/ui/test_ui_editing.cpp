// Typing values into the list's cells as a user does: a double click opens the
// editor over the cell, the value is checked before it is written into every
// selected row, and while an invalid value is pending the clicks, presses and
// scrolls that would leave the editor are stopped with the value's message.
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "UiTestSupport.h"
#include "bank/Columns.h"
#include "bank/RowCells.h"
#include "ui/BankToolBar.h"
#include "ui/CellEdit.h"
#include "ui/MainFrame.h"
#include "ui/QuillonView.h"
#include "ui/SidePanelBar.h"

using namespace quillon;
using namespace quillon::test;

namespace {

const char kInvalidPriority[] = "Invalid Priority (Range 1 to 9999)";

// A user's double click on a cell: a click, then the second click.
CCellEdit* doubleClickCell(CQuillonView& view, int row, int column,
                           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QModelIndex index = view.model()->index(row, column);
    view.scrollTo(index);
    QPoint at = view.visualRect(index).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, modifiers, at);
    QCoreApplication::processEvents();
    return view.cellEdit();
}

// Opens the editor on a cell and types over its text.
CCellEdit* typeInto(CQuillonView& view, int row, int column, const QString& text) {
    CCellEdit* editor = doubleClickCell(view, row, column);
    if (!editor) return nullptr;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, text);
    return editor;
}

QString cellOnScreen(CQuillonView& view, int row, int column) {
    return view.model()->index(row, column).data().toString();
}

// The editor is open with its whole text selected and the keyboard focus.
bool editorWaitsForAFix(CQuillonView& view, const QString& text) {
    CCellEdit* editor = view.cellEdit();
    return editor && editor->isVisible() && editor->text() == text &&
           editor->selectedText() == text && QApplication::focusWidget() == editor;
}

// A key press with the event loop run after it, as between a user's presses.
void press(CQuillonView& view, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&view, key, modifiers);
    QCoreApplication::processEvents();
}

}  // namespace

class CellEditTest : public QObject {
    Q_OBJECT
  private slots:
    void doubleClickOpensTheEditorOverEditableCellsOnly();
    void typedValueIsCheckedAndShownAsWritten_data();
    void typedValueIsCheckedAndShownAsWritten();
    void invalidValueStopsEveryActionThatLeavesTheEditor();
    void validValueIsWrittenByTheActionThatLeaves();
    void rightClickOnAnotherRowWritesThePendingValueWhereItWasTyped();
    void volumeIsWrittenIntoEverySelectedRow();
    void escapeAloneLeavesTheCellUnchanged();
    void qAndSpaceAreTypedIntoTheCell();
    void keysOpenTheEditorOnTheFocusedCell_data();
    void keysOpenTheEditorOnTheFocusedCell();
    void tabWritesEverySelectedRowAndWalksTheRow_data();
    void tabWritesEverySelectedRowAndWalksTheRow();
    void playTypeIsPickedFromADropDown_data();
    void playTypeIsPickedFromADropDown();
    void leftAndRightMoveTheCaretOnlyPastAValidValue();
    void downAndUpReopenTheEditorOnTheNextRow();
    void doubleClickElsewhereWritesTheFirstValue();
    void aCommandKeyChecksThePendingValue();
    void descriptionShowsInTheSidePanel();
    void middleClickOnAnotherRowWritesThePendingValueWhereItWasTyped();
    void keysReachingTheListPastTheEditorStayWithTheEditor();
    void anUnchangedOldDescriptionKeepsItsBytes();
    void undoAndRedoFollowTheSavedState();
    void copyAndPasteRowsAsAPersonDoes();
};

void CellEditTest::doubleClickOpensTheEditorOverEditableCellsOnly() {
    Editor e;
    openBank(e, 3);
    CQuillonView& view = e.view();
    for (int column : {kColNo, kColName, kColLocation, kColBank, kColClone, kColFormat,
                       kColCompression, kColSize, kColLStart, kColLEnd}) {
        QVERIFY2(!doubleClickCell(view, 1, column), qPrintable(QString::number(column)));
        QCOMPARE(view.cellEditSession().rememberedColumn(), column);
    }
    CCellEdit* editor = doubleClickCell(view, 1, kColPitch);
    QVERIFY(editor);
    QCOMPARE(view.cellEditSession().row(), 1);
    QCOMPARE(view.cellEditSession().column(), int(kColPitch));
    QCOMPARE(editor->parentWidget(), view.viewport());
    QVERIFY(
        editor->geometry().contains(view.visualRect(view.model()->index(1, kColPitch)).center()));
    QCOMPARE(editor->font(), view.font());
    QVERIFY(editorWaitsForAFix(view, cellOnScreen(view, 1, kColPitch)));
    QCOMPARE(selectedRowsOnScreen(view), std::vector<int>{1});
}

// The checks themselves are the bank's; these rows take each way a result
// reaches the screen: text cut or reformatted, kept, refused with its message.
void CellEditTest::typedValueIsCheckedAndShownAsWritten_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");    // the editor's text after Enter
    QTest::addColumn<QString>("message");  // empty: accepted
    const struct {
        const char* name;
        int column;
        const char *typed, *shown, *message;
    } rows[] = {
        {"trailing-letters-cut", kColPriority, "12abc", "12", ""},
        {"above-range-shown-as-read", kColVolume, "128x", "128", "Invalid Volume (Range 0 to 127)"},
        {"distance-six-decimals", kColMinDist, ".5", "0.500000", ""},
        {"unset-any-column", kColAtmosGroup, "*", "*", ""},
        {"description-as-typed", kColDescription, "2nd take", "2nd take", ""},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << r.column << QString(r.typed) << QString(r.shown)
                              << QString(r.message);
}

void CellEditTest::typedValueIsCheckedAndShownAsWritten() {
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, message);
    Editor e;
    openBank(e, 2);
    QString before = cellOnScreen(e.view(), 0, column);
    CCellEdit* editor = typeInto(e.view(), 0, column, typed);
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    if (message.isEmpty()) {
        QVERIFY(e.shell().messages.empty());
        QVERIFY(!e.view().isCellEditOpen());
        QCOMPARE(cellOnScreen(e.view(), 0, column), shown);
        // Writing what the cell already holds changes nothing.
        QCOMPARE(e.frame().isWindowModified(), shown != before);
    } else {
        QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{message.toStdString()});
        QCOMPARE(e.shell().messages[0].icon, MessageIcon::Stop);
        QCOMPARE(e.shell().messages[0].caption, std::string());
        QVERIFY(editorWaitsForAFix(e.view(), shown));
        QCOMPARE(cellOnScreen(e.view(), 0, column), before);
        QVERIFY(!e.doc().isModified());
    }
}

void CellEditTest::invalidValueStopsEveryActionThatLeavesTheEditor() {
    Editor e;
    openBank(e, 60);  // enough rows for a vertical scroll bar
    CQuillonView& view = e.view();
    QStringList names = namesOnScreen(view);
    CCellEdit* editor = typeInto(view, 0, kColPriority, "0");
    QVERIFY(editor);
    auto refusals = [&] { return int(e.shell().messages.size()); };

    clickHeader(view, kColName);
    QCOMPARE(refusals(), 1);
    QCOMPARE(namesOnScreen(view), names);

    // A click on a row's image neither selects nor plays it.
    std::vector<int> played;
    view.playRow = [&](int row) { played.push_back(row); };
    QPoint onImage = rowImagePoint(view, 4);
    QVERIFY(!onImage.isNull());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onImage);
    QCOMPARE(refusals(), 2);
    QVERIFY(played.empty());
    QCOMPARE(selectedRowsOnScreen(view), std::vector<int>{0});
    QVERIFY(editorWaitsForAFix(view, "0"));

    QToolButton* moveDown = toolbarButton(e.frame(), CommandId::MoveDown);
    QVERIFY(moveDown->isEnabled());
    QTest::mouseClick(moveDown, Qt::LeftButton);
    QCOMPARE(refusals(), 3);
    QCOMPARE(namesOnScreen(view), names);
    QVERIFY(!e.frame().toolBar()->isButtonHeld());

    QScrollBar* bar = view.verticalScrollBar();
    QVERIFY(bar->isVisible());
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() * 3 / 4));
    QCOMPARE(refusals(), 4);
    QCOMPARE(bar->value(), 0);
    QVERIFY(!bar->isSliderDown());

    QTest::mouseClick(e.frame().toolBar()->titleEdit(), Qt::LeftButton);
    QCOMPARE(refusals(), 5);
    QVERIFY(editorWaitsForAFix(view, "0"));

    // A menu opens all the same; the value stays pending.
    QMenu* file = e.frame().menu(MenuPlace::File);
    openMenu(file);
    QVERIFY(file->isVisible());
    QCOMPARE(refusals(), 6);
    file->close();
    QVERIFY(view.isCellEditOpen());
    QCOMPARE(view.cellEdit()->text(), QString("0"));

    for (const std::string& text : e.shell().messageTexts())
        QCOMPARE(text, std::string(kInvalidPriority));
    QCOMPARE(cellOnScreen(view, 0, kColPriority), QString("*"));
    QVERIFY(!e.doc().isModified());

    // Corrected, the scroll goes through and writes the value first.
    QApplication::setActiveWindow(&e.frame());
    view.cellEdit()->setFocus();
    QTest::keyClicks(view.cellEdit(), "7");
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() * 3 / 4));
    QVERIFY(!view.isCellEditOpen());
    QVERIFY(bar->value() > 0);
    QCOMPARE(cellOnScreen(view, 0, kColPriority), QString("7"));
    QCOMPARE(refusals(), 6);
}

void CellEditTest::validValueIsWrittenByTheActionThatLeaves() {
    Editor e;
    openBank(e, 4);
    CQuillonView& view = e.view();
    typeInto(view, 1, kColGroup, "42");
    openMenu(e.frame().menu(MenuPlace::Wave));
    QVERIFY(!view.isCellEditOpen());
    QCOMPARE(cellOnScreen(view, 1, kColGroup), QString("42"));
    e.frame().menu(MenuPlace::Wave)->close();

    typeInto(view, 2, kColUserParam, "300");
    clickHeader(view, kColNo);  // the edit is written before the sort
    QVERIFY(!view.isCellEditOpen());
    QCOMPARE(cellOnScreen(view, 1, kColUserParam), QString("300"));

    // A key in the list writes an open editor's value as it stands.
    typeInto(view, 0, kColAtmos, "33");
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_End);
    QVERIFY(!view.isCellEditOpen());
    QCOMPARE(e.doc().rows().cell(0, kColAtmos), std::string("33"));
    QVERIFY(e.shell().messages.empty());
}

// The right click selects the row it lands on before its menu opens; the value
// typed into row 1 belongs to row 1 all the same, and an invalid one stops
// the click as a left click is stopped.
void CellEditTest::rightClickOnAnotherRowWritesThePendingValueWhereItWasTyped() {
    Editor e;
    openBank(e, 4);
    CQuillonView& view = e.view();
    typeInto(view, 1, kColVolume, "64");
    QPoint onRow3 = view.visualRect(view.model()->index(3, kColName)).center();
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, onRow3);
    QTRY_COMPARE(QApplication::activePopupWidget(), e.frame().waveMenu());
    e.frame().waveMenu()->close();
    QVERIFY(!view.isCellEditOpen());
    QCOMPARE(cellOnScreen(view, 1, kColVolume), QString("64"));
    QCOMPARE(cellOnScreen(view, 3, kColVolume), QString("*"));
    QCOMPARE(selectedRowsOnScreen(view), std::vector<int>{3});

    // The closed menu leaves no window active on a screen without a window manager.
    QApplication::setActiveWindow(&e.frame());
    typeInto(view, 0, kColPriority, "0");
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, onRow3);
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{kInvalidPriority});
    QVERIFY(QApplication::activePopupWidget() == nullptr);
    QCOMPARE(selectedRowsOnScreen(view), std::vector<int>{0});
    QVERIFY(editorWaitsForAFix(view, "0"));
    QCOMPARE(cellOnScreen(view, 3, kColPriority), QString("*"));
}

void CellEditTest::volumeIsWrittenIntoEverySelectedRow() {
    Editor e;
    openBank(e, 5);
    CQuillonView& view = e.view();
    selectRows(view, {0, 3});
    CCellEdit* editor = doubleClickCell(view, 2, kColVolume, Qt::ControlModifier);
    QVERIFY(editor);
    QCOMPARE(selectedRowsOnScreen(view), (std::vector<int>{0, 2, 3}));
    std::vector<std::string> userKeys;
    for (int r = 0; r < 5; ++r)
        userKeys.emplace_back(sortKey(e.doc().rows().row(r), kColUserParam));
    QTest::keyClicks(editor, "64");
    QTest::keyClick(editor, Qt::Key_Enter);
    QStringList volumes;
    for (int r = 0; r < 5; ++r) {
        volumes << cellOnScreen(view, r, kColVolume);
        QCOMPARE(std::string(sortKey(e.doc().rows().row(r), kColUserParam)), userKeys[size_t(r)]);
    }
    QCOMPARE(volumes, (QStringList{"64", "*", "64", "64", "*"}));
    QCOMPARE(std::string(sortKey(e.doc().rows().row(2), kColVolume)), std::string("064"));
    QVERIFY(e.doc().isModified());
}

void CellEditTest::escapeAloneLeavesTheCellUnchanged() {
    Editor e;
    openBank(e, 2);
    CQuillonView& view = e.view();
    CCellEdit* editor = typeInto(view, 0, kColPitch, "77");
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!view.isCellEditOpen());
    QCOMPARE(cellOnScreen(view, 0, kColPitch), QString("*"));
    QCOMPARE(QApplication::focusWidget(), &view);
    QVERIFY(!e.doc().isModified());
    QVERIFY(e.shell().messages.empty());
}

// q and Space are text in the editor: none of it may reach the list, where
// Space would play the sample.
void CellEditTest::qAndSpaceAreTypedIntoTheCell() {
    int played = 0;
    Editor e;
    openBank(e, 2);
    CQuillonView& view = e.view();
    view.playRow = [&played](int) { ++played; };
    clickRow(view, 1, kColDescription);
    QTest::keyClick(&view, Qt::Key_F2);
    QVERIFY(view.cellEdit());
    QTest::keyClicks(view.cellEdit(), "Squeaky quiet");
    QVERIFY(view.isCellEditOpen());
    QTest::keyClick(view.cellEdit(), Qt::Key_Return);
    QCOMPARE(e.doc().rows().cell(1, kColDescription), std::string("Squeaky quiet"));
    QCOMPARE(played, 0);
}

// The focused cell is where a click, the arrow keys, Home and End left it.
void CellEditTest::keysOpenTheEditorOnTheFocusedCell_data() {
    QTest::addColumn<QList<int>>("keys");  // pressed after a click on row 1's Name
    QTest::addColumn<int>("edited");       // -1: no editor opens
    QTest::newRow("f2-on-fixed-name") << QList<int>{Qt::Key_F2} << -1;
    QTest::newRow("end-reaches-last-column")
        << QList<int>{Qt::Key_End, Qt::Key_F2} << int(kColScale);
    QTest::newRow("enter-after-left")
        << QList<int>{Qt::Key_End, Qt::Key_Left, Qt::Key_Return} << int(kColMaxDist);
    QTest::newRow("home-reaches-fixed-no") << QList<int>{Qt::Key_Home, Qt::Key_F2} << -1;
    QTest::newRow("down-keeps-the-column")
        << QList<int>{Qt::Key_End, Qt::Key_Down, Qt::Key_Enter} << int(kColScale);
}

void CellEditTest::keysOpenTheEditorOnTheFocusedCell() {
    QFETCH(QList<int>, keys);
    QFETCH(int, edited);
    Editor e;
    openBank(e, 3);
    CQuillonView& view = e.view();
    clickRow(view, 1, kColName);
    for (int key : keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(view.isCellEditOpen(), edited >= 0);
    if (edited < 0) return;
    QCOMPARE(view.cellEditSession().column(), edited);
    QCOMPARE(view.cellEditSession().row(), view.currentIndex().row());
    QCOMPARE(selectedRowsOnScreen(view), std::vector<int>{view.currentIndex().row()});
    QCOMPARE(QApplication::focusWidget(), view.cellEdit());
}

void CellEditTest::tabWritesEverySelectedRowAndWalksTheRow_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("back");   // Shift+Tab
    QTest::addColumn<int>("opened");  // -1: the editor stays closed
    QTest::newRow("description-to-priority") << int(kColDescription) << false << int(kColPriority);
    QTest::newRow("past-lstart-and-lend") << int(kColLoop) << false << int(kColPitch);
    QTest::newRow("back-from-priority") << int(kColPriority) << true << int(kColDescription);
    QTest::newRow("past-the-last") << int(kColScale) << false << -1;
    QTest::newRow("before-the-first") << int(kColDescription) << true << -1;
}

void CellEditTest::tabWritesEverySelectedRowAndWalksTheRow() {
    QFETCH(int, from);
    QFETCH(bool, back);
    QFETCH(int, opened);
    Editor e;
    openBank(e, 4);
    CQuillonView& view = e.view();
    selectRows(view, {0, 2});
    CCellEdit* editor = doubleClickCell(view, 2, from, Qt::ControlModifier);
    QVERIFY(editor);
    QTest::keyClicks(editor, "5");
    QTest::keyClick(editor, back ? Qt::Key_Backtab : Qt::Key_Tab,
                    back ? Qt::ShiftModifier : Qt::NoModifier);
    for (int row : {0, 2})
        QCOMPARE(cellOnScreen(view, row, from), QString("5"));
    QCOMPARE(cellOnScreen(view, 1, from), QString(from == kColDescription ? "" : "*"));
    QCOMPARE(view.isCellEditOpen(), opened >= 0);
    QCOMPARE(view.currentIndex().column(), opened >= 0 ? opened : from);
    if (opened >= 0) QCOMPARE(view.cellEditSession().column(), opened);
}

void CellEditTest::playTypeIsPickedFromADropDown_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("written");  // into both selected rows
    QTest::newRow("picked-from-the-list") << "pick"
                                          << "Once";
    QTest::newRow("arrow-then-enter") << "down"
                                      << "Once";
    QTest::newRow("escape-writes-nothing") << "escape"
                                           << "*";
}

void CellEditTest::playTypeIsPickedFromADropDown() {
    QFETCH(QString, how);
    QFETCH(QString, written);
    Editor e;
    openBank(e, 3);
    CQuillonView& view = e.view();
    clickRow(view, 0, kColPlayType);
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_F2);
    CPlayTypeBox* box = view.playTypeBox();
    QVERIFY(box);
    QCOMPARE(box->count(), 4);
    QCOMPARE(box->currentText(), QString("*"));
    QCOMPARE(box->itemText(0), QString("Restart"));
    if (how == "pick") {
        box->showPopup();
        QAbstractItemView* list = box->view();
        QTRY_VERIFY(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(1, 0)).center());
    } else if (how == "down") {
        box->setCurrentIndex(0);
        QTest::keyClick(box, Qt::Key_Down);
        QVERIFY(view.isCellEditOpen());
        QTest::keyClick(box, Qt::Key_Return);
    } else {
        QTest::keyClick(box, Qt::Key_Up);
        QTest::keyClick(box, Qt::Key_Escape);
    }
    QTRY_VERIFY(!view.isCellEditOpen());
    for (int row : {0, 1})
        QCOMPARE(cellOnScreen(view, row, kColPlayType), written);
    QCOMPARE(cellOnScreen(view, 2, kColPlayType), QString("*"));
    QVERIFY(e.shell().messages.empty());
}

void CellEditTest::leftAndRightMoveTheCaretOnlyPastAValidValue() {
    Editor e;
    openBank(e, 2);
    CCellEdit* editor = typeInto(e.view(), 0, kColPriority, "x1");
    QTest::keyClick(editor, Qt::Key_Left);
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{kInvalidPriority});
    QVERIFY(editorWaitsForAFix(e.view(), "x1"));
    QTest::keyClicks(editor, "12abc");  // over the selected text
    QTest::keyClick(editor, Qt::Key_Left);
    QCOMPARE(editor->text(), QString("12"));
    QCOMPARE(editor->cursorPosition(), 1);
    QTest::keyClick(editor, Qt::Key_Right);
    QCOMPARE(editor->cursorPosition(), 2);
    QCOMPARE(e.shell().messages.size(), size_t(1));
    // Tab writes the value and opens the next editable cell of the row.
    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(cellOnScreen(e.view(), 0, kColPriority), QString("12"));
    QCOMPARE(e.view().cellEditSession().column(), int(kColGroup));
    QCOMPARE(QApplication::focusWidget(), e.view().cellEdit());
}

void CellEditTest::downAndUpReopenTheEditorOnTheNextRow() {
    Editor e;
    openBank(e, 4);
    CQuillonView& view = e.view();
    CCellEdit* editor = typeInto(view, 1, kColPan, "90");
    QTest::keyClick(editor, Qt::Key_Down);
    QCOMPARE(cellOnScreen(view, 1, kColPan), QString("90"));
    QCOMPARE(selectedRowsOnScreen(view), std::vector<int>{2});
    QVERIFY(view.isCellEditOpen());
    QCOMPARE(view.cellEditSession().row(), 2);
    QCOMPARE(view.cellEditSession().column(), int(kColPan));
    QVERIFY(editorWaitsForAFix(view, "*"));
    QCOMPARE(e.doc().selectedItem().name, std::string("wave03.wav"));

    // An invalid value keeps the editor where it is.
    QTest::keyClicks(view.cellEdit(), "200");
    QTest::keyClick(view.cellEdit(), Qt::Key_Up);
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{"Invalid 2D Pan (Range 0 to 180)"});
    QCOMPARE(view.cellEditSession().row(), 2);
    QTest::keyClicks(view.cellEdit(), "45");
    QTest::keyClick(view.cellEdit(), Qt::Key_Up);
    QCOMPARE(cellOnScreen(view, 2, kColPan), QString("45"));
    QCOMPARE(view.cellEditSession().row(), 1);
    QVERIFY(editorWaitsForAFix(view, "90"));
}

void CellEditTest::doubleClickElsewhereWritesTheFirstValue() {
    Editor e;
    openBank(e, 3);
    CQuillonView& view = e.view();
    typeInto(view, 0, kColScale, "15");
    QVERIFY(doubleClickCell(view, 1, kColZPos));
    QCOMPARE(cellOnScreen(view, 0, kColScale), QString("15"));
    QCOMPARE(view.cellEditSession().row(), 1);
    // With an invalid value pending, the double click is stopped like a click.
    QTest::keyClicks(view.cellEdit(), "99999");
    doubleClickCell(view, 2, kColXPos);
    QCOMPARE(view.cellEditSession().row(), 1);
    QCOMPARE(view.cellEditSession().column(), int(kColZPos));
    QVERIFY(!e.shell().messages.empty());
    QCOMPARE(cellOnScreen(view, 1, kColZPos), QString("*"));
}

void CellEditTest::aCommandKeyChecksThePendingValue() {
    Editor e;
    openBank(e, 3);
    CQuillonView& view = e.view();
    clickHeader(view, kColName);  // descending: wave03 first, numbers 3, 2, 1
    CCellEdit* editor = typeInto(view, 0, kColPriority, "0");
    QTest::keyClick(editor, Qt::Key_N, Qt::AltModifier);  // Renumber Bank
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{kInvalidPriority});
    QCOMPARE(numbersOnScreen(view), (QStringList{"3", "2", "1"}));
    QTest::keyClicks(view.cellEdit(), "8");
    QTest::keyClick(view.cellEdit(), Qt::Key_N, Qt::AltModifier);
    QCOMPARE(numbersOnScreen(view), (QStringList{"1", "2", "3"}));
    QCOMPARE(cellOnScreen(view, 0, kColPriority), QString("8"));
}

void CellEditTest::descriptionShowsInTheSidePanel() {
    Editor e;
    openBank(e, 2);
    QLineEdit* shown = e.frame().sidePanel()->value(CSidePanelBar::Description);
    CCellEdit* editor = typeInto(e.view(), 1, kColDescription, "Door slam, close");
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(shown->text(), QString("Door slam, close"));
    typeInto(e.view(), 1, kColDescription, "");
    QTest::keyClick(e.view().cellEdit(), Qt::Key_Return);
    QCOMPARE(shown->text(), QString("None"));
    QCOMPARE(cellOnScreen(e.view(), 1, kColDescription), QString());
}

// A middle press selects the row it lands on, as any press in the list does;
// the value typed into row 1 belongs to row 1 all the same, and an invalid one
// stops the press.
void CellEditTest::middleClickOnAnotherRowWritesThePendingValueWhereItWasTyped() {
    Editor e;
    openBank(e, 4);
    CQuillonView& view = e.view();
    typeInto(view, 1, kColVolume, "64");
    QPoint onRow3 = view.visualRect(view.model()->index(3, kColName)).center();
    QTest::mouseClick(view.viewport(), Qt::MiddleButton, {}, onRow3);
    QVERIFY(!view.isCellEditOpen());
    QCOMPARE(cellOnScreen(view, 1, kColVolume), QString("64"));
    QCOMPARE(cellOnScreen(view, 3, kColVolume), QString("*"));

    typeInto(view, 0, kColPriority, "0");
    QTest::mouseClick(view.viewport(), Qt::MiddleButton, {}, onRow3);
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{kInvalidPriority});
    QCOMPARE(selectedRowsOnScreen(view), std::vector<int>{0});
    QVERIFY(editorWaitsForAFix(view, "0"));
}

// The focus can leave an open editor for the side panel (a click on one of
// its boxes) and come back to the list with Shift+Tab. A key in the list
// writes an open editor's value unchecked: the keys must go to the editor.
void CellEditTest::keysReachingTheListPastTheEditorStayWithTheEditor() {
    Editor e;
    openBank(e, 4);
    CQuillonView& view = e.view();
    typeInto(view, 1, kColPriority, "0");
    // As a click on the Name box gives it the focus.
    e.frame().sidePanel()->value(CSidePanelBar::Name)->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), view.cellEdit());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{kInvalidPriority});
    QVERIFY(editorWaitsForAFix(view, "0"));
    QCOMPARE(cellOnScreen(view, 1, kColPriority), QString("*"));
}

// Banks made on the old system hold Latin-1 letters, which the list shows as
// such. Opening the editor over one and leaving it unchanged, as Enter or a
// walk down the column with Down does, must not rewrite the bytes as UTF-8.
void CellEditTest::anUnchangedOldDescriptionKeepsItsBytes() {
    Editor e;
    openBank(e, 3);
    CQuillonView& view = e.view();
    const std::string old = "Caf\xe9 terrace";
    for (int r : {0, 1})
        e.doc().rows().setCell(r, kColDescription, old);
    e.doc().setModified(false);
    CCellEdit* editor = doubleClickCell(view, 0, kColDescription);
    QVERIFY(editor);
    QCOMPARE(editor->text(), QString::fromUtf8("Caf\u00e9 terrace"));
    QTest::keyClick(editor, Qt::Key_Down);
    QTest::keyClick(view.cellEdit(), Qt::Key_Return);
    QCOMPARE(e.doc().rows().cell(0, kColDescription), old);
    QCOMPARE(e.doc().rows().cell(1, kColDescription), old);
    QVERIFY(!e.doc().isModified());

    // A typed change is the user's own text.
    editor = doubleClickCell(view, 1, kColDescription);
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, "s");
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(e.doc().rows().cell(1, kColDescription), std::string("Caf\xc3\xa9 terraces"));
}

// Delete, then Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y as a user presses them, across a
// save: the rows come back and go again, and the title bar's mark and the
// unsaved-changes question follow the saved state.
void CellEditTest::undoAndRedoFollowTheSavedState() {
    Editor e;
    openBank(e, 3);
    CQuillonView& view = e.view();
    const QStringList all{"wave01.wav", "wave02.wav", "wave03.wav"};
    const QStringList rest{"wave01.wav", "wave03.wav"};
    clickRow(view, 1);
    press(view, Qt::Key_Delete);
    QCOMPARE(namesOnScreen(view), rest);
    openMenu(e.frame().menu(MenuPlace::Edit));
    QCOMPARE(e.frame().action(CommandId::EditUndo)->text(),
             QString("&Undo Delete 1 Sample\tCtrl+Z"));
    e.frame().menu(MenuPlace::Edit)->close();
    press(view, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!e.frame().isWindowModified());
    // The save disabled the window for its run; with no window manager on
    // the offscreen platform nothing gives it back its activation.
    QApplication::setActiveWindow(&e.frame());
    view.setFocus();

    press(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(namesOnScreen(view), all);
    QCOMPARE(selectedRowsOnScreen(view), (std::vector<int>{1}));
    QVERIFY(e.frame().isWindowModified());
    press(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(namesOnScreen(view), rest);
    QVERIFY(!e.frame().isWindowModified());

    press(view, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(chooseMenuItem(e.frame(), CommandId::FileNew));
    QCOMPARE(e.shell().messages.size(), size_t(1));  // asked; unscripted, it cancels
    QCOMPARE(namesOnScreen(view), all);
    press(view, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(chooseMenuItem(e.frame(), CommandId::FileNew));
    QCOMPARE(e.shell().messages.size(), size_t(1));  // nothing unsaved: no question
    QVERIFY(namesOnScreen(view).isEmpty());
}

// Ctrl+C on two rows and Ctrl+V onto two others writes their cells; a
// spreadsheet's text with the same header pastes the same way; a value the
// cell editor would refuse refuses the whole paste, and Ctrl+Z takes a paste
// back whole.
void CellEditTest::copyAndPasteRowsAsAPersonDoes() {
    Editor e;
    openBank(e, 4);
    CQuillonView& view = e.view();
    e.doc().rows().setCell(0, kColVolume, "10");
    e.doc().rows().setCell(1, kColVolume, "20");
    auto volumes = [&] {
        QStringList shown;
        for (int r = 0; r < 4; ++r)
            shown << cellOnScreen(view, r, kColVolume);
        return shown;
    };
    selectRows(view, {0, 1});
    press(view, Qt::Key_C, Qt::ControlModifier);
    selectRows(view, {2, 3});
    press(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(volumes(), (QStringList{"10", "20", "10", "20"}));

    QGuiApplication::clipboard()->setText("Name\tvolume\tPriority\r\nx.wav\t99\t5\r\n");
    selectRows(view, {0, 3});
    press(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(volumes(), (QStringList{"99", "20", "10", "99"}));
    QCOMPARE(cellOnScreen(view, 3, kColPriority), QString("5"));

    QGuiApplication::clipboard()->setText("Volume\tPriority\n64\t0\n");
    press(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(e.shell().messages.size(), size_t(1));
    QCOMPARE(volumes(), (QStringList{"99", "20", "10", "99"}));

    press(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(volumes(), (QStringList{"10", "20", "10", "20"}));
}

QTEST_MAIN(CellEditTest)
#include "test_ui_editing.moc"
