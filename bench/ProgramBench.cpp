// The built programs measured from outside, as a user meets them, each against a baseline or a
// floor taken in the same run; vexa runs against vexa-sim paced at 115200 baud on a
// pseudo-terminal. The window system is the one the environment names (QT_QPA_PLATFORM; under
// Xvfb, "xcb" and DISPLAY).
//
//   startup   exec to the first painted frame of the shown main window, vexa against a bare Qt
//             Widgets program with one empty dialog of the same size, taken in turn. The first
//             frame is noted by a library preloaded into both (FirstFrameProbe.cpp). Beside it,
//             the same dialog showing one line of Chinese text: what loading fonts costs.
//   readback  the start-up read-back with the window shown: the simulator's frame log from
//             "?V" to "?j", against the line's floor for the 48 exchanges between them
//             (13 bytes each, ten bits a byte at 115200 baud: 54.2 ms).
//   memory    peak resident memory (VmHWM) of vexa once its read-back has ended, against the
//             bare dialog (and the one with text) once it has been shown, taken in turn.
//   idle      CPU time vexa takes in 20 s with the port open and nothing to do, then in the 10 s
//             after the line is lost (the simulator ends) and it has handled the loss.
//
// Usage: vexa_bench_program [startup|readback|memory|idle]... [--runs N]
// VEXA_BENCH_VEXA names another vexa to measure in place of the one built beside it (an older
// build, to compare).
// Every measurement prints a line "ROW<tab>benchmark<tab>figure<tab>ratio<tab>target" for
// scripts/bench.sh, after lines that give the runs one by one.
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

#include "BenchSim.h"

namespace {

constexpr double kReadBackFloorMs = 48 * 13 * 10 / 115200.0 * 1000.0;
constexpr int kReadBackWaitMs = 10000;

qint64 MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void PrintRow(const QString& benchmark, const QString& figure, double ratio,
              const QString& target) {
    std::printf("ROW\t%s\t%s\t%s\t%s\n", qPrintable(benchmark), qPrintable(figure),
                ratio > 0 ? qPrintable(QStringLiteral("%1×").arg(ratio, 0, 'f', 2)) : "-",
                qPrintable(target));
    std::fflush(stdout);
}

QString Platform() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen"));
    return platform == QLatin1String("xcb") ? QStringLiteral("Xvfb") : platform;
}

