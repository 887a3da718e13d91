// vexactl: the Pellar flight controller from the command line, over the same protocol core as
// the vexa window. QtCore and QtSerialPort only.
#include <QCoreApplication>
#include <cstdio>

#include "CommandLine.h"
#include "ExitStatus.h"
#include "Interruption.h"
#include "DebugLog.h"
#include "Runner.h"
#include "StandardStreams.h"
#include "VexaVersion.h"

int main(int argc, char** argv) {
    GuardStandardStreams();
    RouteQtMessagesToDebugLog("vexactl");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexactl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VEXA_VERSION));
    const ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments().mid(1));
    switch (parsed.action) {
        case ParsedCommandLine::Action::Help: {
            const QString text = parsed.helpFor ? CommandHelp(*parsed.helpFor) : GeneralHelp();
            std::fputs(text.toUtf8().constData(), stdout);
            return kExitOk;
        }
        case ParsedCommandLine::Action::Version:
            std::printf("vexactl %s\n", VEXA_VERSION);
            return kExitOk;
        case ParsedCommandLine::Action::UsageError:
            std::fprintf(stderr, "vexactl: %s (see vexactl --help)\n",
                         parsed.error.toUtf8().constData());
            return kExitUsage;
        case ParsedCommandLine::Action::Run:
            break;
    }
    Interruption interruption;
    interruption.CatchSignals();
    return RunInvocation(parsed.invocation, interruption);
}
