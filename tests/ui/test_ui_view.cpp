// The sample list driven as a user does: sorting, moves, keys, cell editing, undo, paste.
#include <QClipboard>
#include <QMouseEvent>
#include <QToolTip>

#include "UiTestSupport.h"
#include "bank/ListOps.h"
#include "ui/CellEdit.h"

using namespace quillon;
using namespace quillon::test;
using enum quillon::CommandId;

namespace {

// The check box in front of a row's No, in viewport coordinates.
QPoint checkBoxOf(CQuillonView& view, int row) {
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.rect = view.visualRect(view.model()->index(row, 0));
    option.features = QStyleOptionViewItem::HasCheckIndicator |
                      QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasDisplay;
    return view.style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &view)
        .center();
}

void tick(Editor& e, int ticks) {
    for (int i = 0; i < ticks; ++i)
        e.view().OnTimer();
}

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
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    return editor;
}

// The editor is open with its whole text selected and the keyboard focus.
bool editorWaitsForAFix(CQuillonView& view, const QString& text) {
    CCellEdit* editor = view.cellEdit();
    return editor && editor->isVisible() && editor->text() == text &&
           editor->selectedText() == text && QApplication::focusWidget() == editor;
}

// A key press with the event loop run after it, as between a user's presses.
void press(CQuillonView& view, int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QTest::keyClick(&view, Qt::Key(key), modifiers);
    QCoreApplication::processEvents();
}

}  // namespace

class ListViewTest : public QObject {
    Q_OBJECT
  private slots:
    void columnsFitTheirWidestTexts_data();
    void columnsFitTheirWidestTexts();
    void firstClickOnNoSortsDescendingAndMovesRefuse();
    void dragFromBelowTheRowsSelectsAndTogglesNothing();
    void heldMoveRefusesOnceWhileItsMessageShows();
    void invalidValueStopsEveryActionThatLeavesTheEditor();
    void pressOnAnotherRowWritesThePendingValueWhereItWasTyped_data();
    void pressOnAnotherRowWritesThePendingValueWhereItWasTyped();
    void keysOpenWalkAndCloseTheEditor();
    void undoAndRedoFollowTheSavedState();
};

// The widest texts show whole, and the window fits 1280x800, at each QT_SCALE_FACTOR run.
void ListViewTest::columnsFitTheirWidestTexts_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("cut");
    QTest::newRow("no-65535-beside-check-and-image") << int(kColNo) << "65535" << false;
    QTest::newRow("size-ten-digits") << int(kColSize) << "4294967295" << false;
    QTest::newRow("long-location") << int(kColLocation) << "/home/sound/banks/forest/owls" << true;
}

void ListViewTest::columnsFitTheirWidestTexts() {
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(bool, cut);
    Editor e(2);
    e.doc().rows().setCell(1, column, text.toStdString());
    e.view().OnInitialUpdate();  // as after an open
    QCOMPARE(e.view().isCellTextCut(1, column), cut);
    QString title = e.view().model()->headerData(column, Qt::Horizontal).toString();
    QVERIFY(e.view().horizontalHeader()->fontMetrics().horizontalAdvance(title) <
            e.view().columnWidth(column));
    const QSize screen = QSize(1280, 800) / e.frame().devicePixelRatioF();
    const QSize needed = e.frame().minimumSizeHint().expandedTo(e.frame().minimumSize());
    QVERIFY(needed.width() <= screen.width() && needed.height() <= screen.height());
    // A cut text shows whole as the cell's tooltip; only the long-text columns carry one.
    const QModelIndex cell = e.view().model()->index(1, column);
    const QPoint at = e.view().visualRect(cell).center();
    QHelpEvent tip(QEvent::ToolTip, at, e.view().viewport()->mapToGlobal(at));
    QApplication::sendEvent(e.view().viewport(), &tip);
    QCOMPARE(QToolTip::text(), cut ? text : QString());
    QCOMPARE(cell.data(Qt::ToolTipRole).toString(), column == kColLocation ? text : QString());
}

