// The side panel, the small dialogs and the commands wired through them, used
// as a person would: the "Selected Item" box follows the rows shown, the
// one-line dialogs take a line and Enter or Escape, Find, Goto and "Who?" act
// on the list and the bank, the header exports take the prefix, the script
// export takes its tool dialog, music comes in through the import, and Open in
// Wave Editor starts real editor processes.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "UiTestSupport.h"
#include "bank/Columns.h"
#include "operations/MpegImport.h"
#include "operations/SampleOps.h"
#include "operations/WaveEditor.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "ui/CellEdit.h"
#include "ui/FileDialogs.h"
#include "ui/MainFrame.h"
#include "ui/QuillonView.h"
#include "ui/ScriptExportDialog.h"
#include "ui/SidePanelBar.h"
#include "ui/TextDialogs.h"

using namespace quillon;
using namespace quillon::test;

namespace {

// Adds rows for WAV files of these names in `folder` (below the editor's home).
void addNamedRows(Editor& e, const std::string& folder, const std::vector<std::string>& names) {
    QDir().mkpath(QString::fromStdString(e.file(folder)));
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back(makeWav(e.file(folder + "/" + name)));
    QVERIFY(addWaveFiles(e.doc(), paths));
}

void writeText(const std::string& path, const std::string& text) {
    QDir().mkpath(QString::fromStdString(splitAtLastSeparator(path).folder));
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.data(), qint64(text.size()));
}