// One program run in a scratch folder of its own (vexa keeps its port file there).
class Run {
public:
    Run(const QString& program, const QStringList& arguments, bool probe = false) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        if (probe) {
            m_probeOut = m_dir.filePath(QStringLiteral("first-frame"));
            env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(FIRST_FRAME_PROBE));
            env.insert(QStringLiteral("VEXA_FIRST_FRAME_OUT"), m_probeOut);
        }
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(m_dir.path());
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_startNs = MonotonicNs();
        m_process.start(program, arguments);
        m_process.waitForStarted(10000);
    }
    ~Run() { End(); }

    // Milliseconds from the start to the first frame, once the probe has ended the program.
    std::optional<double> FirstFrameMs() {
        if (!m_process.waitForFinished(20000)) return std::nullopt;
        QFile out(m_probeOut);
        if (!out.open(QIODevice::ReadOnly)) return std::nullopt;
        const qint64 at = out.readAll().split(' ').value(0).toLongLong();
        return at > m_startNs ? std::optional(double(at - m_startNs) / 1e6) : std::nullopt;
    }

    // A line of /proc/PID/status ("VmHWM"), in kB.
    qint64 StatusKb(const char* field) const {
        QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
        if (!status.open(QIODevice::ReadOnly)) return -1;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith(field))
                return line.mid(qstrlen(field) + 1).trimmed().split(' ')[0].toLongLong();
        return -1;
    }

    // CPU time so far of all the program's threads, in milliseconds: the scheduler's own
    // account (nanoseconds), not the clock-tick samples of /proc/PID/stat. A thread that has
    // ended keeps the time it was last seen with.
    double CpuMs() {
        const QString tasks = QStringLiteral("/proc/%1/task").arg(m_process.processId());
        for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
            if (stat.open(QIODevice::ReadOnly))
                m_taskCpuMs[task] = double(stat.readAll().split(' ').value(0).toLongLong()) / 1e6;
        }
        double total = 0;
        for (const auto& [task, ms] : m_taskCpuMs) total += ms;
        return total;
    }

    bool Running() const { return m_process.state() == QProcess::Running; }

    void End() {
        if (m_process.state() == QProcess::NotRunning) return;
        ::kill(pid_t(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(10000)) m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QTemporaryDir m_dir;
    QString m_probeOut;
    QProcess m_process;
    qint64 m_startNs = 0;
    std::map<QString, double> m_taskCpuMs;
};

QString Vexa() { return qEnvironmentVariable("VEXA_BENCH_VEXA", QStringLiteral(VEXA_BINARY)); }

QStringList VexaOn(const BenchSim& sim) {
    return {QStringLiteral("--com"), QStringLiteral("3=") + sim.Device()};
}

// Waits until the simulator has received the read-back's last query; false after ten seconds.
bool AwaitReadBack(const BenchSim& sim) {
    for (int waited = 0; waited < kReadBackWaitMs; waited += 20) {
        if (!sim.ReceivedAt("?j").empty()) return true;
        QThread::msleep(20);
    }
    return false;
}

// The three programs the start-up and memory benchmarks take in turn.
enum class Program { Vexa, Bare, BareWithText };
constexpr std::array<Program, 3> kPrograms = {Program::Vexa, Program::Bare, Program::BareWithText};

QString ProgramOf(Program program) {
    return program == Program::Vexa ? Vexa() : QStringLiteral(BARE_DIALOG_BINARY);
}

QStringList ArgumentsOf(Program program, const BenchSim& sim) {
    if (program == Program::Vexa) return VexaOn(sim);
    if (program == Program::BareWithText) return {QStringLiteral("--text")};
    return {};
}

// Runs of each program, each first in turn.
using Samples = std::array<std::vector<double>, kPrograms.size()>;

template <class Measure>
Samples TakeInTurn(int runs, const char* what, Measure measure) {
    Samples samples;
    for (int i = 0; i < runs; ++i) {
        for (std::size_t k = 0; k < kPrograms.size(); ++k) {
            const std::size_t which = (i + k) % kPrograms.size();
            if (const std::optional<double> value = measure(kPrograms[which]))
                samples[which].push_back(*value);
        }
        std::printf("%s %-9s run %2d: vexa %8.1f, bare dialog %8.1f, with text %8.1f\n", what,
                    qPrintable(Platform()), i + 1, samples[0].empty() ? 0.0 : samples[0].back(),
                    samples[1].empty() ? 0.0 : samples[1].back(),
                    samples[2].empty() ? 0.0 : samples[2].back());
    }
    return samples;
}

void Startup(int runs) {
    BenchSim sim;
    const Samples ms = TakeInTurn(runs, "startup ms", [&](Program program) {
        Run run(ProgramOf(program), ArgumentsOf(program, sim), true);
        return run.FirstFrameMs();
    });
    const double vexa = Median(ms[0]), bare = Median(ms[1]), text = Median(ms[2]);
    PrintRow(QStringLiteral("start-up to first frame (%1)").arg(Platform()),
             QStringLiteral("%1 ms (bare dialog %2 ms)").arg(vexa, 0, 'f', 1).arg(bare, 0, 'f', 1),
             vexa / bare, QStringLiteral("≤ 1.30×"));
    PrintRow(
        QStringLiteral("start-up to first frame, against a dialog with one line of text (%1)")
            .arg(Platform()),
        QStringLiteral("%1 ms (dialog with text %2 ms)").arg(vexa, 0, 'f', 1).arg(text, 0, 'f', 1),
        vexa / text, QStringLiteral("—"));
}

void ReadBack(int runs) {
    std::vector<double> spans;
    for (int i = 0; i < runs; ++i) {
        BenchSim sim;
        Run vexa(Vexa(), VexaOn(sim));
        if (!AwaitReadBack(sim)) {
            std::fprintf(stderr, "readback: run %d did not end\n", i + 1);
            continue;
        }
        const std::vector<qint64> first = sim.ReceivedAt("?V"), last = sim.ReceivedAt("?j");
        spans.push_back(double(last.back() - first.front()));
        std::printf("readback %-9s run %2d: %5.0f ms, %zu queries\n", qPrintable(Platform()), i + 1,
                    spans.back(), sim.ReceivedAt("?").size());
    }
    PrintRow(QStringLiteral("start-up read-back, window shown (%1)").arg(Platform()),
             QStringLiteral("%1 ms (floor %2 ms)")
                 .arg(Median(spans), 0, 'f', 1)
                 .arg(kReadBackFloorMs, 0, 'f', 1),
             Median(spans) / kReadBackFloorMs, QStringLiteral("≤ 1.25×"));
}

void Memory(int runs) {
    const Samples kb = TakeInTurn(runs, "memory kB", [](Program program) -> std::optional<double> {
        BenchSim sim;
        Run run(ProgramOf(program), ArgumentsOf(program, sim));
        if (program == Program::Vexa) {
            if (!AwaitReadBack(sim)) return std::nullopt;
            QThread::msleep(300);
        } else {
            QThread::msleep(1500);
        }
        return double(run.StatusKb("VmHWM:"));
    });
    const double vexa = Median(kb[0]) / 1024, bare = Median(kb[1]) / 1024,
                 text = Median(kb[2]) / 1024;
    PrintRow(QStringLiteral("peak RSS (%1)").arg(Platform()),
             QStringLiteral("%1 MB (bare dialog %2 MB)").arg(vexa, 0, 'f', 1).arg(bare, 0, 'f', 1),
             vexa / bare, QStringLiteral("≤ 1.30×"));
    PrintRow(
        QStringLiteral("peak RSS, against a dialog with one line of text (%1)").arg(Platform()),
        QStringLiteral("%1 MB (dialog with text %2 MB)").arg(vexa, 0, 'f', 1).arg(text, 0, 'f', 1),
        vexa / text, QStringLiteral("—"));
}

void Idle() {
    BenchSim sim;
    Run vexa(Vexa(), VexaOn(sim));
    if (!AwaitReadBack(sim)) return (void)std::fprintf(stderr, "idle: no read-back\n");
    QThread::msleep(500);
    const double before = vexa.CpuMs();
    QThread::sleep(20);
    const double open = vexa.CpuMs() - before;
    sim.Stop();
    // Handling the loss itself (the port closed, the status line redrawn) is counted apart from
    // the ten seconds after it, in which nothing should run at all.
    const double atLoss = vexa.CpuMs();
    QThread::msleep(500);
    const double lost = vexa.CpuMs();
    QThread::sleep(10);
    const double afterLoss = vexa.CpuMs() - lost;
    std::printf(
        "idle %-9s: %.1f ms of CPU in 20 s with the port open; %.1f ms to handle the loss "
        "of the line, then %.1f ms in 10 s; still running: %s\n",
        qPrintable(Platform()), open, lost - atLoss, afterLoss, vexa.Running() ? "yes" : "no");
    PrintRow(QStringLiteral("idle CPU, port open, 20 s (%1)").arg(Platform()),
             QStringLiteral("%1 ms").arg(open, 0, 'f', 1), 0, QStringLiteral("< 20 ms (no spin)"));
    PrintRow(QStringLiteral("idle CPU, line lost, 10 s after it (%1)").arg(Platform()),
             QStringLiteral("%1 ms (handling the loss %2 ms)")
                 .arg(afterLoss, 0, 'f', 1)
                 .arg(lost - atLoss, 0, 'f', 1),
             0, QStringLiteral("< 20 ms (no spin)"));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    int runs = 15;
    const qsizetype runsAt = arguments.indexOf(QStringLiteral("--runs"));
    if (runsAt >= 0 && runsAt + 1 < arguments.size()) {
        runs = std::max(1, arguments[runsAt + 1].toInt());
        arguments.remove(runsAt, 2);
    }
    if (arguments.isEmpty())
        arguments = {QStringLiteral("startup"), QStringLiteral("readback"),
                     QStringLiteral("memory"), QStringLiteral("idle")};
    for (const QString& what : arguments) {
        if (what == QLatin1String("startup"))
            Startup(runs);
        else if (what == QLatin1String("readback"))
            ReadBack(runs);
        else if (what == QLatin1String("memory"))
            Memory(std::max(3, runs / 3));
        else if (what == QLatin1String("idle"))
            Idle();
        else
            return std::fprintf(stderr, "vexa_bench_program: unknown measurement %s\n",
                                qPrintable(what)),
                   2;
    }
    return 0;
}