void ListViewTest::firstClickOnNoSortsDescendingAndMovesRefuse() {
    Editor e(4);
    clickHeader(e.view(), kColNo);
    QCOMPARE(numbersOnScreen(e.view()), (QStringList{"4", "3", "2", "1"}));
    clickRow(e.view(), 2);
    clickToolbar(e.frame(), MoveUp);
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{kMessageMoveUnsorted});
    clickHeader(e.view(), kColNo);
    QCOMPARE(selectedRowsOnScreen(e.view()),
             std::vector<int>{1});  // wave02 travelled with the sort
    clickToolbar(e.frame(), MoveUp);
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{0});
    QCOMPARE(namesOnScreen(e.view()).first(), QString("wave02.wav"));
    QCOMPARE(numbersOnScreen(e.view()), (QStringList{"1", "2", "3", "4"}));
    clickToolbar(e.frame(), MoveDown);
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{1});
    QCOMPARE(namesOnScreen(e.view()).first(), QString("wave01.wav"));
    // The header's menu hides a column (never No); View, Reset Columns shows it again.
    QHeaderView* header = e.view().horizontalHeader();
    const int third = header->logicalIndex(2);
    QTimer::singleShot(0, [] {
        QWidget* menu = QApplication::activePopupWidget();
        QVERIFY(!menu->actions().at(0)->isEnabled());
        menu->actions().at(2)->trigger();
        menu->close();
    });
    emit header->customContextMenuRequested(QPoint(5, 5));
    QVERIFY(header->isSectionHidden(third));
    QVERIFY(chooseMenuItem(e.frame(), ViewResetColumns));
    QVERIFY(!header->isSectionHidden(third));
    // A refused value refuses the whole paste, and Ctrl+Z takes a paste back whole.
    e.doc().rows().setCell(0, kColVolume, "10");
    e.doc().rows().setCell(1, kColVolume, "20");
    selectRows(e.view(), {0, 1});
    press(e.view(), Qt::Key_C);
    selectRows(e.view(), {2, 3});
    press(e.view(), Qt::Key_V);
    QCOMPARE(columnOnScreen(e.view(), kColVolume), (QStringList{"10", "20", "10", "20"}));
    QGuiApplication::clipboard()->setText("Name\tvolume\tPriority\r\nx.wav\t99\t5\r\n");
    selectRows(e.view(), {0, 3});
    press(e.view(), Qt::Key_V);
    QCOMPARE(columnOnScreen(e.view(), kColVolume), (QStringList{"99", "20", "10", "99"}));
    QGuiApplication::clipboard()->setText("Volume\tPriority\n64\t0\n");
    press(e.view(), Qt::Key_V);
    QCOMPARE(e.shell().messages.size(), size_t(2));
    press(e.view(), Qt::Key_Z);
    QCOMPARE(columnOnScreen(e.view(), kColVolume), (QStringList{"10", "20", "10", "20"}));
}