std::string readText(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// A plain MPEG-1 layer II stream of `frames` frames (192 kbit/s, 44100 per
// second, stereo): a header and a silent body each, as the import cuts them.
void writeMpegStream(const std::string& path, int frames) {
    const int frameBytes = 144 * 192000 / 44100;
    std::string stream;
    for (int i = 0; i < frames; ++i) {
        std::string frame(size_t(frameBytes), '\0');
        frame[0] = char(0xFF);
        frame[1] = char(0xFD);
        frame[2] = char(0xA0);
        stream += frame;
    }
    writeText(path, stream);
}

QString sidePanelValue(Editor& e, CSidePanelBar::Field field) {
    return e.frame().sidePanel()->valueText(field);
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void sidePanelIsDockedAtTheLeftWithItsParts();
    void selectedItemFollowsTheRowShown();
    void allowSaveIsTheUsersSwitchForSave();
    void oneLineDialogsTakeALineWithEnterOrEscape_data();
    void oneLineDialogsTakeALineWithEnterOrEscape();
    void aLineConfirmedUnchangedKeepsItsBytes();
    void findNextWrapsAndGotoFindsTheNumber();
    void whoIsStoredInTheSavedBank();
    void enumPrefixServesTheNextExportUntilFileNew();
    void scriptExportToolLoadsBankNamesAndWritesTheTable();
    void scriptExportBrowsesForItsHeadersAndRemembersThePaths();
    void importedMusicChecksMusicBankAndStopsDescriptionEditing();
    void openInWaveEditorStartsOneEditorPerSelectedRow();
    void noEditorAvailableEndsTheCommand();
};

void DialogsTest::sidePanelIsDockedAtTheLeftWithItsParts() {
    Editor e;
    CSidePanelBar* panel = e.frame().sidePanel();
    QVERIFY(panel && panel->isVisible());
    QCOMPARE(e.frame().dockWidgetArea(panel), Qt::LeftDockWidgetArea);
    QCOMPARE(panel->features(), QDockWidget::NoDockWidgetFeatures);
    QVERIFY(panel->geometry().right() < e.view().mapTo(&e.frame(), QPoint(0, 0)).x());
    QImage picture = panel->picture()->pixmap().toImage();
    QVERIFY(!picture.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 4)
        for (int x = 0; x < picture.width(); x += 4)
            colours.insert(picture.pixel(x, y));
    QVERIFY2(colours.size() > 20, "the picture is drawn");
    QCOMPARE(panel->findChild<QGroupBox*>("selectedItemBox")->title(), QString("Selected Item"));
    QStringList labels;
    for (int f = 0; f < CSidePanelBar::FieldCount; ++f) {
        auto field = CSidePanelBar::Field(f);
        labels << panel->label(field)->text();
        QVERIFY(panel->label(field)->font().bold());
        QVERIFY(panel->value(field)->isReadOnly());
        QVERIFY(panel->value(field)->text().isEmpty());
    }
    QCOMPARE(
        labels,
        (QStringList{"Name:", "Location:", "Description:", "Format:", "Compression:", "Size:"}));
    QCOMPARE(panel->musicBankBox()->text(), QString("Music Bank"));
    QVERIFY(!panel->musicBankBox()->isEnabled());
    QVERIFY(!panel->musicBankBox()->isChecked());
    QCOMPARE(panel->allowSaveBox()->text(), QString("Allow Save"));
    QVERIFY(panel->allowSaveBox()->isEnabled());
    QVERIFY(panel->allowSaveBox()->isChecked());
}

void DialogsTest::selectedItemFollowsTheRowShown() {
    Editor e;
    openBank(e, 4);
    clickRow(e.view(), 2);
    QCOMPARE(sidePanelValue(e, CSidePanelBar::Name), QString("wave03.wav"));
    QCOMPARE(sidePanelValue(e, CSidePanelBar::Location), QString::fromStdString(e.file("waves")));
    QCOMPARE(sidePanelValue(e, CSidePanelBar::Description), QString("None"));
    QCOMPARE(sidePanelValue(e, CSidePanelBar::Format),
             e.view().model()->index(2, kColFormat).data().toString());
    QCOMPARE(sidePanelValue(e, CSidePanelBar::Compression),
             e.view().model()->index(2, kColCompression).data().toString());
    QString size = sidePanelValue(e, CSidePanelBar::Size);
    QCOMPARE(size.size(), 8);
    QCOMPARE(size.toInt(), e.view().model()->index(2, kColSize).data().toString().toInt());
    QTest::keyClick(&e.view(), Qt::Key_Down);
    QCOMPARE(sidePanelValue(e, CSidePanelBar::Name), QString("wave04.wav"));
    QTest::keyClick(&e.view(), Qt::Key_Delete);
    for (int f = 0; f < CSidePanelBar::FieldCount; ++f)
        QVERIFY(sidePanelValue(e, CSidePanelBar::Field(f)).isEmpty());
}

void DialogsTest::allowSaveIsTheUsersSwitchForSave() {
    Editor e;
    openBank(e, 2);
    QCheckBox* allowSave = e.frame().sidePanel()->allowSaveBox();
    QTest::mouseClick(allowSave, Qt::LeftButton);
    QVERIFY(!allowSave->isChecked());
    QVERIFY(!e.doc().values().allowSave);
    openMenu(e.frame().menu(MenuPlace::File));
    QVERIFY(!e.frame().action(CommandId::FileSave)->isEnabled());
    e.frame().menu(MenuPlace::File)->close();
    QTest::mouseClick(allowSave, Qt::LeftButton);
    e.frame().updateCommandUI();
    QVERIFY(e.frame().action(CommandId::FileSave)->isEnabled());
    // Opening a bank sets it again.
    QTest::mouseClick(allowSave, Qt::LeftButton);
    QVERIFY(e.app().OpenDocumentFile(e.file("bank.sad")));
    QVERIFY(allowSave->isChecked());
}

void DialogsTest::oneLineDialogsTakeALineWithEnterOrEscape_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("enter");
    const std::pair<TextDialog, const char*> dialogs[] = {
        {TextDialog::Find, "Find"},
        {TextDialog::Goto, "Goto"},
        {TextDialog::Who, "Who?"},
        {TextDialog::EnumPrefix, "Sample List Enum Prefix"}};
    for (const auto& [which, title] : dialogs) {
        QTest::addRow("%s-enter", title) << int(which) << title << true;
        QTest::addRow("%s-escape", title) << int(which) << title << false;
    }
}

