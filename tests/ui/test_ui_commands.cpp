// The command table as the user meets it: the menus and their texts, the
// toolbar's buttons in order, and which commands are enabled in every kind of
// situation, row by row of the table, read off the open menus and the toolbar.
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <array>
#include <set>

#include "UiTestSupport.h"
#include "bank/CellFormat.h"
#include "bank/Columns.h"
#include "bank/ListOps.h"
#include "ui/BankToolBar.h"
#include "ui/MainFrame.h"
#include "ui/QuillonView.h"

using namespace quillon;
using namespace quillon::test;
using enum quillon::CommandId;

namespace {

// The situations the enable rules tell apart, one column each below.
enum Situation {
    Empty,          // a new bank: no rows
    Rows,           // three rows from the bank file, none selected
    OneFromBank,    // one row selected, its Bank cell "Yes"
    OneNew,         // one row selected, added since the save (Bank "*")
    TwoSelected,    // two rows selected, the first from the bank
    AtmosSet,       // rows, one with an Atmos value, none selected
    Music,          // a music bank with rows, one selected
    MusicEmpty,     // a music bank without rows
    SaveNotAllowed  // rows, "Allow Save" cleared
};
constexpr int kSituations = 9;
const char* const kSituationNames[kSituations] = {"empty",   "rows",         "one-from-bank",
                                                  "one-new", "two-selected", "atmos-set",
                                                  "music",   "music-empty",  "save-not-allowed"};

struct RuleRow {
    CommandId id;
    const char* name;
    std::array<int, kSituations> allowed;  // by Situation
};

// What each command's rule allows, situation by situation.
const std::vector<RuleRow> kRules = {
    {FileNew, "New", {1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {FileOpen, "Open", {1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {FileSave, "Save", {0, 1, 1, 1, 1, 1, 1, 0, 0}},
    {FileSaveAs, "Save As", {0, 1, 1, 1, 1, 1, 1, 0, 1}},
    {FilePrint, "Print", {0, 1, 1, 1, 1, 1, 1, 0, 1}},
    {FilePrintPreview, "Print Preview", {0, 1, 1, 1, 1, 1, 1, 0, 1}},
    {FilePrintSetup, "Print Setup", {0, 1, 1, 1, 1, 1, 1, 0, 1}},
    {ImportMpeg, "Import MPEG", {1, 0, 0, 0, 0, 0, 0, 0, 0}},
    {ExportEnum, "Enum", {0, 1, 1, 1, 1, 1, 0, 0, 1}},
    {ExportDefine, "#define", {0, 1, 1, 1, 1, 1, 0, 0, 1}},
    {CustomExport, "Custom Export", {0, 1, 1, 1, 1, 1, 0, 0, 1}},
    {RenumberBank, "Renumber", {0, 1, 1, 1, 1, 1, 1, 0, 1}},
    {AppExit, "Exit", {1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {WaveAddInsert, "Add/Insert", {1, 1, 1, 1, 1, 1, 0, 0, 1}},
    {WaveReplace, "Replace", {0, 0, 1, 1, 0, 0, 0, 0, 0}},
    {WaveRefreshOriginal, "Refresh Original", {0, 0, 1, 1, 1, 0, 0, 0, 0}},
    {WaveRefreshChange, "Refresh Change", {0, 0, 1, 1, 1, 0, 0, 0, 0}},
    {WaveExtract, "Extract", {0, 0, 1, 0, 1, 0, 0, 0, 0}},
    {WaveClone, "Clone", {0, 0, 1, 1, 1, 0, 0, 0, 0}},
    {WaveOpenInEditor, "Open in Wave Editor", {0, 0, 1, 1, 1, 0, 0, 0, 0}},
    {EditUndo, "Undo", {0, 0, 0, 1, 0, 1, 1, 1, 0}},
    {EditRedo, "Redo", {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {EditCut, "Cut", {0, 0, 1, 1, 1, 0, 0, 0, 0}},
    {EditCopy, "Copy", {0, 0, 1, 1, 1, 0, 1, 0, 0}},
    {EditPaste, "Paste", {1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {ViewToolbar, "Toolbar", {1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {ViewStatusBar, "Status Bar", {1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {ViewWaveform, "Waveform", {1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {ViewResetColumns, "Reset Columns", {1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {AppAbout, "About", {1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {MoveUp, "Move Up", {0, 0, 1, 1, 1, 0, 0, 0, 0}},
    {MoveDown, "Move Down", {0, 0, 1, 1, 1, 0, 0, 0, 0}},
    {EnablePlayback, "Enable Playback", {0, 0, 1, 1, 1, 0, 0, 0, 0}},
    {DisablePlayback, "Disable Playback", {0, 0, 1, 1, 1, 0, 0, 0, 0}},
    {CreateGroup, "Create Group", {0, 0, 1, 1, 1, 0, 0, 0, 0}},
    {PlayMusic, "Play Music", {0, 0, 0, 0, 0, 0, 1, 0, 0}},
    {PlayAtmos, "Play Atmos", {0, 0, 0, 0, 0, 1, 0, 0, 0}},
    {StopAll, "Stop All", {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {ExportWaveList, "Wav list", {0, 1, 1, 1, 1, 1, 0, 0, 1}},
};

// Brings a fresh editor into the situation the way a user would, where a user
// can; the music flag and "Allow Save" belong to the side panel, which is set
// through the document here.
void enter(Editor& e, Situation s) {
    if (s == Empty || s == MusicEmpty) {
        if (s == MusicEmpty) e.doc().setMusicBank(true);
        return;
    }
    openBank(e, 3);
    switch (s) {
        case OneFromBank:
        case Music:
            clickRow(e.view(), 1);
            break;
        case OneNew: {
            std::string wav = makeWav(e.file("new.wav"));
            e.shell().fileAnswers.push_back({{wav}, e.file("")});
            QVERIFY(chooseMenuItem(e.frame(), WaveAddInsert));
            clickRow(e.view(), 3);
            break;
        }
        case TwoSelected:
            selectRows(e.view(), {0, 2});
            break;
        case AtmosSet:
            e.doc().rows().setCell(2, kColAtmos, "5");
            break;
        default:
            break;
    }
    if (s == Music) e.doc().setMusicBank(true);
    if (s == SaveNotAllowed) e.doc().setAllowSave(false);
}

bool enabledOnScreen(Editor& e, CommandId id) {
    const CommandInfo& info = commandInfo(id);
    if (info.toolbarPosition > 0) {
        // The toolbar follows after every change; opening a menu forces it now.
        openMenu(e.frame().menu(MenuPlace::File));
        e.frame().menu(MenuPlace::File)->close();
        return toolbarButton(e.frame(), id)->isEnabled();
    }
    QAction* action = e.frame().action(id);
    QMenu* menu = nullptr;
    for (MenuPlace place : {MenuPlace::File, MenuPlace::GenerateHeader, MenuPlace::Wave,
                            MenuPlace::Edit, MenuPlace::View, MenuPlace::Help})
        if (e.frame().menu(place)->actions().contains(action)) menu = e.frame().menu(place);
    openMenu(menu);
    bool enabled = action->isEnabled();
    menu->close();
    return enabled;
}

QStringList menuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

}  // namespace

class CommandTableTest : public QObject {
    Q_OBJECT
  private slots:
    void everyCommandIsInTheTableOnce();
    void enableRulesOnScreen_data();
    void enableRulesOnScreen();
    void menusShowTheirTextsInOrder();
    void acceleratorsAreBound();
    void toolbarHasTwelveButtonsInOrderWithTooltips();
    void promptsShowInTheStatusBar();
    void titleFieldIsBoldWithItsText();
    void recentFilePlaceholderIsDisabled();
    void heldMoveButtonRepeatsAfterTheThirdTick();
    void heldMoveStopsAtTheRefusal();
    void altEOpensExtractWhileItIsEnabled();
    void heldDisabledMoveButtonRepeatsNothing();
    void heldMoveRefusesOnceWhileItsMessageShows();
};

void CommandTableTest::everyCommandIsInTheTableOnce() {
    std::set<int> ids;
    for (const CommandInfo& info : commandTable())
        QVERIFY2(ids.insert(int(info.id)).second, qPrintable(QString::number(int(info.id))));
    QCOMPARE(int(ids.size()), int(kRules.size()) + 1);  // and the recent file entry
    for (const RuleRow& row : kRules)
        QCOMPARE(commandInfo(row.id).id, row.id);
}

void CommandTableTest::enableRulesOnScreen_data() {
    QTest::addColumn<int>("situation");
    for (int s = 0; s < kSituations; ++s)
        QTest::newRow(kSituationNames[s]) << s;
}

void CommandTableTest::enableRulesOnScreen() {
    QFETCH(int, situation);
    Editor e;
    enter(e, Situation(situation));
    for (const RuleRow& row : kRules) {
        bool expected = row.allowed[size_t(situation)];
        QVERIFY2(enabledOnScreen(e, row.id) == expected,
                 qPrintable(QStringLiteral("%1 should be %2")
                                .arg(row.name, expected ? "enabled" : "disabled")));
    }
}

void CommandTableTest::menusShowTheirTextsInOrder() {
    Editor e;
    QStringList bar;
    for (QAction* a : e.frame().menuBar()->actions())
        bar << a->text();
    QCOMPARE(bar, (QStringList{"&File", "Wave", "&Edit", "&View", "&Help"}));
    QCOMPARE(menuTexts(e.frame().menu(MenuPlace::File)),
             (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "-",
                          "&Print...\tCtrl+P", "Print Pre&view", "P&rint Setup...", "-",
                          "Import MPEG Audio File", "-", "Generate Header", "Renumber Bank\tAlt+N",
                          "-", "Recent File", "-", "E&xit\tCtrl+Q"}));
    QCOMPARE(menuTexts(e.frame().menu(MenuPlace::GenerateHeader)),
             (QStringList{" Enum", "#define", "Custom Export..."}));
    QCOMPARE(menuTexts(e.frame().menu(MenuPlace::Wave)),
             (QStringList{"Add/Insert\tAlt+A", "Replace\tAlt+P", "Refresh (Original Path)\tAlt+R",
                          "Refresh (Change Path)\tAlt+D", "Extract\tAlt+E", "Clone\tAlt+C",
                          "Open in Wave Editor"}));
    QCOMPARE(menuTexts(e.frame().menu(MenuPlace::Edit)),
             (QStringList{"&Undo\tCtrl+Z", "&Redo\tCtrl+Shift+Z", "-", "Cu&t\tCtrl+X",
                          "&Copy\tCtrl+C", "&Paste\tCtrl+V"}));
    QCOMPARE(menuTexts(e.frame().menu(MenuPlace::View)),
             (QStringList{"&Toolbar", "&Status Bar", "&Waveform", "&Reset Columns"}));
    QCOMPARE(menuTexts(e.frame().menu(MenuPlace::Help)), (QStringList{"&About Quillon..."}));
}

void CommandTableTest::acceleratorsAreBound() {
    Editor e;
    QCOMPARE(e.frame().action(EditUndo)->shortcuts(),
             (QList<QKeySequence>{QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}));
    QCOMPARE(e.frame().action(EditCut)->shortcuts().value(1), QKeySequence("Shift+Del"));
    QCOMPARE(e.frame().action(RenumberBank)->shortcut(), QKeySequence("Alt+N"));

    // Alt+N renumbers, as a user would press it.
    openBank(e, 3);
    e.doc().rows().setCell(1, kColNo, "7");
    e.frame().updateCommandUI();
    QTest::keyClick(&e.view(), Qt::Key_N, Qt::AltModifier);
    QCOMPARE(numbersOnScreen(e.view()), (QStringList{"1", "2", "3"}));
    QVERIFY(e.doc().isModified());
}

void CommandTableTest::toolbarHasTwelveButtonsInOrderWithTooltips() {
    Editor e;
    QStringList tips;
    for (int i = 0; i < 12; ++i) {
        QToolButton* button = e.frame().toolBar()->button(i);
        QVERIFY(button);
        QCOMPARE(button->iconSize(), QSize(19, 22));
        QVERIFY(!button->icon().isNull());
        tips << button->toolTip();
    }
    QVERIFY(!e.frame().toolBar()->button(12));
    QCOMPARE(tips, (QStringList{
                       "New", "Open", "Save", "Move Selected Items Up", "Move Selected Items Down",
                       "Enable Playback of Selected Items", "Disable Playback of Selected Items",
                       "Create Group for Selected Samples", "Play Music Bank", "Play Atmos Bank",
                       "Stop All Sample Playback", "Output Wav list to text file"}));
    QVERIFY(!e.frame().toolBar()->isMovable());
}

void CommandTableTest::promptsShowInTheStatusBar() {
    Editor e;
    QCOMPARE(e.frame().paneText(0), QString("Ready"));
    QAction* clone = e.frame().action(WaveClone);
    QCOMPARE(clone->statusTip(),
             QString("Create a Duplicate Image of Wave file (appended at end) "));
    clone->showStatusText(&e.frame());
    QCOMPARE(e.frame().statusBar()->currentMessage(), clone->statusTip());
    QCOMPARE(e.frame().action(FileNew)->statusTip(), QString("Create a new document"));
    QCOMPARE(e.frame().action(FileNew)->toolTip(), QString("New"));
}

void CommandTableTest::titleFieldIsBoldWithItsText() {
    Editor e;
    CTitleEdit* title = e.frame().toolBar()->titleEdit();
    QVERIFY(title->font().bold());
    QCOMPARE(title->text(), QString("Bank title/description"));
    QVERIFY(!e.doc().isModified());
    title->selectAll();
    QTest::keyClicks(title, "Footsteps");
    QCOMPARE(e.doc().values().title, std::string("Footsteps"));
    QVERIFY(e.doc().isModified());
    QVERIFY(e.frame().isWindowModified());
}

void CommandTableTest::recentFilePlaceholderIsDisabled() {
    Editor e;
    openMenu(e.frame().menu(MenuPlace::File));
    QVERIFY(e.frame().action(RecentFile)->isVisible());
    QVERIFY(!e.frame().action(RecentFile)->isEnabled());
    e.frame().menu(MenuPlace::File)->close();
}

namespace {

// A ten-row bank with the last row selected, the view's own timer stopped so
// the test gives the ticks.
void tenRowsLastSelected(Editor& e) {
    openBank(e, 10);
    clickRow(e.view(), 9);
    e.frame().updateCommandUI();
    e.view().timer().stop();
}

int firstSelected(Editor& e) {
    std::vector<int> rows = selectedRowsOnScreen(e.view());
    return rows.empty() ? -1 : rows.front();
}

}  // namespace

void CommandTableTest::heldMoveButtonRepeatsAfterTheThirdTick() {
    Editor e;
    tenRowsLastSelected(e);
    QToolButton* up = toolbarButton(e.frame(), MoveUp);
    QTest::mousePress(up, Qt::LeftButton);
    for (int tick = 1; tick <= 3; ++tick)
        e.view().OnTimer();
    QCOMPARE(firstSelected(e), 9);
    e.view().OnTimer();
    QCOMPARE(firstSelected(e), 8);
    e.view().OnTimer();
    QCOMPARE(firstSelected(e), 7);
    // Releasing over the button runs the command once more, as any button does.
    QTest::mouseRelease(up, Qt::LeftButton);
    QCOMPARE(firstSelected(e), 6);
    e.view().OnTimer();
    QCOMPARE(firstSelected(e), 6);
    QCOMPARE(namesOnScreen(e.view()).at(6), QString("wave10.wav"));
    QCOMPARE(numbersOnScreen(e.view()).at(6), QString("7"));
    QVERIFY(e.shell().messages.empty());
}

void CommandTableTest::heldMoveStopsAtTheRefusal() {
    Editor e;
    tenRowsLastSelected(e);
    clickRow(e.view(), 1);
    e.frame().updateCommandUI();
    QToolButton* up = toolbarButton(e.frame(), MoveUp);
    QTest::mousePress(up, Qt::LeftButton);
    for (int tick = 1; tick <= 8; ++tick)
        e.view().OnTimer();
    QCOMPARE(firstSelected(e), 0);
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{kMessageMoveFirst});
    QCOMPARE(e.frame().toolBar()->pressedButtonIndex(), 0);
    QVERIFY(!up->isDown());
    QTest::mouseRelease(up, Qt::LeftButton);
    QCOMPARE(e.shell().messages.size(), size_t(1));
}

void CommandTableTest::altEOpensExtractWhileItIsEnabled() {
    Editor e;
    openBank(e, 2);
    clickRow(e.view(), 0);
    e.frame().updateCommandUI();
    QVERIFY(e.frame().action(WaveExtract)->isEnabled());
    // Extract asks for a folder first: the key reached the command, not the
    // Edit menu that "&Edit" also names.
    QTest::keyClick(&e.view(), Qt::Key_E, Qt::AltModifier);
    QCOMPARE(e.shell().folderRequests.size(), size_t(1));
}

// A disabled button is pressed all the same; holding it must not run its
// command behind the user's back.
void CommandTableTest::heldDisabledMoveButtonRepeatsNothing() {
    Editor e;
    openBank(e, 10);
    e.view().timer().stop();
    clickHeader(e.view(), kColName);  // no longer in number order, nothing selected
    e.frame().updateCommandUI();
    QToolButton* up = toolbarButton(e.frame(), MoveUp);
    QVERIFY(!up->isEnabled());
    QTest::mousePress(up, Qt::LeftButton);
    for (int tick = 1; tick <= 6; ++tick)
        e.view().OnTimer();
    QTest::mouseRelease(up, Qt::LeftButton);
    QVERIFY(e.shell().messages.empty());
}

// The refusal's message box lets the timer tick on behind it while the
// button is still down: the repeat must have ended before, or every tick
// would stack up another box.
void CommandTableTest::heldMoveRefusesOnceWhileItsMessageShows() {
    Editor e;
    tenRowsLastSelected(e);
    clickRow(e.view(), 1);
    e.frame().updateCommandUI();
    int shown = 0;
    e.shell().whileMessageShows = [&](const MessageRequest&) {
        if (++shown > 1) return;
        for (int tick = 1; tick <= 6; ++tick)
            e.view().OnTimer();
    };
    QToolButton* up = toolbarButton(e.frame(), MoveUp);
    QTest::mousePress(up, Qt::LeftButton);
    for (int tick = 1; tick <= 6; ++tick)
        e.view().OnTimer();
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{kMessageMoveFirst});
    QCOMPARE(firstSelected(e), 0);
    QTest::mouseRelease(up, Qt::LeftButton);
}

QTEST_MAIN(CommandTableTest)
#include "test_ui_commands.moc"