// A press below the rows, and the drag after it, neither selects nor toggles a check box.
void ListViewTest::dragFromBelowTheRowsSelectsAndTogglesNothing() {
    Editor e(4);
    CQuillonView& view = e.view();
    clickRow(view, 2);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, checkBoxOf(view, 2));
    QTRY_VERIFY(!e.doc().rows().row(2).checked);
    QVERIFY(e.frame().isWindowModified());
    const QPoint below(20, view.viewport()->height() - 5);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, below);
    for (QPoint to :
         {view.visualRect(view.model()->index(0, kColName)).center(), checkBoxOf(view, 2)}) {
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, below);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), view.viewport()->mapToGlobal(QPointF(to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, to);
    }
    QCOMPARE(selectedRowsOnScreen(view), std::vector<int>{2});
    QCOMPARE(e.doc().rows().selectedRows(), std::vector<int>{2});
    QVERIFY(!e.doc().rows().row(2).checked);
    // Insert must bring no wave into a music bank, where Add/Insert is off.
    e.doc().setMusicBank(true);
    clickRow(e.view(), 1);
    e.shell().fileAnswers.push_back({{makeWav(e.file("inserted.wav"))}, e.file("")});
    QTest::keyClick(&e.view(), Qt::Key_Insert);
    QVERIFY(e.shell().fileRequests.empty());
    e.doc().setMusicBank(false);
    QTest::keyClick(&e.view(), Qt::Key_Insert);
    QCOMPARE(e.shell().fileRequests.at(0).initialFolder, e.file("wavs"));
    QCOMPARE(namesOnScreen(e.view()).last(), QString("inserted.wav"));
    e.doc().setMusicBank(true);  // a disabled command's key stays away from the list
    QTest::keyClick(&e.view(), Qt::Key_A, Qt::AltModifier);
    QCOMPARE(e.shell().fileRequests.size(), size_t(1));
    e.doc().setMusicBank(false);
    QTest::keyClick(&e.view(), Qt::Key_Up);
    QCOMPARE(e.doc().rows().current(), 0);
    clickRow(e.view(), 4);
    QTest::keyClick(&e.view(), Qt::Key_Delete, Qt::ShiftModifier);
    QVERIFY(QGuiApplication::clipboard()->text().contains("inserted.wav"));
    // Alt+E reached Extract (it asks for a folder), not the Edit menu "&Edit" also names.
    clickRow(e.view(), 0);
    e.frame().updateCommandUI();
    QTest::keyClick(&e.view(), Qt::Key_E, Qt::AltModifier);
    QCOMPARE(e.shell().folderRequests.size(), size_t(1));
}

// The refusal's box lets the timer tick on: a repeat not ended first stacked up boxes.
void ListViewTest::heldMoveRefusesOnceWhileItsMessageShows() {
    Editor e(10);
    clickRow(e.view(), 2);
    e.view().timer().stop();
    int shown = 0;
    e.shell().whileMessageShows = [&](const MessageRequest&) {
        if (++shown == 1) tick(e, 6);
    };
    QToolButton* up = toolbarButton(e.frame(), MoveUp);
    QTest::mousePress(up, Qt::LeftButton);
    tick(e, 3);
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{2});
    tick(e, 5);
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{0});
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{kMessageMoveFirst});
    QVERIFY(!up->isDown());
    QTest::mouseRelease(up, Qt::LeftButton);
    // A disabled button held down must not run its command behind the user's back.
    clickHeader(e.view(), kColName);  // no longer in number order, nothing selected
    e.doc().rows().clearSelection();
    e.frame().updateCommandUI();
    QVERIFY(!up->isEnabled());
    QTest::mousePress(up, Qt::LeftButton);
    tick(e, 6);
    QTest::mouseRelease(up, Qt::LeftButton);
    QCOMPARE(e.shell().messages.size(), size_t(1));
}

void ListViewTest::invalidValueStopsEveryActionThatLeavesTheEditor() {
    Editor e(60);  // enough rows for a vertical scroll bar
    CQuillonView& view = e.view();
    typeInto(view, 0, kColPriority, "0");
    clickHeader(view, kColName);
    std::vector<int> played;  // a click on a row's image neither selects nor plays it
    view.playRow = [&](int row) { played.push_back(row); };
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rowImagePoint(view, 4));
    QTest::mouseClick(toolbarButton(e.frame(), MoveDown), Qt::LeftButton);
    QVERIFY(!e.frame().toolBar()->isButtonHeld());
    QScrollBar* bar = view.verticalScrollBar();
    const QPoint lowOnTheBar(bar->width() / 2, bar->height() * 3 / 4);
    QTest::mouseClick(bar, Qt::LeftButton, {}, lowOnTheBar);
    QTest::mouseClick(e.frame().toolBar()->titleEdit(), Qt::LeftButton);
    openMenu(e.frame().menu(MenuPlace::File));  // opens all the same; the value stays pending
    e.frame().menu(MenuPlace::File)->close();
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>(6, kInvalidPriority));
    QVERIFY(played.empty());
    QCOMPARE(selectedRowsOnScreen(view), std::vector<int>{0});
    QCOMPARE(bar->value(), 0);
    // Corrected, the scroll goes through and writes the value first.
    QApplication::setActiveWindow(&e.frame());
    view.cellEdit()->setFocus();
    QTest::keyClicks(view.cellEdit(), "7");
    QTest::mouseClick(bar, Qt::LeftButton, {}, lowOnTheBar);
    QVERIFY(bar->value() > 0);
    QCOMPARE(cellOnScreen(view, 0, kColPriority), QString("7"));
}

