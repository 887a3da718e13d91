#include "Runner.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMutex>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "CommError.h"
#include "CommandLine.h"
#include "CommandSet.h"
#include "Commands.h"
#include "Json.h"
#include "NativeName.h"
#include "PortSession.h"
#include "PortTarget.h"
#include "PortsCommand.h"
#include "Progress.h"
#include "SerialPortBackend.h"
#include "StandardStreams.h"
#include "SteadyClock.h"
#include "StopGate.h"
#include "TerminationSignals.h"

namespace {

// Readable once the program is asked to stop: no write to stdout or stderr waits past it.
int g_stopFd = -1;

// One line on stderr; a stderr nobody reads holds it only until a stop is asked for.
// Set once a line meant for stderr was given up because a stop came while stderr took nothing.
bool g_bStderrStopped = false;

// One line on stderr; a file name's bytes that are not UTF-8 are shown escaped ("\xb2").
void PrintError(const QString& text) {
    if (WriteToStderrUnlessStopped(ShownName(text).toUtf8() + '\n', g_stopFd).kind ==
        StdoutWrite::Kind::Stopped)
        g_bStderrStopped = true;
}

// The exit status, made an interruption when a stop cut off what stderr was to say.
int WithStderr(int status) {
    return g_bStderrStopped ? std::max(status, int(kExitInterrupted)) : status;
}

// A result line that is shown as it comes (a live frame), whoever reads stdout; the wait for
// a reader that stopped reading ends with a stop request.
StdoutWrite PrintNow(const QString& line, int stopFd) {
    static QMutex mutex;
    const QMutexLocker lock(&mutex);
    return WriteToStdoutUnlessStopped(line.toUtf8() + '\n', stopFd);
}

// The results for stdout, gathered, so that one checked write puts them there.
class StdoutText {
public:
    void Line(const QString& line) { m_text += ShownName(line).toUtf8() + '\n'; }

    // Writes what was gathered; the status made a fault (or an interruption) when stdout did
    // not take it, with one line on stderr saying why.
    int Flush(int status, int stopFd) {
        const StdoutWrite written = WriteToStdoutUnlessStopped(std::exchange(m_text, {}), stopFd);
        switch (written.kind) {
            case StdoutWrite::Kind::Written:
                return status;
            case StdoutWrite::Kind::Stopped:
                PrintError(
                    QStringLiteral("vexactl: stdout: interrupted before the results "
                                   "were written"));
                return std::max(status, int(kExitInterrupted));
            case StdoutWrite::Kind::ReaderGone:
            case StdoutWrite::Kind::Failed:
                break;
        }
        PrintError(QStringLiteral("vexactl: stdout: the results were not written (%1)")
                       .arg(written.reason));
        return std::max(status, int(kExitLineFault));
    }

private:
    QByteArray m_text;
};

// One port's run of the command, on a thread of its own with objects of its own.
class PortWorker : public QThread {
public:
    PortWorker(const Invocation& invocation, const PreparedCommand& prepared, PortTarget target,
               Progress& progress, TerminationSignals& termination, const DemoLine& demoLine)
        : m_invocation(invocation),
          m_prepared(prepared),
          m_target(std::move(target)),
          m_progress(progress),
          m_termination(termination),
          m_demoLine(demoLine) {}

    const PortTarget& Target() const { return m_target; }
    const CommandResult& Result() const { return m_result; }
    double Seconds() const { return m_seconds; }

protected:
    void run() override {
        QElapsedTimer timer;
        timer.start();
        m_result = RunHere();
        m_result.error = InUserTerms(m_target, m_result.error);
        m_seconds = double(timer.nsecsElapsed()) / 1e9;
    }

private:
    std::unique_ptr<ICommBackend> MakeBackend() const {
        if (m_invocation.demo) return m_demoLine();
        return std::make_unique<SerialPortBackend>(m_target.table);
    }

    CommandResult RunHere() {
        SteadyClock clock;
        // Every frame is held back once a termination signal arrived, whatever the thread is
        // doing.
        auto gate = std::make_unique<StopGate>(MakeBackend(),
                                               [] { return TerminationSignals::Caught() != 0; });
        StopGate& held = *gate;
        PortSession session(std::move(gate), m_target.number, m_invocation.timeout, clock);
        held.onRefused = [&session] { session.Interrupt(); };
        connect(&m_termination, &TerminationSignals::Requested, &session, &PortSession::Interrupt);
        if (TerminationSignals::Caught() != 0) session.Interrupt();
        try {
            session.Open();
        } catch (const CommError& error) {
            CommandResult result;
            result.status = kExitLineFault;
            result.error = OpenFailure(m_target, error.Text());
            return result;
        }
        CommandOutput output;
        output.progress = [this](const QString& text) { m_progress.Update(m_target.label, text); };
        output.stream = [this](const QString& line) {
            m_progress.Clear();
            return PrintNow(line, TerminationSignals::StopDescriptor());
        };
        return RunControllerCommand(m_invocation, m_prepared, session, output);
    }

