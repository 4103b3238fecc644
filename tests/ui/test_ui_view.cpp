// The sample list as the user sees and drives it: columns, check boxes, the
// selection, sorting by a header click and the moves that depend on it, the
// keys of the list and its context menu.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTest>

#include "UiTestSupport.h"
#include "bank/Columns.h"
#include "bank/ListOps.h"
#include "ui/MainFrame.h"
#include "ui/QuillonView.h"

using namespace quillon;
using namespace quillon::test;

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

// The mouse moved with the left button held.
void dragTo(CQuillonView& view, QPoint to) {
    QPointF at(to);
    QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
}

}  // namespace

class ListViewTest : public QObject {
    Q_OBJECT
  private slots:
    void modelPassesTheModelTester();
    void columnsHaveTheirTitles();
    void columnsFitTheirWidestTexts_data();
    void columnsFitTheirWidestTexts();
    void windowFitsALaptopScreen();
    void firstColumnHoldsImageCheckBoxAndNumber();
    void checkBoxClickTogglesPlaybackAndMarksChanged();
    void selectionFollowsClicksAndOperations();
    void selectionShowsWithoutFocus();
    void firstClickOnNoSortsDescendingAndMovesRefuse();
    void movingTwoRowsUpKeepsThemSelected();
    void clickOffTheRowsKeepsTheSelection();
    void dragFromBelowTheRowsSelectsAndTogglesNothing();
    void insertStartsTheAdd();
    void insertAddsNoWaveToAMusicBank();
    void deleteAndBackspaceDeleteTheSelectedRows();
    void shiftDeleteCutsTheRow();
    void ctrlThenGOpensGoto();
    void contextMenuIsTheWaveMenu();
};

void ListViewTest::modelPassesTheModelTester() {
    Editor e;
    QAbstractItemModelTester tester(&e.view().rowModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    openBank(e, 5);
    clickHeader(e.view(), kColName);
    selectRows(e.view(), {1, 3});
    QTest::keyClick(&e.view(), Qt::Key_Delete);
    std::string wav = makeWav(e.file("extra.wav"));
    e.shell().fileAnswers.push_back({{wav}, e.file("")});
    QVERIFY(chooseMenuItem(e.frame(), CommandId::WaveAddInsert));
    QCOMPARE(e.view().model()->rowCount(), 4);
    e.app().OnFileNew();  // unsaved: the question is answered Cancel
    QCOMPARE(e.view().model()->rowCount(), 4);
    e.shell().answers.push_back(MessageAnswer::No);
    e.app().OnFileNew();
    QCOMPARE(e.view().model()->rowCount(), 0);
}

void ListViewTest::columnsHaveTheirTitles() {
    Editor e;
    QAbstractItemModel* model = e.view().model();
    QCOMPARE(model->columnCount(), 28);
    QStringList titles;
    for (int c = 0; c < 28; ++c)
        titles << model->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles.first(), QString("No"));
    QCOMPARE(titles.at(20), QString::fromUtf8("\u00b1 Pitch"));
    QCOMPARE(titles.last(), QString("Scale"));
    QCOMPARE(e.view().columnWidth(1), 200);
}

// The widest texts each column holds show whole at open, at every scale this
// program runs at (QT_SCALE_FACTOR); only Location, a path, is cut.
void ListViewTest::columnsFitTheirWidestTexts_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("cut");
    QTest::newRow("no-65535-beside-check-and-image") << int(kColNo) << "65535" << false;
    QTest::newRow("size-ten-digits") << int(kColSize) << "4294967295" << false;
    QTest::newRow("format") << int(kColFormat) << "16-bit 44.1 khz Stereo" << false;
    QTest::newRow("compression") << int(kColCompression) << "Microsoft ADPCM" << false;
    QTest::newRow("distance-six-decimals") << int(kColMaxDist) << "9999.000000" << false;
    QTest::newRow("atmos-group-title") << int(kColAtmosGroup) << "*" << false;
    QTest::newRow("long-location")
        << int(kColLocation) << "/home/sound/banks/forest/night/owls" << true;
}

void ListViewTest::columnsFitTheirWidestTexts() {
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(bool, cut);
    Editor e;
    openBank(e, 2);
    e.doc().rows().setCell(1, column, text.toStdString());
    e.view().OnInitialUpdate();  // as after an open
    QCOMPARE(e.view().isCellTextCut(1, column), cut);
    // The title shows whole too.
    QFontMetrics header = e.view().horizontalHeader()->fontMetrics();
    QString title = e.view().model()->headerData(column, Qt::Horizontal).toString();
    QVERIFY(header.horizontalAdvance(title) < e.view().columnWidth(column));
}

// A 1280x800 laptop screen at this program's scale: the window, side panel
// and status bar included, needs no more than the screen.
void ListViewTest::windowFitsALaptopScreen() {
    Editor e;
    openBank(e, 3);
    const QSize screen = QSize(1280, 800) / e.frame().devicePixelRatioF();
    const QSize needed = e.frame().minimumSizeHint().expandedTo(e.frame().minimumSize());
    QVERIFY2(needed.width() <= screen.width() && needed.height() <= screen.height(),
             qPrintable(QString("%1x%2").arg(needed.width()).arg(needed.height())));
}