// A right or middle press on another row writes the pending value where it was typed.
void ListViewTest::pressOnAnotherRowWritesThePendingValueWhereItWasTyped_data() {
    QTest::addColumn<int>("button");
    QTest::newRow("right") << int(Qt::RightButton);
    QTest::newRow("middle") << int(Qt::MiddleButton);
}

void ListViewTest::pressOnAnotherRowWritesThePendingValueWhereItWasTyped() {
    QFETCH(int, button);
    Editor e(4);
    CQuillonView& view = e.view();
    typeInto(view, 1, kColVolume, "64");
    QPoint onRow3 = view.visualRect(view.model()->index(3, kColName)).center();
    QTest::mouseClick(view.viewport(), Qt::MouseButton(button), {}, onRow3);
    if (button == Qt::RightButton) {
        QTRY_COMPARE(QApplication::activePopupWidget(), e.frame().waveMenu());
        e.frame().waveMenu()->close();
    }
    QCOMPARE(cellOnScreen(view, 1, kColVolume), QString("64"));
    QCOMPARE(cellOnScreen(view, 3, kColVolume), QString("*"));
    QCOMPARE(selectedRowsOnScreen(view), std::vector<int>{3});
    QApplication::setActiveWindow(&e.frame());  // no window manager gives it back
    typeInto(view, 0, kColPriority, "0");
    QTest::mouseClick(view.viewport(), Qt::MouseButton(button), {}, onRow3);
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{kInvalidPriority});
    QVERIFY(QApplication::activePopupWidget() == nullptr);
    QVERIFY(editorWaitsForAFix(view, "0"));
}

// F2, Tab, Left and Down walk the editor; q and Space stay text, never playing the row.
void ListViewTest::keysOpenWalkAndCloseTheEditor() {
    int played = 0;
    Editor e(4);
    CQuillonView& view = e.view();
    view.playRow = [&played](int) { ++played; };
    clickRow(view, 1, kColDescription);
    QTest::keyClick(&view, Qt::Key_F2);
    QTest::keyClicks(view.cellEdit(), "Squeaky quiet");
    QTest::keyClick(view.cellEdit(), Qt::Key_Return);
    QCOMPARE(e.frame().sidePanel()->valueText(CSidePanelBar::Description),
             QString("Squeaky quiet"));
    QCOMPARE(played, 0);
    selectRows(view, {0, 2});
    QTest::keyClicks(doubleClickCell(view, 2, kColLoop, Qt::ControlModifier), "5");
    QTest::keyClick(view.cellEdit(), Qt::Key_Tab);
    QCOMPARE(columnOnScreen(view, kColLoop), (QStringList{"5", "*", "5", "*"}));
    QCOMPARE(view.cellEditSession().column(), int(kColPitch));
    QTest::keyClicks(view.cellEdit(), "x1");
    QTest::keyClick(view.cellEdit(), Qt::Key_Left);
    QCOMPARE(e.shell().messages.size(), size_t(1));
    QTest::keyClicks(view.cellEdit(), "12");
    QTest::keyClick(view.cellEdit(), Qt::Key_Left);
    QTest::keyClick(view.cellEdit(), Qt::Key_Down);
    QCOMPARE(cellOnScreen(view, 2, kColPitch), QString("12"));
    QVERIFY(editorWaitsForAFix(view, "*"));
    QTest::keyClick(view.cellEdit(), Qt::Key_Escape);
    QVERIFY(!view.isCellEditOpen());
    QCOMPARE(QApplication::focusWidget(), &view);
    // Keys reaching the list past an open editor (Shift+Tab back from the side panel) stay its.
    typeInto(view, 1, kColPriority, "0");
    e.frame().sidePanel()->value(CSidePanelBar::Name)->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), view.cellEdit());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(view.cellEdit(), Qt::Key_N, Qt::AltModifier);  // checks the value too
    QCOMPARE(e.shell().messages.size(), size_t(3));
    QCOMPARE(e.shell().messageTexts().back(), std::string(kInvalidPriority));
    QCOMPARE(cellOnScreen(view, 1, kColPriority), QString("*"));
    QTest::keyClick(view.cellEdit(), Qt::Key_Escape);
    doubleClickCell(view, 0, kColPlayType);  // the box: a key moves it, Return writes it
    QTest::keyClick(view.playTypeBox(), Qt::Key_Up);
    QTest::keyClick(view.playTypeBox(), Qt::Key_Return);
    doubleClickCell(view, 1, kColPlayType);  // an item picked from the opened list writes it
    view.playTypeBox()->showPopup();
    view.playTypeBox()->setCurrentIndex(1);
    emit view.playTypeBox()->activated(1);
    QCOMPARE(columnOnScreen(view, kColPlayType).mid(0, 2), (QStringList{"Overlap", "Once"}));
}

