// vexactl: the Pellar flight controller from the command line, over the same protocol core as
// the vexa window. QtCore and QtSerialPort only.
#include <QCoreApplication>
#include <cstdio>

#include "CommandLine.h"
#include "DebugLog.h"
#include "ExitStatus.h"
#include "NativeName.h"
#include "Runner.h"
#include "SimBackend.h"
#include "StandardStreams.h"
#include "TerminationSignals.h"
#include "VexaVersion.h"

namespace {

// --demo: the simulated controller, paced like a real line, so that the demo takes the time the
// controller would.
std::unique_ptr<ICommBackend> DemoController() {
    SimConfig config;
    config.paceBaud = SimConfig::kLineBaud;
    return std::make_unique<SimBackend>(config);
}

// Help and version on stdout, checked like every result: a failed write is exit 4.
int PrintedOrFault(const QByteArray& text) {
    const std::optional<QString> reason = WriteToStdout(text);
    if (!reason) return kExitOk;
    std::fprintf(stderr, "vexactl: stdout: not written (%s)\n", reason->toUtf8().constData());
    return kExitLineFault;
}

}  // namespace

int main(int argc, char** argv) {
    GuardStandardStreams();
    RouteQtMessagesToDebugLog("vexactl");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexactl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VEXA_VERSION));
    // The arguments as the system gave them: a file name that is not UTF-8 keeps its bytes.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << NameFromNative(argv[i]);
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    switch (parsed.action) {
        case ParsedCommandLine::Action::Help: {
            const QString text = parsed.helpFor ? CommandHelp(*parsed.helpFor) : GeneralHelp();
            return PrintedOrFault(text.toUtf8());
        }
        case ParsedCommandLine::Action::Version:
            return PrintedOrFault(QByteArray("vexactl " VEXA_VERSION "\n"));
        case ParsedCommandLine::Action::UsageError:
            std::fprintf(stderr, "vexactl: %s (see vexactl --help)\n",
                         ShownName(parsed.error).toUtf8().constData());
            return kExitUsage;
        case ParsedCommandLine::Action::Run:
            break;
    }
    // SIGINT, SIGTERM and SIGHUP stop every port's run; vexactl then leaves by its normal path,
    // the ports closed and their locks gone.
    TerminationSignals termination;
    return RunInvocation(parsed.invocation, termination, DemoController);
}
