#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "VexaApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexa"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vexa.png")));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const CVexaApp::CommandLine commandLine = CVexaApp::Parse(arguments);
    if (!commandLine.error.isEmpty()) {
        const bool help = commandLine.error == QLatin1String("help");
        if (!help) std::fprintf(stderr, "vexa: %s\n", qPrintable(commandLine.error));
        std::fputs(qPrintable(CVexaApp::HelpText()), help ? stdout : stderr);
        return help ? 0 : 2;
    }
    CVexaApp app;
    return app.Run(commandLine);
}
