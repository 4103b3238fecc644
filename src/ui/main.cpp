// quillon: the sound bank editor.
#include <QApplication>
#include <QCommandLineParser>

#include "ui/QuillonApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Zarquine Studios Ltd"));
    // Lets the desktop match the window to quillon.desktop and its icon.
    QApplication::setDesktopFileName(QStringLiteral("quillon"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quillon, the sound bank editor."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("bank"),
                                 QStringLiteral("A sound bank (.sad) to open."),
                                 QStringLiteral("[bank]"));
    parser.process(application);

    quillon::CQuillonApp editor;
    if (!editor.InitInstance(parser.positionalArguments())) return 1;
    return application.exec();
}