// Undo and redo across a save: the title bar's mark and the question follow the saved state.
void ListViewTest::undoAndRedoFollowTheSavedState() {
    Editor e(3);
    CQuillonView& view = e.view();
    // An old bank's Latin-1 text left unchanged must not be rewritten as UTF-8.
    QVERIFY(!doubleClickCell(view, 0, kColSize));  // a fixed column opens no editor
    const std::string old = "Caf\xe9 terrace";
    for (int r : {0, 1})
        e.doc().rows().setCell(r, kColDescription, old);
    e.doc().setModified(false);
    CCellEdit* editor = doubleClickCell(view, 0, kColDescription);
    QCOMPARE(editor->text(), QString::fromUtf8("Caf\u00e9 terrace"));
    QTest::keyClick(editor, Qt::Key_Down);
    QTest::keyClick(view.cellEdit(), Qt::Key_Return);
    QCOMPARE(e.doc().rows().cell(0, kColDescription) + e.doc().rows().cell(1, kColDescription),
             old + old);
    QVERIFY(!e.doc().isModified());
    clickRow(view, 1);
    press(view, Qt::Key_Delete, {});
    openMenu(e.frame().menu(MenuPlace::Edit));
    QCOMPARE(e.frame().action(EditUndo)->text(), QString("&Undo Delete 1 Sample\tCtrl+Z"));
    e.frame().menu(MenuPlace::Edit)->close();
    press(view, Qt::Key_S);
    // No window manager gives the window back its activation after the save.
    QApplication::setActiveWindow(&e.frame());
    view.setFocus();
    press(view, Qt::Key_Z);
    QCOMPARE(selectedRowsOnScreen(view), (std::vector<int>{1}));
    QVERIFY(e.frame().isWindowModified());
    press(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(namesOnScreen(view).size(), 2);
    QVERIFY(!e.frame().isWindowModified());
    press(view, Qt::Key_Z);
    QVERIFY(chooseMenuItem(e.frame(), FileNew));
    QCOMPARE(e.shell().messages.size(), size_t(1));  // asked; unscripted, it cancels
    press(view, Qt::Key_Y);
    QVERIFY(chooseMenuItem(e.frame(), FileNew));
    QCOMPARE(e.shell().messages.size(), size_t(1));  // nothing unsaved: no question
    QVERIFY(namesOnScreen(view).isEmpty());
}

QTEST_MAIN(ListViewTest)
#include "test_ui_view.moc"
