// vexa-sim: a simulated flight controller on a pseudo-terminal. It prints the device a
// configuration tool can open as its serial port and serves it until SIGINT, SIGTERM or SIGHUP.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "ControllerSim.h"
#include "DebugLog.h"
#include "FrameLog.h"
#include "KeptFiles.h"
#include "PtyServer.h"
#include "SimDriver.h"
#include "SimOptions.h"
#include "SteadyClock.h"
#include "SymbolicLink.h"
#include "TerminationSignals.h"
#include "VexaVersion.h"

namespace {

bool MakeLink(const QString& link, const QString& target, QString* error) {
    const LinkPlacement placed = PlaceSymbolicLink(link, target);
    switch (placed.kind) {
        case LinkPlacement::Kind::Made:
            return true;
        case LinkPlacement::Kind::Occupied:
            *error = QStringLiteral("--link %1: exists and is not a symbolic link").arg(link);
            return false;
        case LinkPlacement::Kind::Failed:
            break;
    }
    *error = QStringLiteral("--link %1: %2").arg(link, placed.reason);
    return false;
}

int Fail(const QString& message) {
    std::fprintf(stderr, "vexa-sim: %s\n", qPrintable(message));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    RouteQtMessagesToDebugLog("vexa-sim");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexa-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated Pellar flight controller on a pseudo-terminal.\n"
        "Prints the device path (one line) and serves it until SIGINT, SIGTERM or SIGHUP;\n"
        "open that device as the serial port, e.g. vexa --com 3=/dev/pts/N.\n"
        "It answers queries, echoes set commands, loads reference sets, streams live data while\n"
        "switched on and runs the boot loader's packet upload. Output is paced at 115200 baud\n"
        "unless --baud or --no-pace says otherwise; the fault options make it misbehave on "
        "demand."));
    parser.addHelpOption();
    const SimOptions simOptions;
    simOptions.AddTo(parser);
    const QCommandLineOption linkOption(
        QStringLiteral("link"),
        QStringLiteral("Also make PATH a symbolic link to the device "
                       "(removed on exit)."),
        QStringLiteral("PATH"));
    const QCommandLineOption logOption(QStringLiteral("log"),
                                       QStringLiteral("Append every frame received, with a time "
                                                      "stamp, to FILE."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption imageOption(
        QStringLiteral("image-out"),
        QStringLiteral("Write the image of every upload the boot loader accepts (confirmed, "
                       "sum matching) to FILE: the data bytes of all data packets."),
        QStringLiteral("FILE"));
    const QCommandLineOption versionOption(QStringLiteral("version"),
                                           QStringLiteral("Print the program's version."));
    parser.addOption(linkOption);
    parser.addOption(logOption);
    parser.addOption(imageOption);
    parser.addOption(versionOption);
    bool oldSpelling = false;
    parser.process(SimOptions::WithFirmwareSpelledOut(QCoreApplication::arguments(), &oldSpelling));
    if (oldSpelling)
        std::fprintf(stderr,
                     "vexa-sim: --version N is deprecated, use --firmware N (--version alone "
                     "prints the program's version)\n");
    if (parser.isSet(versionOption)) {
        std::printf("vexa-sim %s\n", VEXA_VERSION);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return Fail(QStringLiteral("unexpected argument %1 (see --help)")
                        .arg(parser.positionalArguments().first()));

    QString error;
    const std::optional<SimConfig> config = simOptions.Read(parser, SimConfig::kLineBaud, &error);
    if (!config) return Fail(error);

    FrameLog log;
    if (parser.isSet(logOption) && !log.Open(parser.value(logOption), &error)) return Fail(error);

    ControllerSim sim(*config);
    SteadyClock clock;
    SimDriver driver(sim, clock);
    driver.SetBaud(config->paceBaud);
    driver.SetByteByByte(config->byteByByte);
    driver.SetLiveRate(config->liveRateHz);
    if (log.IsOpen()) {
        sim.onFrame = [&log](const QByteArray& frame, bool packet) { log.Frame(frame, packet); };
        sim.onEvent = [&log](const QString& what) { log.Event(what); };
    }

    if (parser.isSet(imageOption)) {
        sim.onFirmwareInstalled = [path = parser.value(imageOption)](const QByteArray& image) {
            // Whole or not at all: a reader never finds half an image.
            if (WriteKeptFile(path, image))
                std::fprintf(stderr, "vexa-sim: cannot write %s\n", qPrintable(path));
        };
    }

    PtyServer server(driver);
    if (!server.Start(&error)) return Fail(error);
    const QString link = parser.value(linkOption);
    if (!link.isEmpty() && !MakeLink(link, server.SlavePath(), &error)) return Fail(error);
    // SIGINT, SIGTERM and SIGHUP end the event loop, so that the program leaves by its normal
    // path and tidies up.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::Requested, &app, &QCoreApplication::quit);

    std::printf("%s\n", qPrintable(server.SlavePath()));
    std::fflush(stdout);

    const int status = app.exec();
    if (!link.isEmpty()) RemoveSymbolicLink(link);
    return status;
}