void ListViewTest::firstColumnHoldsImageCheckBoxAndNumber() {
    Editor e;
    openBank(e, 2);
    QModelIndex no = e.view().model()->index(1, 0);
    QCOMPARE(no.data().toString(), QString("2"));
    QCOMPARE(no.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QVERIFY(!no.data(Qt::DecorationRole).value<QIcon>().isNull());
    QVERIFY(!e.view().model()->index(1, 1).data(Qt::CheckStateRole).isValid());
    QVERIFY(!e.view().model()->index(1, 1).data(Qt::DecorationRole).isValid());
}

void ListViewTest::checkBoxClickTogglesPlaybackAndMarksChanged() {
    Editor e;
    openBank(e, 3);
    QVERIFY(!e.frame().isWindowModified());
    QModelIndex no = e.view().model()->index(1, 0);
    QTest::mouseClick(e.view().viewport(), Qt::LeftButton, {}, checkBoxOf(e.view(), 1));
    QTRY_VERIFY(!e.doc().rows().row(1).checked);
    QCOMPARE(no.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    QVERIFY(e.doc().rows().row(0).checked);
    QVERIFY(e.doc().isModified());
    QVERIFY(e.frame().isWindowModified());
}

void ListViewTest::selectionFollowsClicksAndOperations() {
    Editor e;
    openBank(e, 6);
    selectRows(e.view(), {1, 4});
    QCOMPARE(e.doc().rows().selectedRows(), (std::vector<int>{1, 4}));
    // Shift-click extends, as in any list.
    clickRow(e.view(), 3, 1, Qt::ShiftModifier);
    QCOMPARE(e.doc().rows().selectedCount(), int(selectedRowsOnScreen(e.view()).size()));
    // An operation that selects in the row list shows on screen.
    selectOnly(e.doc(), 5);
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{5});
    QCOMPARE(e.view().currentIndex().row(), 5);
}

void ListViewTest::selectionShowsWithoutFocus() {
    Editor e;
    QPalette look = e.view().palette();
    QCOMPARE(look.color(QPalette::Inactive, QPalette::Highlight),
             look.color(QPalette::Active, QPalette::Highlight));
    QCOMPARE(e.view().selectionBehavior(), QAbstractItemView::SelectRows);
}

void ListViewTest::firstClickOnNoSortsDescendingAndMovesRefuse() {
    Editor e;
    openBank(e, 4);
    clickHeader(e.view(), kColNo);
    QCOMPARE(numbersOnScreen(e.view()), (QStringList{"4", "3", "2", "1"}));
    QCOMPARE(e.view().horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    clickRow(e.view(), 2);
    clickToolbar(e.frame(), CommandId::MoveUp);
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{kMessageMoveUnsorted});
    QCOMPARE(e.shell().messages.back().icon, MessageIcon::Stop);
    QCOMPARE(numbersOnScreen(e.view()), (QStringList{"4", "3", "2", "1"}));

    clickHeader(e.view(), kColNo);
    QCOMPARE(numbersOnScreen(e.view()), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(e.view().horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    // The selected row travelled with the sort: it is wave02 at row 1.
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{1});
    clickToolbar(e.frame(), CommandId::MoveUp);
    QCOMPARE(namesOnScreen(e.view()).first(), QString("wave02.wav"));
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{0});
    clickToolbar(e.frame(), CommandId::MoveDown);
    clickToolbar(e.frame(), CommandId::MoveDown);
    QCOMPARE(namesOnScreen(e.view()),
             (QStringList{"wave01.wav", "wave03.wav", "wave02.wav", "wave04.wav"}));
    QCOMPARE(numbersOnScreen(e.view()), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(e.shell().messages.size(), size_t(1));
    QVERIFY(e.doc().isModified());
}

void ListViewTest::movingTwoRowsUpKeepsThemSelected() {
    Editor e;
    openBank(e, 5);
    selectRows(e.view(), {2, 3});
    clickToolbar(e.frame(), CommandId::MoveUp);
    QCOMPARE(selectedRowsOnScreen(e.view()), (std::vector<int>{1, 2}));
    QCOMPARE(namesOnScreen(e.view()).mid(1, 3),
             (QStringList{"wave03.wav", "wave04.wav", "wave02.wav"}));
    QCOMPARE(numbersOnScreen(e.view()).mid(1, 3), (QStringList{"2", "3", "4"}));
}

void ListViewTest::clickOffTheRowsKeepsTheSelection() {
    Editor e;
    openBank(e, 3);
    clickRow(e.view(), 1);
    QTest::mouseClick(e.view().viewport(), Qt::LeftButton, {},
                      QPoint(20, e.view().viewport()->height() - 5));
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{1});
    QCOMPARE(e.doc().rows().selectedRows(), std::vector<int>{1});
}

// A press below the rows is not the list's, and neither is the drag that
// follows it: no rows are swept into the selection, and a release over a
// check box does not count as a click on it.
void ListViewTest::dragFromBelowTheRowsSelectsAndTogglesNothing() {
    Editor e;
    openBank(e, 4);
    CQuillonView& view = e.view();
    clickRow(view, 2);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, checkBoxOf(view, 2));
    QTRY_VERIFY(!e.doc().rows().row(2).checked);
    const QPoint below(20, view.viewport()->height() - 5);
    const QPoint onFirstRow = view.visualRect(view.model()->index(0, kColName)).center();
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, below);
    dragTo(view, onFirstRow);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, onFirstRow);
    QCOMPARE(selectedRowsOnScreen(view), std::vector<int>{2});
    QCOMPARE(e.doc().rows().selectedRows(), std::vector<int>{2});
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, below);
    dragTo(view, checkBoxOf(view, 2));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, checkBoxOf(view, 2));
    QVERIFY(!e.doc().rows().row(2).checked);
}