// The real dialog, run modally; the user types once it shows.
void DialogsTest::oneLineDialogsTakeALineWithEnterOrEscape() {
    QFETCH(int, which);
    QFETCH(QString, title);
    QFETCH(bool, enter);
    QString seenTitle, seenText;
    int edits = -1, buttons = -1;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = nullptr;
        (void)QTest::qWaitFor([&] { return (dialog = QApplication::activeModalWidget()); }, 5000);
        if (!dialog) return;
        seenTitle = dialog->windowTitle();
        edits = int(dialog->findChildren<QLineEdit*>().size());
        buttons = int(dialog->findChildren<QAbstractButton*>().size());
        auto* edit = dialog->findChild<QLineEdit*>();
        seenText = edit->selectedText();
        QTest::keyClicks(edit, "typed");
        QTest::keyClick(edit, enter ? Qt::Key_Return : Qt::Key_Escape);
    });
    std::string text = "shown";
    bool confirmed = runTextDialog(TextDialog(which), text, nullptr);
    QCOMPARE(seenTitle, title);
    QCOMPARE(edits, 1);
    QCOMPARE(buttons, 0);
    QCOMPARE(seenText, QString("shown"));  // the value, all selected
    QCOMPARE(confirmed, enter);
    QCOMPARE(text, std::string(enter ? "typed" : "shown"));
}

// The "Who?" text of a bank made on the old system may hold Latin-1 letters;
// confirming it unchanged must not rewrite them as UTF-8 (and mark the bank
// changed).
void DialogsTest::aLineConfirmedUnchangedKeepsItsBytes() {
    QTimer::singleShot(0, [] {
        QWidget* dialog = nullptr;
        (void)QTest::qWaitFor([&] { return (dialog = QApplication::activeModalWidget()); }, 5000);
        if (dialog) QTest::keyClick(dialog->findChild<QLineEdit*>(), Qt::Key_Return);
    });
    const std::string old = "Andr\xe9 and crew";
    std::string text = old;
    QVERIFY(runTextDialog(TextDialog::Who, text, nullptr));
    QCOMPARE(text, old);
}

