#include "MonitorCommand.h"

#include "CommError.h"
#include "CommandFrames.h"
#include "CommandLine.h"
#include "LiveCsv.h"
#include "LiveFrame.h"

namespace {

using End = PortSession::End;

// The eight values in the order the window's boxes show them: receiver channels 1 to 8 (the
// wire carries channel 4 before 3), outputs 1 to 8.
QStringList ChannelValues(const LiveFrame& frame) {
    QStringList values;
    for (int i = 0; i < 8; ++i)
        values << QString::number(frame.kind == LiveFrame::Kind::Receiver
                                      ? ReceiverChannel(frame, i + 1)
                                      : frame.values[std::size_t(i)]);
    return values;
}

// "S~0000\r" in receive mode 0, as the window stops its display; false when the line refused it.
bool StopLiveDisplay(PortSession& session) {
    try {
        session.Core().StopLiveDisplay();
    } catch (const CommError&) {
        return false;
    }
    return true;
}

// The frame's CSV line, timed from the moment "S~0001" was sent.
QString CsvLine(std::chrono::nanoseconds sinceStart, const LiveFrame& frame) {
    return QString::fromUtf8(
        live_csv::Line(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart), frame));
}

}  // namespace

QString LiveFrameText(const LiveFrame& frame) {
    if (frame.kind != LiveFrame::Kind::Sensors)
        return QLatin1String(TagOf(frame.kind)) + QLatin1Char(' ') + ChannelValues(frame).join(' ');
    return QStringLiteral(
               "SSDA ultrasonic %1 baro %2 heading %3 vibration %4 longitude %5 "
               "latitude %6")
        .arg(frame.ultrasonicMm)
        .arg(frame.baroDm)
        .arg(frame.headingDeg)
        .arg(frame.vibration)
        .arg(frame.longitude, frame.latitude);
}

QString LiveFrameJson(const LiveFrame& frame) {
    JsonMembers members{{QStringLiteral("frame"), JsonString(QLatin1String(TagOf(frame.kind)))}};
    if (frame.kind != LiveFrame::Kind::Sensors) {
        members.emplace_back(QStringLiteral("values"), JsonArray(ChannelValues(frame)));
        return JsonObject(members);
    }
    members.insert(members.end(),
                   {{QStringLiteral("ultrasonic"), QString::number(frame.ultrasonicMm)},
                    {QStringLiteral("baro"), QString::number(frame.baroDm)},
                    {QStringLiteral("heading"), QString::number(frame.headingDeg)},
                    {QStringLiteral("vibration"), QString::number(frame.vibration)},
                    {QStringLiteral("longitude"), JsonString(frame.longitude)},
                    {QStringLiteral("latitude"), JsonString(frame.latitude)}});
    return JsonObject(members);
}

namespace {

// Monitoring ended because stdout took no more: a fault, named with the system's reason.
CommandResult OutputFailed(const PortSession& session, const QString& reason) {
    CommandResult result;
    result.status = kExitLineFault;
    result.error = QStringLiteral("%1: stdout could not be written (%2); monitoring ended")
                       .arg(session.PortName(), reason);
    return result;
}

}  // namespace

CommandResult Monitor(PortSession& session, const Invocation& invocation,
                      const CommandOutput& output) {
    int frames = 0;
    std::chrono::nanoseconds started{};
    // Why stdout took a line not; empty while it takes every one. A reader that went away
    // ("| head -n 3") or a stop while stdout took nothing is no failure.
    QString outputFailure;
    // Any unwritten line ends monitoring as SIGTERM does: the stream is stopped, the port
    // closed.
    const auto print = [&](const QString& line) {
        const StdoutWrite written = output.stream(line);
        if (written.kind == StdoutWrite::Kind::Written) return true;
        if (written.kind == StdoutWrite::Kind::Failed && outputFailure.isEmpty())
            outputFailure = written.reason;
        session.Interrupt();
        return false;
    };
    if (invocation.csv && !print(QString::fromUtf8(live_csv::Header()))) {
        if (!outputFailure.isEmpty()) return OutputFailed(session, outputFailure);
        return {};
    }
    session.onLiveFrame = [&](const LiveFrame& frame) {
        // Frames that arrive together with the last one counted are not printed.
        if (invocation.count > 0 && frames >= invocation.count) return;
        const QString line = invocation.csv    ? CsvLine(session.Clock().Now() - started, frame)
                             : invocation.json ? LiveFrameJson(frame)
                                               : LiveFrameText(frame);
        if (!print(line)) return;
        ++frames;
        session.Heard();
    };
    const End end = session.Run(
        [&] {
            started = session.Clock().Now();
            session.Core().StartLiveDisplay();
        },
        [&] { return invocation.count > 0 && frames >= invocation.count; });
    session.onLiveFrame = nullptr;
    // However it ended, the controller is told to stop streaming.
    const bool stopped = StopLiveDisplay(session);
    if (end == End::Done || end == End::Interrupted) {
        CommandResult result;
        if (!outputFailure.isEmpty()) result = OutputFailed(session, outputFailure);
        if (!stopped) {
            result.status = kExitLineFault;
            if (!result.error.isEmpty()) result.notes << result.error;
            result.error = QStringLiteral(
                               "%1: \"S~0000\" could not be sent; the controller may "
                               "still be streaming")
                               .arg(session.PortName());
        }
        return result;
    }
    CommandResult result = Fault(session, end);
    if (end == End::TimedOut)
        result.error = QStringLiteral(
                           "%1: no live data within %2 ms; check that the controller "
                           "is connected and powered, or give a longer --timeout")
                           .arg(session.PortName())
                           .arg(session.Timeout().count());
    return result;
}