    const Invocation& m_invocation;
    const PreparedCommand& m_prepared;
    PortTarget m_target;
    Progress& m_progress;
    TerminationSignals& m_termination;
    const DemoLine& m_demoLine;
    CommandResult m_result;
    double m_seconds = 0;
};

QString Outcome(int status) {
    switch (status) {
        case kExitOk:
            return QStringLiteral("ok");
        case kExitRefused:
            return QStringLiteral("refused (3)");
        case kExitLineFault:
            return QStringLiteral("line fault (4)");
        case kExitDiffers:
            return QStringLiteral("differs (5)");
        case kExitInterrupted:
            return QStringLiteral("interrupted (130)");
        default:
            return QStringLiteral("exit %1").arg(status);
    }
}

// Prints one port's result; returns its exit status, a fault when what was meant for stdout
// could not be written there.
int PrintSingle(const Invocation& invocation, const CommandResult& result, int stopFd) {
    int status = result.status;
    if (!result.raw.isEmpty()) {
        const StdoutWrite written = WriteToStdoutUnlessStopped(result.raw, stopFd);
        if (written.kind != StdoutWrite::Kind::Written) {
            const bool stopped = written.kind == StdoutWrite::Kind::Stopped;
            PrintError(QStringLiteral("vexactl: stdout: the file was not written (%1)")
                           .arg(stopped ? QStringLiteral("interrupted") : written.reason));
            return std::max(result.status, int(stopped ? kExitInterrupted : kExitLineFault));
        }
    } else {
        StdoutText out;
        if (invocation.json) {
            if (!result.json.isEmpty()) out.Line(result.json);
        } else {
            for (const QString& line : result.lines) out.Line(line);
        }
        status = out.Flush(status, stopFd);
    }
    for (const QString& note : result.notes) PrintError(QStringLiteral("vexactl: ") + note);
    if (!result.error.isEmpty()) PrintError(QStringLiteral("vexactl: ") + result.error);
    return WithStderr(status);
}

// Prints every port's result and the summary; returns the highest exit status, a fault when
// stdout did not take them.
int PrintMany(const Invocation& invocation, const std::vector<std::unique_ptr<PortWorker>>& workers,
              int stopFd) {
    int status = kExitOk;
    for (const auto& worker : workers) status = std::max(status, worker->Result().status);
    StdoutText out;
    if (invocation.json) {
        QStringList entries;
        for (const auto& worker : workers) {
            const CommandResult& r = worker->Result();
            JsonMembers members{
                {QStringLiteral("port"), JsonString(worker->Target().label)},
                {QStringLiteral("status"), QString::number(r.status)},
                {QStringLiteral("seconds"), QString::number(worker->Seconds(), 'f', 3)}};
            if (!r.json.isEmpty()) members.emplace_back(QStringLiteral("result"), r.json);
            if (!r.error.isEmpty())
                members.emplace_back(QStringLiteral("error"), JsonString(r.error));
            entries << JsonObject(members);
        }
        out.Line(JsonObject({{QStringLiteral("ports"), JsonArray(entries)}}));
    }
    int width = 4;
    for (const auto& worker : workers) width = std::max(width, int(worker->Target().label.size()));
    for (const auto& worker : workers) {
        const CommandResult& r = worker->Result();
        if (!invocation.json)
            for (const QString& line : r.lines)
                out.Line(worker->Target().label + QLatin1String(": ") + line);
        for (const QString& note : r.notes) PrintError(QStringLiteral("vexactl: ") + note);
        if (!r.error.isEmpty()) PrintError(QStringLiteral("vexactl: ") + r.error);
    }
    if (invocation.json) return WithStderr(out.Flush(status, stopFd));
    out.Line(QString());
    out.Line(QStringLiteral("%1  %2  %3")
                 .arg(QStringLiteral("port"), -width)
                 .arg(QStringLiteral("result"), -17)
                 .arg(QStringLiteral("time")));
    for (const auto& worker : workers)
        out.Line(QStringLiteral("%1  %2  %3 s")
                     .arg(worker->Target().label, -width)
                     .arg(Outcome(worker->Result().status), -17)
                     .arg(worker->Seconds(), 0, 'f', 3));
    return WithStderr(out.Flush(status, stopFd));
}

int RunOnControllers(const Invocation& invocation, TerminationSignals& termination,
                     const DemoLine& demoLine) {
    QString error;
    PreparedCommand prepared;
    if (!PrepareCommand(invocation, &prepared, &error)) {
        PrintError(QStringLiteral("vexactl: ") + error);
        return kExitRefused;
    }
    QString warning;
    std::vector<PortTarget> targets = ResolvePorts(invocation, &error, &warning);
    if (!warning.isEmpty()) PrintError(QStringLiteral("vexactl: ") + warning);
    if (targets.empty()) {
        PrintError(QStringLiteral("vexactl: ") + error);
        return kExitLineFault;
    }
    QStringList labels;
    for (const PortTarget& target : targets) labels << target.label;
    Progress progress(!invocation.quiet && StderrIsTerminal(), labels,
                      TerminationSignals::StopDescriptor());

    std::vector<std::unique_ptr<PortWorker>> workers;
    QEventLoop loop;
    int running = int(targets.size());
    for (PortTarget& target : targets) {
        workers.push_back(std::make_unique<PortWorker>(invocation, prepared, std::move(target),
                                                       progress, termination, demoLine));
        QObject::connect(workers.back().get(), &QThread::finished, &loop, [&] {
            if (--running == 0) loop.quit();
        });
    }
    for (const auto& worker : workers) worker->start();
    // The main thread's loop serves the signal notifier while the workers run.
    loop.exec();
    for (const auto& worker : workers) worker->wait();
    progress.Clear();

    const int stopFd = TerminationSignals::StopDescriptor();
    if (workers.size() == 1) return PrintSingle(invocation, workers.front()->Result(), stopFd);
    return PrintMany(invocation, workers, stopFd);
}

}  // namespace

int RunInvocation(const Invocation& invocation, TerminationSignals& termination,
                  const DemoLine& demoLine) {
    g_stopFd = TerminationSignals::StopDescriptor();
    if (!invocation.command->usesPort) {
        return PrintSingle(invocation, ListPorts(invocation), g_stopFd);
    }
    return RunOnControllers(invocation, termination, demoLine);
}
