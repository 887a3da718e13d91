#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

#include "DebugLog.h"
#include "VexaApp.h"
#include "VexaVersion.h"

namespace {

bool Asks(int argc, char** argv, std::initializer_list<const char*> options) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : options)
            if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Answered before any window system is touched, so that they work without a display.
    if (Asks(argc, argv, {"--version"})) {
        std::printf("vexa %s\n", VEXA_VERSION);
        return 0;
    }
    if (Asks(argc, argv, {"--help", "-h"})) {
        std::fputs(qPrintable(CVexaApp::HelpText()), stdout);
        return 0;
    }
    RouteQtMessagesToDebugLog("vexa");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexa"));
    QApplication::setApplicationVersion(QStringLiteral(VEXA_VERSION));
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
