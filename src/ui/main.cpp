// quillon: the sound bank editor.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

#include "ui/QuillonApp.h"

namespace {

void nameProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("Quillon"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Zarquine Studios Ltd"));
    // Lets the desktop match the window to quillon.desktop and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quillon"));
}

void describeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("Quillon, the sound bank editor."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("bank"),
                                 QStringLiteral("A sound bank (.sad) to open."),
                                 QStringLiteral("[bank]"));
}

// --help and --version print and exit before the editor's QApplication
// connects to a display, so they work on a build machine or over ssh. Anything
// else, including a wrong option, is left to the full parse that follows.
void answerHelpOrVersion(int argc, char** argv) {
    QCoreApplication console(argc, argv);
    QCommandLineParser parser;
    describeCommandLine(parser);
    if (!parser.parse(QCoreApplication::arguments())) return;
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp();
}

}  // namespace

int main(int argc, char** argv) {
    nameProgram();
    answerHelpOrVersion(argc, argv);

    QApplication application(argc, argv);
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(application);

    quillon::CQuillonApp editor;
    if (!editor.InitInstance(parser.positionalArguments())) return 1;
    return application.exec();
}