void DialogsTest::findNextWrapsAndGotoFindsTheNumber() {
    Editor e;
    addNamedRows(e, "snd", {"Footstep1.wav", "door.wav", "STEPS.wav", "bell.wav"});
    e.doc().rows().setCell(3, kColNo, "7");
    e.shell().textAnswers.push_back(std::string("Step"));
    QTest::keyClick(&e.view(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{0});
    QCOMPARE(sidePanelValue(e, CSidePanelBar::Name), QString("Footstep1.wav"));
    QTest::keyClick(&e.view(), Qt::Key_F3);
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{2});
    QTest::keyClick(&e.view(), Qt::Key_F3);
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{0});
    // Cancelled, Find runs again with the text kept in lower case.
    QTest::keyClick(&e.view(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(e.shell().textRequests.back().second, std::string("step"));
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{0});
    // A text in no name clears the selection and the "Selected Item" box.
    e.shell().textAnswers.push_back(std::string("gong"));
    QTest::keyClick(&e.view(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(selectedRowsOnScreen(e.view()).empty());
    QVERIFY(sidePanelValue(e, CSidePanelBar::Name).isEmpty());
    QCOMPARE(e.frame().paneText(kPanePrompt), QString("No sample name holds \"gong\""));

    e.shell().textAnswers.push_back(std::string("7"));
    QTest::keyClick(&e.view(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{3});
    QCOMPARE(sidePanelValue(e, CSidePanelBar::Name), QString("bell.wav"));
    // No sample 9: the selection stays; the dialog shows the last number.
    e.shell().textAnswers.push_back(std::string("9"));
    QTest::keyClick(&e.view(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{3});
    QCOMPARE(e.frame().paneText(kPanePrompt), QString("No sample is numbered 9"));
    QTest::keyClick(&e.view(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(e.shell().textRequests.back(), std::make_pair(TextDialog::Goto, std::string("9")));
}

void DialogsTest::whoIsStoredInTheSavedBank() {
    Editor e;
    openBank(e, 2);
    auto pressWho = [&] {
        const Qt::KeyboardModifiers held = Qt::ShiftModifier | Qt::ControlModifier;
        QTest::keyPress(&e.view(), Qt::Key_Shift, Qt::ShiftModifier);
        QTest::keyPress(&e.view(), Qt::Key_Control, held);
        QTest::keyPress(&e.view(), Qt::Key_P, held);
        QTest::keyPress(&e.view(), Qt::Key_F, held);
        QTest::keyRelease(&e.view(), Qt::Key_F, held);
        QTest::keyRelease(&e.view(), Qt::Key_P, held);
        QTest::keyRelease(&e.view(), Qt::Key_Control, Qt::ShiftModifier);
        QTest::keyRelease(&e.view(), Qt::Key_Shift, Qt::NoModifier);
    };
    e.shell().textAnswers.push_back(std::string("Ada, sound design"));
    pressWho();  // the dialog comes once, at the F, not again at the releases
    QCOMPARE(e.shell().textRequests.size(), size_t(1));
    QCOMPARE(e.shell().textRequests.back().first, TextDialog::Who);
    QVERIFY(e.frame().isWindowModified());
    QTest::keyClick(&e.view(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!e.doc().isModified());

    Editor again({QString::fromStdString(e.file("bank.sad"))});
    QVERIFY(again.started());
    QCOMPARE(again.doc().values().who, std::string("Ada, sound design"));
    pressWho();  // on the first editor: it shows the text it has
    QCOMPARE(e.shell().textRequests.back().second, std::string("Ada, sound design"));
    e.shell().answers.push_back(MessageAnswer::No);
    e.app().OnFileNew();
    e.shell().textAnswers.clear();
    pressWho();
    QCOMPARE(e.shell().textRequests.back().second, std::string());
}

void DialogsTest::enumPrefixServesTheNextExportUntilFileNew() {
    Editor e;
    openBank(e, 2);
    const std::string header = e.file("Bank Sounds.h");
    auto exportEnum = [&](std::optional<std::string> prefixTyped) {
        e.shell().fileAnswers.push_back({{header}, e.file("")});
        e.shell().textAnswers.push_back(prefixTyped);
        QVERIFY(chooseMenuItem(e.frame(), CommandId::ExportEnum));
    };
    exportEnum(std::string("Castle"));
    QCOMPARE(e.shell().textRequests.back(),
             std::make_pair(TextDialog::EnumPrefix, std::string("ZQ_SAMPLE")));
    std::string text = readText(header);
    QVERIFY(text.find("#ifndef INCL_BANK SOUNDS_H") != std::string::npos);
    QVERIFY(text.find("enum\tCastle\n") != std::string::npos);
    QVERIFY(text.find("\tCASTLE_WAVE01 = 1,\n") != std::string::npos);
    QVERIFY(text.find("\tCastle_LAST = 3\n") != std::string::npos);

    // Escape keeps the prefix, and so does opening another bank.
    QVERIFY(e.app().OpenDocumentFile(e.file("bank.sad")));
    exportEnum(std::nullopt);
    QCOMPARE(e.shell().textRequests.back().second, std::string("Castle"));
    QVERIFY(readText(header).find("enum\tCastle\n") != std::string::npos);

    // "#define" asks for no prefix and writes its own base.
    size_t asked = e.shell().textRequests.size();
    e.shell().fileAnswers.push_back({{e.file("defines.h")}, e.file("")});
    QVERIFY(chooseMenuItem(e.frame(), CommandId::ExportDefine));
    QCOMPARE(e.shell().textRequests.size(), asked);
    QVERIFY(readText(e.file("defines.h")).find("#define\tZQ_SAMPLE_WAVE02 \t 2\n") !=
            std::string::npos);
    QCOMPARE(e.frame().paneText(kPanePrompt),
             QString::fromStdString("Wrote " + std::to_string(e.doc().rows().size()) + " rows to " +
                                    e.file("defines.h")));

    e.app().OnFileNew();
    openBank(e, 2);
    exportEnum(std::nullopt);
    QCOMPARE(e.shell().textRequests.back().second, std::string("ZQ_SAMPLE"));
}

void DialogsTest::scriptExportToolLoadsBankNamesAndWritesTheTable() {
    Editor e;
    openBank(e, 3);
    const std::string korvel = korvelFolder();
    writeText(e.file("game/AudioSFX.h"),
              "enum AUDIO_SFX_BANK_TYPE\n{\n\tBANK_NONE,\n\tBANK_TOWN,\n\tBANK_CASTLE,\n};\n");
    writeText(e.file("game/HelpTextEnums.h"),
              "enum HELP_TEXT\n{\n\tHELP_TEXT_NONE = 0,\n\tHELP_TEXT_WAVE02 = 1,\n"
              "\tHELP_TEXT_GATE = 2,\n};\n");
    const std::string table = e.file("game/Audio2ScriptData.h");

    QStringList defaultsShown, namesAfterTyping;
    e.shell().useScriptDialog = [&](CScriptExportDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QString("Script Header Export Tool"));
        QVERIFY(dialog.findChild<QGroupBox*>()->title() == "Game Files");
        defaultsShown << dialog.bankListEdit()->text() << dialog.scriptEnumEdit()->text()
                      << dialog.bankCombo()->itemText(0);
        QVERIFY(dialog.bankCombo()->isEditable());
        QVERIFY(!dialog.clearOutputBox()->isChecked());
        QCOMPARE(dialog.clearOutputBox()->text(), QString("Clear output file before exporting"));
        // Typed character by character, the names follow the path.
        dialog.bankListEdit()->clear();
        QTest::keyClicks(dialog.bankListEdit(), QString::fromStdString(e.file("game/AudioSFX.h")));
        for (int i = 0; i < dialog.bankCombo()->count(); ++i)
            namesAfterTyping << dialog.bankCombo()->itemText(i);
        dialog.scriptEnumEdit()->setText(QString::fromStdString(e.file("game/HelpTextEnums.h")));
        dialog.bankCombo()->setCurrentIndex(2);
        QTest::mouseClick(dialog.clearOutputBox(), Qt::LeftButton);
        QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    };
    e.shell().fileAnswers.push_back({{table}, e.file("game")});
    QVERIFY(chooseMenuItem(e.frame(), CommandId::CustomExport));
    QCOMPARE(defaultsShown, (QStringList{QString::fromStdString(korvel + "/AudioSFX.h"),
                                         QString::fromStdString(korvel + "/HelpTextEnums.h"),
                                         "[ERROR] Can't load File"}));
    QCOMPARE(namesAfterTyping, (QStringList{"BANK_NONE", "BANK_TOWN", "BANK_CASTLE"}));
    QCOMPARE(e.shell().fileRequests.back().defaultName, std::string("Audio2ScriptData.h"));
    std::string written = readText(table);
    QVERIFY2(written.find("\t\t{HELP_TEXT_WAVE02 , BANK_CASTLE , 2 },\r\n") != std::string::npos ||
                 written.find("\t\t{HELP_TEXT_WAVE02 , BANK_CASTLE , 2 },\n") != std::string::npos,
             written.c_str());
    QCOMPARE(e.shell().messageTexts().back(), std::string("1 enums updated out of 3"));

    // Cancel in the tool ends the command before the save dialog.
    size_t saveDialogs = e.shell().fileRequests.size();
    e.shell().useScriptDialog = [](CScriptExportDialog& dialog) {
        QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    };
    QVERIFY(chooseMenuItem(e.frame(), CommandId::CustomExport));
    QCOMPARE(e.shell().scriptDialogsShown, 2);
    QCOMPARE(e.shell().fileRequests.size(), saveDialogs);
}

// Browse fills a path from a file dialog that opens on the file the path
// names; the paths last used open the dialogs after a restart.
void DialogsTest::scriptExportBrowsesForItsHeadersAndRemembersThePaths() {
    QTemporaryDir home;
    const std::string game = home.filePath("game").toStdString();
    const std::string list = game + "/Banks.h", script = game + "/Script.h";
    const std::string table = game + "/Table.h";
    {
        Editor e({}, home.path());
        openBank(e, 1);
        writeText(list, "enum AUDIO_SFX_BANK_TYPE\n{\n\tBANK_NONE,\n\tBANK_TOWN,\n};\n");
        writeText(script, "enum HELP_TEXT\n{\n\tHELP_TEXT_NONE = 0,\n};\n");
        e.shell().fileAnswers = {{{list}, game}, {{script}, game}, {{table}, game}};
        e.shell().useScriptDialog = [&](CScriptExportDialog& dialog) {
            QTest::mouseClick(dialog.bankListBrowseButton(), Qt::LeftButton);
            QTest::mouseClick(dialog.scriptEnumBrowseButton(), Qt::LeftButton);
            QCOMPARE(dialog.bankCombo()->itemText(1), QString("BANK_TOWN"));
            QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        };
        QVERIFY(chooseMenuItem(e.frame(), CommandId::CustomExport));
        const std::vector<FileDialogRequest>& asked = e.shell().fileRequests;
        QCOMPARE(asked.size(), size_t(3));
        QCOMPARE(asked[0].title, std::string("Game Soundbank List header"));
        QCOMPARE(asked[0].initialFolder, korvelFolder());
        QCOMPARE(asked[0].defaultName, std::string("AudioSFX.h"));
        QCOMPARE(asked[1].defaultName, std::string("HelpTextEnums.h"));
        QVERIFY(!asked[0].save && asked[0].mustExist);
        QVERIFY(asked[2].save);
    }
    Editor again({}, home.path());
    openBank(again, 1);
    QStringList shown;
    again.shell().useScriptDialog = [&](CScriptExportDialog& dialog) {
        shown << dialog.bankListEdit()->text() << dialog.scriptEnumEdit()->text();
        QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    };
    QVERIFY(chooseMenuItem(again.frame(), CommandId::CustomExport));
    QCOMPARE(shown, (QStringList{QString::fromStdString(list), QString::fromStdString(script)}));
    QCOMPARE(again.shell().fileRequests.back().initialFolder, game);
    QCOMPARE(again.shell().fileRequests.back().defaultName, std::string("Table.h"));
}

void DialogsTest::importedMusicChecksMusicBankAndStopsDescriptionEditing() {
    Editor e;
    const std::string stream = e.file("music/theme.mp2");
    writeMpegStream(stream, 45);
    e.shell().fileAnswers.push_back({{stream}, e.file("music")});
    QVERIFY(chooseMenuItem(e.frame(), CommandId::ImportMpeg));
    const FileDialogRequest& asked = e.shell().fileRequests.back();
    QCOMPARE(asked.title, std::string("Add/Insert Mpeg Audio"));
    QCOMPARE(asked.mode, FileDialogMode::AddInsert);
    QVERIFY(!asked.multipleFiles);
    // The dialog the editor would show for that request.
    CFileTree dialog(asked);
    QCOMPARE(dialog.windowTitle(), QString("Add/Insert Mpeg Audio"));
    QCOMPARE(dialog.labelText(QFileDialog::Accept), QString("Add/Insert"));
    QCOMPARE(dialog.nameFilters(), QStringList{"MPEG AUDIO Files (*.MP2 *.WAV)"});

    QCOMPARE(e.view().model()->rowCount(), 3);
    CSidePanelBar* panel = e.frame().sidePanel();
    QVERIFY(panel->musicBankBox()->isChecked());
    QVERIFY(!panel->musicBankBox()->isEnabled());
    openMenu(e.frame().menu(MenuPlace::File));
    QVERIFY(!e.frame().action(CommandId::ImportMpeg)->isEnabled());
    e.frame().menu(MenuPlace::File)->close();

    QModelIndex description = e.view().model()->index(1, kColDescription);
    QTest::mouseDClick(e.view().viewport(), Qt::LeftButton, {},
                       e.view().visualRect(description).center());
    QVERIFY(!e.view().isCellEditOpen());
    QModelIndex priority = e.view().model()->index(1, kColPriority);
    e.view().scrollTo(priority);
    QTest::mouseDClick(e.view().viewport(), Qt::LeftButton, {},
                       e.view().visualRect(priority).center());
    QVERIFY(e.view().isCellEditOpen());
    QCOMPARE(e.view().cellEditSession().column(), int(kColPriority));
}

void DialogsTest::openInWaveEditorStartsOneEditorPerSelectedRow() {
    QTemporaryDir home;
    usePrivateHome(home.path());
    qunsetenv(kWaveEditorVariable);
    const std::string records = (home.path() + "/records").toStdString();
    const std::string parts = (home.path() + "/parts").toStdString();
    const std::string script = (home.path() + "/bin/record-editor").toStdString();
    QDir().mkpath(QString::fromStdString(records));
    QDir().mkpath(QString::fromStdString(parts));
    // Each record is written aside and renamed in, so the records folder only
    // ever holds whole records.
    writeText(script, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + parts + "'/$$\nmv '" + parts +
                          "'/$$ '" + records + "'/$$\n");
    QFile::setPermissions(QString::fromStdString(script),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // The editor is named in the classes-root store, as a user would name one.
    SettingsStore classes(classesRootSettingsPath());
    classes.setString(kWaveEditorKey, "", script);
    QVERIFY(classes.save());

    Editor e({}, home.path());
    QCOMPARE(e.app().waveEditorPath(), script);
    addNamedRows(e, "My Waves/take 2", {"gate open.wav", "gate.wav", "bell.wav", "horn.wav"});
    selectRows(e.view(), {0, 2, 3});
    std::vector<std::vector<std::string>> started;
    e.app().waveEditorStarter = [&](const std::vector<std::string>& argv) {
        started.push_back(argv);
        return startDetachedProcess(argv);
    };
    QVERIFY(chooseMenuItem(e.frame(), CommandId::WaveOpenInEditor));
    const std::string folder = e.file("My Waves/take 2");
    QCOMPARE(started, (std::vector<std::vector<std::string>>{{script, folder + "/gate open.wav"},
                                                             {script, folder + "/bell.wav"},
                                                             {script, folder + "/horn.wav"}}));
    QVERIFY(e.shell().messages.empty());

    // What each editor process got: one argument, the whole path.
    QStringList got;
    QTRY_COMPARE_WITH_TIMEOUT(
        (got = QDir(QString::fromStdString(records)).entryList({"*"}, QDir::Files)).size(), 3,
        10000);
    QStringList arguments;
    for (const QString& name : got)
        arguments << QString::fromStdString(readText(records + "/" + name.toStdString()));
    arguments.sort();
    QCOMPARE(arguments, (QStringList{QString::fromStdString("1\n" + folder + "/bell.wav\n"),
                                     QString::fromStdString("1\n" + folder + "/gate open.wav\n"),
                                     QString::fromStdString("1\n" + folder + "/horn.wav\n")}));
}

void DialogsTest::noEditorAvailableEndsTheCommand() {
    qunsetenv(kWaveEditorVariable);
    Editor e;
    QCOMPARE(e.app().waveEditorPath(), std::string(kDefaultWaveEditor));
    openBank(e, 3);
    selectRows(e.view(), {0, 1});
    int tries = 0;
    e.app().waveEditorStarter = [&](const std::vector<std::string>&) {
        ++tries;
        return false;
    };
    QVERIFY(chooseMenuItem(e.frame(), CommandId::WaveOpenInEditor));
    QCOMPARE(tries, 1);
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{"No Editor Available"});
    QCOMPARE(e.shell().messages[0].icon, MessageIcon::Stop);

    // The environment names another editor for the next start.
    qputenv(kWaveEditorVariable, "audacity");
    Editor named;
    QCOMPARE(named.app().waveEditorPath(), std::string("audacity"));
    qunsetenv(kWaveEditorVariable);
}

QTEST_MAIN(DialogsTest)
#include "test_ui_dialogs.moc"