void ListViewTest::insertStartsTheAdd() {
    Editor e;
    openBank(e, 2);
    std::string wav = makeWav(e.file("inserted.wav"));
    e.shell().fileAnswers.push_back({{wav}, e.file("")});
    QTest::keyClick(&e.view(), Qt::Key_Insert);
    QCOMPARE(e.shell().fileRequests.size(), size_t(1));
    QCOMPARE(e.shell().fileRequests[0].mode, FileDialogMode::AddInsert);
    QCOMPARE(e.shell().fileRequests[0].initialFolder, e.file("wavs"));
    QCOMPARE(namesOnScreen(e.view()).last(), QString("inserted.wav"));
    QVERIFY(e.frame().isWindowModified());
}

// Add/Insert is off in a music bank; its key must not bring a wave in either.
void ListViewTest::insertAddsNoWaveToAMusicBank() {
    Editor e;
    openBank(e, 2);
    e.doc().setMusicBank(true);
    e.doc().setModified(false);  // as a music bank opened
    clickRow(e.view(), 1);
    std::string wav = makeWav(e.file("inserted.wav"));
    e.shell().fileAnswers.push_back({{wav}, e.file("")});
    QTest::keyClick(&e.view(), Qt::Key_Insert);
    QVERIFY(e.shell().fileRequests.empty());
    QCOMPARE(namesOnScreen(e.view()), (QStringList{"wave01.wav", "wave02.wav"}));
    QVERIFY(!e.doc().isModified());
}

void ListViewTest::deleteAndBackspaceDeleteTheSelectedRows() {
    Editor e;
    openBank(e, 5);
    selectRows(e.view(), {1, 3});
    QTest::keyClick(&e.view(), Qt::Key_Delete);
    QCOMPARE(namesOnScreen(e.view()), (QStringList{"wave01.wav", "wave03.wav", "wave05.wav"}));
    // The numbers keep their gaps until Renumber.
    QCOMPARE(numbersOnScreen(e.view()), (QStringList{"1", "3", "5"}));
    clickRow(e.view(), 0);
    QTest::keyClick(&e.view(), Qt::Key_Backspace);
    QCOMPARE(namesOnScreen(e.view()), (QStringList{"wave03.wav", "wave05.wav"}));
    QVERIFY(e.doc().isModified());
}

void ListViewTest::shiftDeleteCutsTheRow() {
    Editor e;
    openBank(e, 3);
    clickRow(e.view(), 1);
    QTest::keyClick(&e.view(), Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(namesOnScreen(e.view()), (QStringList{"wave01.wav", "wave03.wav"}));
    QVERIFY(QGuiApplication::clipboard()->text().contains("wave02.wav"));
}

void ListViewTest::ctrlThenGOpensGoto() {
    Editor e;
    openBank(e, 5);
    clickHeader(e.view(), kColName);  // descending: wave05 first
    e.shell().textAnswers.push_back(std::string("4"));
    QTest::keyClick(&e.view(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(e.shell().textRequests.at(0).first, TextDialog::Goto);
    QCOMPARE(e.shell().textRequests.at(0).second, std::string("1"));
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{1});
    QCOMPARE(namesOnScreen(e.view()).at(1), QString("wave04.wav"));
}

void ListViewTest::contextMenuIsTheWaveMenu() {
    Editor e;
    openBank(e, 3);
    QModelIndex cell = e.view().model()->index(2, 1);
    QTest::mouseClick(e.view().viewport(), Qt::RightButton, {}, e.view().visualRect(cell).center());
    QTRY_COMPARE(QApplication::activePopupWidget(), e.frame().waveMenu());
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{2});
    // Its states are those of the selection: one row, so Replace is enabled.
    QVERIFY(e.frame().action(CommandId::WaveReplace)->isEnabled());
    e.frame().waveMenu()->close();
}

QTEST_MAIN(ListViewTest)
#include "test_ui_view.moc"
