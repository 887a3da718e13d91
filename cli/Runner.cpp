#include "Runner.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMutex>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "CommError.h"
#include "CommandLine.h"
#include "CommandSet.h"
#include "Commands.h"
#include "PortSession.h"
#include "SteadyClock.h"
#include "Interruption.h"
#include "Json.h"
#include "PortTarget.h"
#include "PortsCommand.h"
#include "Progress.h"
#include "SerialPortBackend.h"
#include "SimBackend.h"
#include "StandardStreams.h"

namespace {

void Print(FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fputc('\n', stream);
}

// A result line that is shown as it comes (a live frame), whoever reads stdout; false when
// stdout took it not (its reader went away, it is closed or full).
bool PrintNow(const QString& line) {
    static QMutex mutex;
    const QMutexLocker lock(&mutex);
    const QByteArray text = line.toUtf8() + '\n';
    return std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout) ==
               std::size_t(text.size()) &&
           std::fflush(stdout) == 0;
}

bool StderrIsTerminal() {
#ifdef Q_OS_UNIX
    return ::isatty(STDERR_FILENO) == 1;
#else
    return false;
#endif
}

std::unique_ptr<ICommBackend> MakeBackend(bool demo, const ComPortTable& table) {
    if (!demo) return std::make_unique<SerialPortBackend>(table);
    // Paced like a real line, so that the demo takes the time the controller would.
    SimConfig config;
    config.paceBaud = SimConfig::kLineBaud;
    return std::make_unique<SimBackend>(config);
}

// One port's run of the command, on a thread of its own with objects of its own.
class PortWorker : public QThread {
public:
    PortWorker(const Invocation& invocation, const PreparedCommand& prepared, PortTarget target,
               Progress& progress, Interruption& interruption)
        : m_invocation(invocation),
          m_prepared(prepared),
          m_target(std::move(target)),
          m_progress(progress),
          m_interruption(interruption) {}

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
    CommandResult RunHere() {
        SteadyClock clock;
        PortSession session(MakeBackend(m_invocation.demo, m_target.table), m_target.number,
                            m_invocation.timeout, clock);
        connect(&m_interruption, &Interruption::Requested, &session, &PortSession::Interrupt);
        if (m_interruption.IsRequested()) session.Interrupt();
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
            return PrintNow(line);
        };
        return RunControllerCommand(m_invocation, m_prepared, session, output);
    }

    const Invocation& m_invocation;
    const PreparedCommand& m_prepared;
    PortTarget m_target;
    Progress& m_progress;
    Interruption& m_interruption;
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

// Prints one port's result; returns its exit status, a fault when a file meant for stdout
// could not be written there.
int PrintSingle(const Invocation& invocation, const CommandResult& result) {
    if (!result.raw.isEmpty()) {
        if (const std::optional<QString> reason = WriteToStdout(result.raw)) {
            Print(stderr, QStringLiteral("vexactl: stdout: the file was not written (%1)")
                              .arg(*reason));
            return std::max(result.status, int(kExitLineFault));
        }
    } else if (invocation.json) {
        if (!result.json.isEmpty()) Print(stdout, result.json);
    } else {
        for (const QString& line : result.lines) Print(stdout, line);
    }
    for (const QString& note : result.notes) Print(stderr, QStringLiteral("vexactl: ") + note);
    if (!result.error.isEmpty()) Print(stderr, QStringLiteral("vexactl: ") + result.error);
    return result.status;
}

void PrintMany(const Invocation& invocation,
               const std::vector<std::unique_ptr<PortWorker>>& workers) {
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
        Print(stdout, JsonObject({{QStringLiteral("ports"), JsonArray(entries)}}));
    }
    int width = 4;
    for (const auto& worker : workers) width = std::max(width, int(worker->Target().label.size()));
    for (const auto& worker : workers) {
        const CommandResult& r = worker->Result();
        if (!invocation.json)
            for (const QString& line : r.lines)
                Print(stdout, worker->Target().label + QLatin1String(": ") + line);
        for (const QString& note : r.notes) Print(stderr, QStringLiteral("vexactl: ") + note);
        if (!r.error.isEmpty()) Print(stderr, QStringLiteral("vexactl: ") + r.error);
    }
    if (invocation.json) return;
    Print(stdout, QString());
    Print(stdout, QStringLiteral("%1  %2  %3")
                      .arg(QStringLiteral("port"), -width)
                      .arg(QStringLiteral("result"), -17)
                      .arg(QStringLiteral("time")));
    for (const auto& worker : workers)
        Print(stdout, QStringLiteral("%1  %2  %3 s")
                          .arg(worker->Target().label, -width)
                          .arg(Outcome(worker->Result().status), -17)
                          .arg(worker->Seconds(), 0, 'f', 3));
}

int RunOnControllers(const Invocation& invocation, Interruption& interruption) {
    QString error;
    PreparedCommand prepared;
    if (!PrepareCommand(invocation, &prepared, &error)) {
        Print(stderr, QStringLiteral("vexactl: ") + error);
        return kExitRefused;
    }
    QString warning;
    std::vector<PortTarget> targets = ResolvePorts(invocation, &error, &warning);
    if (!warning.isEmpty()) Print(stderr, QStringLiteral("vexactl: ") + warning);
    if (targets.empty()) {
        Print(stderr, QStringLiteral("vexactl: ") + error);
        return kExitLineFault;
    }
    QStringList labels;
    for (const PortTarget& target : targets) labels << target.label;
    Progress progress(!invocation.quiet && StderrIsTerminal(), labels);

    std::vector<std::unique_ptr<PortWorker>> workers;
    QEventLoop loop;
    int running = int(targets.size());
    for (PortTarget& target : targets) {
        workers.push_back(std::make_unique<PortWorker>(invocation, prepared, std::move(target),
                                                       progress, interruption));
        QObject::connect(workers.back().get(), &QThread::finished, &loop, [&] {
            if (--running == 0) loop.quit();
        });
    }
    for (const auto& worker : workers) worker->start();
    // The main thread's loop serves the signal notifier while the workers run.
    loop.exec();
    for (const auto& worker : workers) worker->wait();
    progress.Clear();

    if (workers.size() == 1) return PrintSingle(invocation, workers.front()->Result());
    PrintMany(invocation, workers);
    int status = kExitOk;
    for (const auto& worker : workers) status = std::max(status, worker->Result().status);
    return status;
}

}  // namespace

int RunInvocation(const Invocation& invocation, Interruption& interruption) {
    if (!invocation.command->usesPort) {
        return PrintSingle(invocation, ListPorts(invocation));
    }
    return RunOnControllers(invocation, interruption);
}
