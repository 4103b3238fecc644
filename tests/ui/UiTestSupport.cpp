#include "UiTestSupport.h"

#include <QDir>
#include <algorithm>
#include <stdexcept>

#include "platform/Text.h"

namespace quillon::test {

MessageAnswer ScriptedShell::showMessage(const MessageRequest& request) {
    messages.push_back(request);
    if (whileMessageShows) whileMessageShows(request);
    return takeAnswer(
        answers, request.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel);
}

FileDialogResult ScriptedShell::chooseFiles(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    return takeAnswer(fileAnswers, FileDialogResult());
}

std::optional<std::string> ScriptedShell::chooseFolder(const std::string& initialFolder) {
    folderRequests.push_back(initialFolder);
    return std::nullopt;
}

bool ScriptedShell::editText(TextDialog which, std::string& text) {
    textRequests.emplace_back(which, text);
    return answerTextDialog(textAnswers, text);
}

bool ScriptedShell::editScriptExportSettings(ScriptExportSettings& settings,
                                             const BankNameLoader& loadNames) {
    CScriptExportDialog dialog(
        settings, loadNames, [this](const FileDialogRequest& r) { return chooseFiles(r); },
        dialogParent());
    if (!useScriptDialog) return false;
    dialog.show();
    useScriptDialog(dialog);
    dialog.hide();
    if (dialog.result() == QDialog::Accepted) settings = dialog.settings();
    return dialog.result() == QDialog::Accepted;
}

void ScriptedShell::runMusicBar(CMusicBarDialog& bar) {
    ++musicBarsShown;
    bar.show();
    if (useMusicBar) useMusicBar(bar);
    bar.hide();
}

std::vector<std::string> ScriptedShell::messageTexts() const {
    std::vector<std::string> texts;
    for (const MessageRequest& m : messages)
        texts.push_back(m.text);
    return texts;
}

void usePrivateHome(const QString& home) {
    for (const char* folder : {"config", "state", "runtime"})
        QDir(home).mkpath(folder);
    QFile::setPermissions(home + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + "/config").toUtf8());
    qputenv("XDG_STATE_HOME", (home + "/state").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home + "/runtime").toUtf8());
}

Editor::Editor(const QStringList& files, const QString& home, std::unique_ptr<EditorAudio> audio) {
    if (home.isEmpty()) ownHome_ = std::make_unique<QTemporaryDir>();
    home_ = home.isEmpty() ? ownHome_->path() : home;
    usePrivateHome(home_);
    auto shell = std::make_unique<ScriptedShell>();
    shell_ = shell.get();
    if (!audio) audio = std::make_unique<EditorAudio>(ZQ_OUTPUT_LOOPBACK);
    app_ = std::make_unique<CQuillonApp>(std::move(shell), std::move(audio), userSettingsPath());
    started_ = app_->InitInstance(files);
    if (started_) QApplication::setActiveWindow(&frame());
    QCoreApplication::processEvents();
}

Editor::Editor(int bankRows) : Editor() {
    openBank(*this, bankRows);
}

std::string makeWav(const std::string& path, uint32_t frames) {
    PcmWavSpec spec;
    spec.frames = frames;
    writeFile(path, makePcmWav(spec));
    return path;
}

void makeBank(const std::string& bankPath, const std::string& folder, int count) {
    QDir().mkpath(QString::fromStdString(folder));
    FakeShell shell;
    CQuillonDoc doc(shell, nullptr);
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i)
        paths.push_back(makeWav(folder + format("/wave%02d.wav", i), 500 + 10 * uint32_t(i)));
    if (!addWaveFiles(doc, paths) || !doc.OnSaveDocument(bankPath))
        throw std::runtime_error("cannot make the test bank " + bankPath);
}

void openBank(Editor& e, int rows) {
    std::string bank = e.file("bank.sad");
    makeBank(bank, e.file("waves"), rows);
    QVERIFY(e.app().OpenDocumentFile(bank));
    e.frame().updateCommandUI();
}

QToolButton* toolbarButton(CMainFrame& frame, CommandId id) {
    std::vector<CommandId> order = toolbarCommands();
    auto it = std::find(order.begin(), order.end(), id);
    return it == order.end() ? nullptr : frame.toolBar()->button(int(it - order.begin()));
}

void clickToolbar(CMainFrame& frame, CommandId id) {
    frame.updateCommandUI();
    QTest::mouseClick(toolbarButton(frame, id), Qt::LeftButton);
    QCoreApplication::processEvents();
}

void openMenu(QMenu* menu) {
    menu->popup(QPoint(20, 20));
    (void)QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000);
}

// The window manager gives the focus back when a menu closes; offscreen has none.
static void closeAndReturnFocus(QMenu* menu, CMainFrame& frame) {
    menu->close();
    (void)QTest::qWaitFor([menu] { return !menu->isVisible(); }, 2000);
    QCoreApplication::processEvents();
    QApplication::setActiveWindow(&frame);
    (void)QTest::qWaitFor([&frame] { return QApplication::activeWindow() == &frame; }, 2000);
}

bool chooseMenuItem(CMainFrame& frame, CommandId id) {
    QAction* action = frame.action(id);
    QMenu* menu = nullptr;
    for (QObject* holder : action->associatedObjects())
        if (!menu) menu = qobject_cast<QMenu*>(holder);
    openMenu(menu);
    const bool enabled = action->isEnabled();
    if (enabled) QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    closeAndReturnFocus(menu, frame);
    return enabled;
}

void clickRow(CQuillonView& view, int row, int column, Qt::KeyboardModifiers modifiers) {
    QModelIndex index = view.model()->index(row, column);
    view.scrollTo(index);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, view.visualRect(index).center());
    QCoreApplication::processEvents();
}

QPoint rowImagePoint(CQuillonView& view, int row) {
    QRect cell = view.visualRect(view.model()->index(row, 0));
    for (int x = cell.left(); x < cell.right(); ++x)
        if (view.isOnRowImage(QPoint(x, cell.center().y()))) return {x + 3, cell.center().y()};
    return {};
}

void clickHeader(CQuillonView& view, int column) {
    QHeaderView* header = view.horizontalHeader();
    int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    QCoreApplication::processEvents();
}

void selectRows(CQuillonView& view, const std::vector<int>& rows) {
    for (size_t i = 0; i < rows.size(); ++i)
        clickRow(view, rows[i], 1, i == 0 ? Qt::NoModifier : Qt::ControlModifier);
}

std::vector<int> selectedRowsOnScreen(CQuillonView& view) {
    QCoreApplication::processEvents();
    std::vector<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList columnOnScreen(CQuillonView& view, int column) {
    QStringList out;
    for (int r = 0; r < view.model()->rowCount(); ++r)
        out << cellOnScreen(view, r, column);
    return out;
}

}  // namespace quillon::test
